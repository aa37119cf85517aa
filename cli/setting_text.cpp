#include "cli/setting_text.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "cli/terminal_text.h"
#include "core/cp1251.h"
#include "files/file_text.h"

namespace cli {
namespace {

template <typename Real>
std::string ShortestText(Real value) {
    char buffer[512];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc())
        return files::FixedText(value, 1);
    return std::string(buffer, end);
}

std::string HexBytes(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

}  // namespace

SettingNote NoteOf(const SettingRow& row) {
    return {row.unit, row.meaning};
}

std::string ExactText(const SettingRow& row, const TSettings& settings) {
    switch (TypeOf(row)) {
        case FieldType::Integer:
            return row.config == ValueFormat::Hex
                       ? "0x" + files::HexText(IntegerOf(row, settings), files::HexCase::Lower)
                       : files::DecimalText(IntegerOf(row, settings));
        case FieldType::Single:
            return ShortestText(SingleOf(row, settings));
        case FieldType::Double:
            return ShortestText(DoubleOf(row, settings));
        case FieldType::String:
            break;
    }
    return StringOf(row, settings);
}

void PutJsonValue(nlohmann::ordered_json& object, const SettingRow& row,
                  const TSettings& settings) {
    const std::string key = row.key;
    switch (TypeOf(row)) {
        case FieldType::Integer:
            object[key] = IntegerOf(row, settings);
            if (row.config == ValueFormat::Hex)
                object[key + "Hex"] = ExactText(row, settings);
            return;
        case FieldType::String: {
            const std::string& bytes = StringOf(row, settings);
            const char* encoding = "";
            object[key] = DecodedName(bytes, &encoding);
            object[key + "Encoding"] = encoding;
            if (!cp1251::IsUtf8(bytes))
                object[key + "Bytes"] = HexBytes(bytes);
            return;
        }
        case FieldType::Single:
        case FieldType::Double:
            break;
    }
    // A single-precision value goes by its shortest text, so 1.26 stays 1.26 and does not
    // become 1.2599999904632568.
    const std::string shortest = ExactText(row, settings);
    double value = 0;
    std::from_chars(shortest.data(), shortest.data() + shortest.size(), value);
    object[key] = value;
}

std::string JsonText(const nlohmann::ordered_json& document) {
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace cli
