// Frequencies typed with a unit, as the plan's tuning aids and the command line take them.
#pragma once

#include <string_view>

// A real number (see ParseReal) with a decimal point or a decimal comma, then an optional unit
// with or without a space before it: Hz, kHz, MHz, Гц, кГц, МГц in any letter case, the Cyrillic
// ones in UTF-8 or in Windows-1251 (a command line there passes its code page). No unit is hertz.
// Returns hertz; throws SettingsError "'<text>' is not a valid floating point value" for any other
// text, "Floating point overflow" beyond the double range. Nothing depends on the process locale.
double ParseFrequencyText(std::string_view text);
