#include "ui/number_display.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace {

// Significant digits taken from the binary value; far more than a rounding decision at ten
// digits can need, so the decision is made on the exact value, not on a rounded copy.
constexpr int kExactDigits = 40;

struct Decimal {
    std::string digits;  // d1 d2 ... without leading zeros; empty for zero
    int exponent = 0;    // the value is 0.d1d2... x 10^exponent
};

Decimal ToDecimal(double magnitude) {
    Decimal d;
    if (magnitude == 0) {
        return d;
    }
    // to_chars writes "d.ddd...e+XX" whatever the process locale (printf would write the
    // locale's decimal comma into it).
    char buffer[kExactDigits + 16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                         std::chars_format::scientific, kExactDigits - 1);
    const std::string_view text(buffer, ec == std::errc() ? end - buffer : 0);
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e && i < text.size(); ++i) {
        if (text[i] != '.') {
            d.digits.push_back(text[i]);
        }
    }
    int exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = text.substr(e + 1);
        if (!digits.empty() && digits.front() == '+') {
            digits.remove_prefix(1);
        }
        std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
    }
    d.exponent = exponent + 1;
    return d;
}

// Keeps `count` leading digits, rounding half away from zero; a carry adds a digit in front.
void RoundTo(Decimal& d, int count) {
    if (d.digits.empty()) {
        return;
    }
    if (count < 0) {
        d.digits.clear();
        return;
    }
    const std::size_t keep = static_cast<std::size_t>(count);
    if (keep >= d.digits.size()) {
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        std::size_t i = keep;
        while (i > 0 && d.digits[i - 1] == '9') {
            d.digits[--i] = '0';
        }
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i - 1];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
}

char DigitAt(const Decimal& d, int index) {
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

}  // namespace

std::string FormatFixed(double value, int precision, int decimals, char separator) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    Decimal d = ToDecimal(std::fabs(value));
    RoundTo(d, std::min(d.exponent + decimals, precision));

    std::string text;
    if (d.digits.empty()) {
        text = "0";  // a value that rounds to zero loses its sign
        if (decimals > 0) {
            text += separator;
            text.append(static_cast<std::size_t>(decimals), '0');
        }
        return text;
    }
    if (value < 0) {
        text = "-";
    }
    if (d.exponent > precision) {
        text += d.digits[0];
        if (d.digits.size() > 1) {
            text += separator;
            text.append(d.digits, 1);
        }
        text += 'E';
        char exponent[16];
        const auto [end, ec] = std::to_chars(exponent, exponent + sizeof exponent, d.exponent - 1);
        text.append(exponent, ec == std::errc() ? end : exponent);
        return text;
    }
    if (d.exponent <= 0) {
        text += '0';
    }
    for (int i = 0; i < d.exponent; ++i) {
        text += DigitAt(d, i);
    }
    if (decimals > 0) {
        text += separator;
        for (int k = 0; k < decimals; ++k) {
            text += DigitAt(d, d.exponent + k);
        }
    }
    return text;
}
