// Number texts as the window shows them: fixed point with a scientific fallback.
#pragma once

#include <string>

// At most `precision` significant digits and exactly `decimals` decimals, rounded half away from
// zero; a value whose integer part needs more than `precision` digits is shown in scientific form
// ("1.23456789E10"). No thousands separators; `separator` is the locale's decimal separator.
std::string FormatFixed(double value, int precision, int decimals, char separator);

// Frequencies: whole hertz, at most 10 significant digits.
inline std::string FormatFrequency(double value, char separator) {
    return FormatFixed(value, 10, 0, separator);
}

// The comparator threshold: one decimal, at most 3 significant digits.
inline std::string FormatThreshold(double value, char separator) {
    return FormatFixed(value, 3, 1, separator);
}
