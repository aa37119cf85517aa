// Conversion of typed texts to numbers, as the window takes them from the user.
//
// The decimal separator is the caller's (the window passes its locale's); nothing here depends on
// the process locale. Every failure throws SettingsError with the user-facing message and returns
// nothing, so the caller's setting stays as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Optional blanks, sign, digits, optional separator and digits, optional exponent, blanks. The
// separator is a point, a comma or `decimalSeparator`, whichever the user typed.
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

// Throws a SettingsError naming `what` when a name holds a line break (CR or LF): a file would
// keep only the part before it.
void CheckNoLineBreak(std::string_view text, std::string_view what);

// Throws a SettingsError naming `what` when a name the settings files keep would not read back
// from them the same: longer than 255 characters, holding a line break, or beginning or ending
// with white space (the files' readers drop it).
void CheckStoredName(std::string_view text, std::string_view what);

// Throws "'<text>' is too large for the settings files" when the files' one-decimal text of the
// value typed as `text` is longer than the 255 characters a value is read back with, so that the
// value would come back cut (1e300 as 1e254). Single-precision values always fit.
void CheckFitsSettingsFiles(double value, std::string_view text);

// Whether the files' text of `value` with `decimals` decimals ("%.Nf") fits the 255 characters a
// value is read back with. Infinite and NaN values are written as "inf" and "nan", which fit.
bool FitsSettingsFiles(double value, int decimals);

// The name of the first CR, LF or NUL in `text` ("CR", "LF" or "NUL"), or null when it holds none:
// a name read from a file may hold them, and exam_ddc.ini would end its line there.
const char* LineBreakOrNulIn(std::string_view text);
