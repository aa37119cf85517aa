#include "core/choice_text.h"

#include <optional>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text without blanks, with Latin and Cyrillic capitals (U+0400..U+042F, two bytes in UTF-8)
// made small.
std::string Folded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsBlank(text[i])) {
            continue;
        }
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
            continue;
        }
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (c == 0xD0 && next >= 0x80 && next <= 0xAF) {
            // U+0400..U+040F -> U+0450..U+045F, U+0410..U+041F -> U+0430..U+043F,
            // U+0420..U+042F -> U+0440..U+044F.
            const unsigned small = next < 0x90 ? 0x450 + (next - 0x80) : 0x430 + (next - 0x90);
            out += static_cast<char>(0xC0 | (small >> 6));
            out += static_cast<char>(0x80 | (small & 0x3F));
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

// Decimal digits without their leading zeros ("0" for zero), so that numbers of any length
// compare as texts.
std::string Significant(std::string_view digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string("0") : std::string(digits.substr(first));
}

// The number an item begins with, after leading blanks; none when it begins otherwise.
std::optional<std::string> LeadingNumber(std::string_view item) {
    size_t start = 0;
    while (start < item.size() && IsBlank(item[start])) {
        ++start;
    }
    size_t end = start;
    while (end < item.size() && IsDigit(item[end])) {
        ++end;
    }
    if (end == start) {
        return std::nullopt;
    }
    return Significant(item.substr(start, end - start));
}

}  // namespace

int ChoiceFromText(std::string_view typed, const std::vector<std::string>& items) {
    const std::string folded = Folded(typed);
    if (folded.empty()) {
        return -1;
    }
    const bool isNumber = folded.find_first_not_of("0123456789") == std::string::npos;
    const std::string number = isNumber ? Significant(folded) : std::string();
    for (size_t i = 0; i < items.size(); ++i) {
        if (isNumber && LeadingNumber(items[i]) == number) {
            return static_cast<int>(i);
        }
        if (Folded(items[i]) == folded) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
