// Conversion of typed texts to numbers, as the window takes them from the user.
//
// The decimal separator is the caller's (the window passes its locale's); nothing here depends on
// the process locale. Every failure throws SettingsError with the user-facing message and returns
// nothing, so the caller's setting stays as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Optional blanks, sign, digits, optional separator and digits, optional exponent, blanks.
// Throws "'<text>' is not a valid floating point value", or "Floating point overflow" beyond the
// double range.
double ParseReal(std::string_view text, char decimalSeparator);

// As ParseReal, for a setting held in single precision: a magnitude beyond the float range is
// refused with "Floating point overflow".
float ParseSingle(std::string_view text, char decimalSeparator);

// Optional leading blanks, then a signed decimal in the 32-bit range, or "$", "x", "X", "0x", "0X"
// and up to eight hexadecimal digits taken as a 32-bit pattern. Nothing may follow.
// Throws "'<text>' is not a valid integer value".
int32_t ParseInteger(std::string_view text);

// Throws a SettingsError naming `what` when the text does not fit a string setting.
void CheckStringLength(std::string_view text, std::string_view what);
