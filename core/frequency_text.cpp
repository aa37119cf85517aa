#include "core/frequency_text.h"

#include <cmath>
#include <string>

#include "core/digits.h"
#include "core/errors.h"
#include "core/number_text.h"

namespace {

struct Unit {
    std::string_view spelling;  // lower case
    int exponent;
};

// clang-format off
constexpr Unit kUnits[] = {
    {"hz", 0},                        {"khz", 3},                                {"mhz", 6},
    {"\xd0\xb3\xd1\x86", 0},          {"\xd0\xba\xd0\xb3\xd1\x86", 3},           {"\xd0\xbc\xd0\xb3\xd1\x86", 6},  // UTF-8
    {"\xe3\xf6", 0},                  {"\xea\xe3\xf6", 3},                       {"\xec\xe3\xf6", 6},              // Windows-1251
};
// clang-format on

// Cyrillic capitals U+0410..U+042F to small letters, in UTF-8; other bytes as they are.
std::string LowerUtf8(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == 0xD0 && next >= 0x90 && next <= 0x9F) {
            out += '\xd0';
            out += static_cast<char>(next + 0x20);
            ++i;
        } else if (c == 0xD0 && next >= 0xA0 && next <= 0xAF) {
            out += '\xd1';
            out += static_cast<char>(next - 0x20);
            ++i;
        } else {
            out += LowerAscii(text[i]);
        }
    }
    return out;
}

// Windows-1251 capitals 0xC0..0xDF to small letters.
std::string LowerCp1251(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        out += c >= 0xC0 && c <= 0xDF ? static_cast<char>(c + 0x20) : LowerAscii(ch);
    }
    return out;
}

const Unit* FindUnit(std::string_view typed) {
    const std::string utf8 = LowerUtf8(typed);
    const std::string cp1251 = LowerCp1251(typed);
    for (const Unit& unit : kUnits) {
        if (unit.spelling == utf8 || unit.spelling == cp1251) {
            return &unit;
        }
    }
    return nullptr;
}

bool IsUnitByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           static_cast<unsigned char>(c) >= 0x80;
}

[[noreturn]] void ThrowNotFrequency(std::string_view text) {
    throw SettingsError("'" + std::string(text) + "' is not a valid floating point value");
}

}  // namespace

double ParseFrequencyText(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') {
        --end;
    }
    std::size_t unitStart = end;
    while (unitStart > 0 && IsUnitByte(text[unitStart - 1])) {
        --unitStart;
    }
    int exponent = 0;
    const std::string_view unitText = text.substr(unitStart, end - unitStart);
    std::string number(text.substr(0, unitStart));
    if (!unitText.empty()) {
        const Unit* unit = FindUnit(unitText);
        // "1e" or "1E": an exponent without digits, not a unit.
        if (unit == nullptr) {
            ThrowNotFrequency(text);
        }
        exponent = unit->exponent;
    }
    const char separator = number.find(',') != std::string::npos ? ',' : '.';
    const bool hasExponent = number.find_first_of("eE") != std::string::npos;
    try {
        if (exponent == 0) {
            return ParseReal(number, separator);
        }
        if (!hasExponent) {
            // Scaled in the text, so that 10.7 MHz is exactly the double nearest to 10700000.
            while (!number.empty() && number.back() == ' ') {
                number.pop_back();
            }
            return ParseReal(number + "e" + std::to_string(exponent), separator);
        }
        const double value = ParseReal(number, separator) * std::pow(10.0, exponent);
        if (!std::isfinite(value)) {
            throw SettingsError("Floating point overflow");
        }
        return value;
    } catch (const SettingsError& e) {
        if (std::string_view(e.what()).starts_with("'")) {
            ThrowNotFrequency(text);
        }
        throw;
    }
}
