// The configuration file's keys as names for settings: found in any letter case, set from a text
// by the window's rules, and spelled as the file spells them.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "files/config_file.h"

// The row of `key` in ParamTable, in any letter case; null when there is none.
const ParamRow* FindParam(std::string_view key);

// Sets the row's setting from `text` as the window takes it: numbers by the typed-number grammar
// with a point as the decimal separator ("0x" hexadecimal for integers and masks), only the values
// the window offers for lists and masks, strings by the string rules. Throws SettingsError with
// the window's message and changes nothing when the text is refused.
void SetParamFromText(const ParamRow& row, std::string_view text);

// Each row's value text as WriteConfig spells it for the present Settings, in ParamTable's order.
std::array<std::string, 50> ParamFileTexts();
