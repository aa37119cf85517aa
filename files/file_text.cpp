#include "files/file_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <system_error>

#include "core/digits.h"

namespace files {
namespace {

std::size_t SkipWhiteSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i]))
        ++i;
    return i;
}

template <typename T>
std::string ToChars(T value, int base) {
    std::array<char, 40> buffer;
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, base);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string_view TrimWhiteSpace(std::string_view text) {
    text.remove_prefix(SkipWhiteSpace(text));
    while (!text.empty() && IsWhiteSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string DecimalText(int32_t value) {
    return ToChars(value, 10);
}

std::string UnsignedText(int32_t value) {
    return ToChars(static_cast<uint32_t>(value), 10);
}

std::string HexText(int32_t value, HexCase letters) {
    std::string text = ToChars(static_cast<uint32_t>(value), 16);
    if (letters == HexCase::Upper)
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c; });
    return text;
}

std::string FixedText(double value, int decimals) {
    // Room for DBL_MAX in full (309 digits), a sign, the point and the decimals.
    std::array<char, 320 + 20> buffer;
    decimals = std::clamp(decimals, 0, 20);
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::fixed, decimals);
    return std::string(buffer.data(), result.ptr);
}

namespace {

template <typename Real>
std::string Shortest(Real value) {
    std::array<char, 64> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    std::string text(buffer.data(), result.ptr);
    if (text.find_first_of(".ni") == std::string::npos) {  // no point, and not "inf" or "nan"
        const std::size_t exponent = text.find('e');
        text.insert(exponent == std::string::npos ? text.size() : exponent, ".0");
    }
    return text;
}

}  // namespace

std::string ShortestText(double value) {
    return Shortest(value);
}

std::string ShortestText(float value) {
    return Shortest(value);
}

int32_t IntegerFromText(std::string_view text) {
    constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
    std::size_t i = SkipWhiteSpace(text);
    uint64_t magnitude = 0;
    bool negative = false;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        for (i += 2; i < text.size() && HexDigitValue(text[i]) >= 0; ++i)
            magnitude = std::min(magnitude * 16 + HexDigitValue(text[i]), kMax + 1);
    } else {
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negative = text[i++] == '-';
        for (; i < text.size() && IsDigit(text[i]); ++i)
            magnitude = std::min(magnitude * 10 + (text[i] - '0'), kMax + 1);
    }
    if (magnitude > kMax)
        return -1;
    uint32_t pattern = static_cast<uint32_t>(magnitude);
    if (negative)
        pattern = 0u - pattern;
    return static_cast<int32_t>(pattern);
}

int32_t DecimalFromText(std::string_view text) {
    // One past INT32_MAX in magnitude is INT32_MIN; anything further saturates.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    std::size_t i = SkipWhiteSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), kLimit);
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min(magnitude, kLimit - 1));
}

double RealFromText(std::string_view text) {
    std::size_t i = SkipWhiteSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t mantissa = i;  // from_chars takes no '+', so it starts after the sign
    int digits = 0;
    // Decimal position of the first significant digit, relative to the point, to tell an
    // overflow from an underflow when from_chars reports the value out of range.
    int64_t integerDigits = 0;
    bool significant = false;
    int64_t leadingFractionZeros = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
        significant = significant || text[i] != '0';
        if (significant)
            ++integerDigits;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
            if (!significant && text[i] == '0')
                ++leadingFractionZeros;
            significant = significant || text[i] != '0';
        }
    }
    if (digits == 0)
        return 0.0;
    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            negativeExponent = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                exponent = std::min<int64_t>(exponent * 10 + (text[j] - '0'), 1'000'000'000);
            if (negativeExponent)
                exponent = -exponent;
            i = j;
        }
    }
    double value = 0.0;
    const char* first = text.data() + mantissa;
    const char* last = text.data() + i;
    auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        const int64_t magnitude =
            integerDigits > 0 ? integerDigits + exponent : exponent - leadingFractionZeros;
        value = magnitude > 0 ? std::numeric_limits<double>::max() : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

float ToSingle(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax)
        return std::numeric_limits<float>::max();
    if (value < -kMax)
        return -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

}  // namespace files
