// Numbers as the settings files spell them. Whatever the process locale (Qt sets the C library's
// locale from the environment), reals use a point: nothing here goes through printf or strtod.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace files {

// White space as the C library's isspace has it in the "C" locale: blank, tab, LF, VT, FF, CR.
constexpr bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
// The text without the white space around it.
std::string_view TrimWhiteSpace(std::string_view text);

// "%d".
std::string DecimalText(int32_t value);
// "%u" of the 32-bit pattern: -1 gives 4294967295.
std::string UnsignedText(int32_t value);
// "%x" or "%X" of the 32-bit pattern, without prefix or leading zeros: -1 gives ffffffff.
enum class HexCase { Lower, Upper };
std::string HexText(int32_t value, HexCase letters);
// "%.Nf": the exact binary value rounded half to even, as printf does; "inf" and "nan" as printf.
std::string FixedText(double value, int decimals);

// The fewest digits that read back as the same double, or float (std::to_chars' shortest form),
// always with a decimal point: 0.75, 1.0e-07, 1.7976931348623157e+308.
std::string ShortestText(double value);
std::string ShortestText(float value);

// An integer value text: leading white space skipped, then "0x"/"0X" and hexadecimal digits, or
// an optional sign and decimal digits; the longest such prefix counts, none gives 0. The value is
// taken modulo 2^32 (0xffffffff, 4294967295 and -1 are all -1). A magnitude beyond 32 bits
// (0x100000000, 4294967296, -4294967296) gives -1, all bits set, as the C library's strtoul does
// where unsigned long has 32 bits.
int32_t IntegerFromText(std::string_view text);

// The leading signed decimal integer only ("0x10" gives 0); beyond the 32-bit signed range the
// value saturates to INT32_MAX or INT32_MIN.
int32_t DecimalFromText(std::string_view text);

// The longest prefix that forms a decimal real ([sign] digits [. digits] [e [sign] digits], at
// least one mantissa digit), none gives 0. No "inf", "nan" or hexadecimal reals. Beyond the double
// range the value saturates to +-DBL_MAX; below it, it becomes 0.
double RealFromText(std::string_view text);

// A real for a single-precision setting: beyond the float range it saturates to +-FLT_MAX.
float ToSingle(double value);

}  // namespace files
