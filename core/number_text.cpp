#include "core/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "core/digits.h"
#include "core/errors.h"
#include "core/settings.h"

namespace {

bool IsBlank(char c) {
    return c == ' ';
}

[[noreturn]] void ThrowNotReal(std::string_view text) {
    throw SettingsError("'" + std::string(text) + "' is not a valid floating point value");
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
    throw SettingsError("'" + std::string(text) + "' is not a valid integer value");
}

[[noreturn]] void ThrowOverflow() {
    throw SettingsError("Floating point overflow");
}

}  // namespace

double ParseReal(std::string_view text, char decimalSeparator) {
    std::size_t pos = 0;
    std::size_t end = text.size();
    while (pos < end && IsBlank(text[pos]))
        ++pos;
    while (end > pos && IsBlank(text[end - 1]))
        --end;

    // Checked against the typed grammar first, then handed to from_chars in C notation, so the
    // process locale never matters.
    std::string normalized;
    std::size_t i = pos;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            normalized += '-';
        ++i;
    }
    int mantissaDigits = 0;
    int significantIntegerDigits = 0;  // before the separator, leading zeros skipped
    int leadingFractionZeros = 0;      // zeros right after the separator, before any other digit
    bool seenNonZero = false;
    while (i < end && IsDigit(text[i])) {
        seenNonZero = seenNonZero || text[i] != '0';
        if (seenNonZero)
            ++significantIntegerDigits;
        normalized += text[i++];
        ++mantissaDigits;
    }
    // The point and the comma are taken alike, and the caller's separator too: the grammar has
    // no group separator, so either can only be the decimal one (a keypad gives a point on a
    // desktop whose separator is a comma).
    if (i < end && (text[i] == decimalSeparator || text[i] == '.' || text[i] == ',')) {
        normalized += '.';
        ++i;
        while (i < end && IsDigit(text[i])) {
            if (!seenNonZero && text[i] == '0')
                ++leadingFractionZeros;
            seenNonZero = seenNonZero || text[i] != '0';
            normalized += text[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        ThrowNotReal(text);
    long long exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        normalized += 'e';
        ++i;
        bool negative = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            normalized += text[i++];
        }
        std::size_t expDigits = 0;
        while (i < end && IsDigit(text[i])) {
            if (exponent < 1000000)
                exponent = exponent * 10 + (text[i] - '0');
            normalized += text[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            ThrowNotReal(text);
        if (negative)
            exponent = -exponent;
    }
    if (i != end)
        ThrowNotReal(text);
    if (!seenNonZero)
        return 0.0;

    double value = 0.0;
    const char* first = normalized.data();
    const char* last = first + normalized.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Decimal magnitude of the first significant digit tells overflow from underflow.
        const long long magnitude = significantIntegerDigits > 0
                                        ? significantIntegerDigits + exponent
                                        : exponent - leadingFractionZeros;
        if (magnitude > 0)
            ThrowOverflow();
        return 0.0;
    }
    if (ec != std::errc() || ptr != last)
        ThrowNotReal(text);
    if (!std::isfinite(value))
        ThrowOverflow();
    return value;
}

float ParseSingle(std::string_view text, char decimalSeparator) {
    const double value = ParseReal(text, decimalSeparator);
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        ThrowOverflow();
    }
    return static_cast<float>(value);
}

int32_t ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    std::string_view rest = text.substr(i);
    if (rest.empty())
        ThrowNotInteger(text);

    std::size_t prefix = 0;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') {
        prefix = 1;
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        prefix = 2;
    }
    if (prefix > 0) {
        std::string_view digits = rest.substr(prefix);
        if (digits.empty())
            ThrowNotInteger(text);
        uint64_t value = 0;
        for (char c : digits) {
            const int d = HexDigitValue(c);
            if (d < 0)
                ThrowNotInteger(text);
            value = value * 16 + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFull)
                ThrowNotInteger(text);
        }
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }

    bool negative = false;
    std::size_t j = 0;
    if (rest[0] == '+' || rest[0] == '-') {
        negative = rest[0] == '-';
        j = 1;
    }
    if (j == rest.size())
        ThrowNotInteger(text);
    int64_t value = 0;
    for (; j < rest.size(); ++j) {
        if (!IsDigit(rest[j]))
            ThrowNotInteger(text);
        value = value * 10 + (rest[j] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            ThrowNotInteger(text);
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        ThrowNotInteger(text);
    return static_cast<int32_t>(value);
}

void CheckStringLength(std::string_view text, std::string_view what) {
    if (text.size() > kMaxStringLength) {
        throw SettingsError(std::string(what) + " is longer than " +
                            std::to_string(kMaxStringLength) + " characters (" +
                            std::to_string(text.size()) + ")");
    }
}

void CheckNoLineBreak(std::string_view text, std::string_view what) {
    if (text.find_first_of("\r\n") != std::string_view::npos)
        throw SettingsError(std::string(what) + " holds a line break");
}

void CheckStoredName(std::string_view text, std::string_view what) {
    CheckStringLength(text, what);
    CheckNoLineBreak(text, what);
    // The blanks of the files' readers: blank, tab, VT, FF (CR and LF are refused above).
    auto isWhiteSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if (!text.empty() && (isWhiteSpace(text.front()) || isWhiteSpace(text.back())))
        throw SettingsError(std::string(what) + " begins or ends with a blank");
}

bool FitsSettingsFiles(double value, int decimals) {
    // Room for DBL_MAX in full (309 digits), a sign, the point and the decimals.
    std::array<char, 330> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    return result.ec == std::errc() &&
           static_cast<std::size_t>(result.ptr - buffer.data()) <= kMaxStringLength;
}

void CheckFitsSettingsFiles(double value, std::string_view text) {
    if (!FitsSettingsFiles(value, 1))
        throw SettingsError("'" + std::string(text) + "' is too large for the settings files");
}

const char* LineBreakOrNulIn(std::string_view text) {
    for (char c : text) {
        if (c == '\r')
            return "CR";
        if (c == '\n')
            return "LF";
        if (c == '\0')
            return "NUL";
    }
    return nullptr;
}
