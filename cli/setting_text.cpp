#include "cli/setting_text.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <variant>

#include "files/file_text.h"

namespace cli {
namespace {

// clang-format off
struct NoteRow {
    const char* key;
    const char* unit;
    const char* meaning;
};
const NoteRow kNotes[] = {
    {"SamplesPerChannel",      "samples", "samples per channel handed to the data viewer (1024 to 16384)"},
    {"EnableDDC",              "",        "sample source: 0 raw ADC samples, 1 DDC samples"},
    {"WorkMode",               "",        "0 viewer through data.bin, 1 direct recording to DirFileName"},
    {"DirFileName",            "",        "file of the direct recording"},
    {"ClockSource",            "",        "clock generator: 0 internal, 1 external"},
    {"ExternalClockValue",     "Hz",      "frequency of the external clock generator"},
    {"DDCChannelMask",         "mask",    "enabled DDC channels, bit i = channel i"},
    {"ChannelMask",            "mask",    "enabled ADC channels in raw ADC mode, bit j = ADC j"},
    {"DataFormat",             "",        "DDC sample format: 0 16 bits, 4 24 bits"},
    {"AdcGainMask",            "mask",    "ADC input range, bit j set = ADC j on 0.34 V, clear = 0.5 V"},
    {"Dither",                 "",        "dither: 0 off, 1 on"},
    {"StartSource",            "",        "start source: 0 programmatic, 2 SDX, 4 SYNX"},
    {"ComparatorThresholdSDX", "V",       "threshold of the start comparator (-2.5 to +2.5)"},
    {"MasterMode",             "",        "0 SLAVE, 1 SINGLE, 2 MASTER"},
    {"DDCSyncMode",            "",        "DDC synchronisation: 1 on input start, 2 programmatic"},
    {"DDCProgramFile",         "",        "DDC program file, relative to the working directory"},
    {"FreqNC0",                "Hz",      "common frequency applied to all or selected channels"},
    {"MaskSelFreqNCO",         "mask",    "channels selected for the common frequency"},
};
// clang-format on

// "FrequencyNCO12" -> 12 for the given stem, or -1.
int ChannelOf(std::string_view key, std::string_view stem) {
    if (!key.starts_with(stem))
        return -1;
    int channel = -1;
    const std::string_view digits = key.substr(stem.size());
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), channel);
    return error == std::errc() && end == digits.data() + digits.size() ? channel : -1;
}

template <typename Real>
std::string ShortestText(Real value) {
    char buffer[512];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc())
        return files::FixedText(value, 1);
    return std::string(buffer, end);
}

bool IsUtf8(const std::string& text) {
    try {
        (void)nlohmann::ordered_json(text).dump();
        return true;
    } catch (const nlohmann::ordered_json::type_error&) {
        return false;
    }
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

SettingNote NoteOf(const ParamRow& row) {
    for (const NoteRow& note : kNotes) {
        if (std::strcmp(note.key, row.key) == 0)
            return {note.unit, note.meaning};
    }
    if (const int c = ChannelOf(row.key, "FrequencyNCO"); c >= 0)
        return {"Hz", "NCO frequency of DDC channel " + std::to_string(c)};
    if (const int c = ChannelOf(row.key, "InputSource"); c >= 0)
        return {"", "ADC (0 to 3) feeding DDC channel " + std::to_string(c)};
    return {};
}

std::string ExactText(const ParamRow& row) {
    if (const auto* integer = std::get_if<int32_t*>(&row.field)) {
        return row.kind == ParamKind::Hex ? "0x" + files::HexText(**integer, files::HexCase::Lower)
                                          : files::DecimalText(**integer);
    }
    if (const auto* single = std::get_if<float*>(&row.field))
        return ShortestText(**single);
    if (const auto* real = std::get_if<double*>(&row.field))
        return ShortestText(**real);
    return **std::get_if<std::string*>(&row.field);
}

void PutJsonValue(nlohmann::ordered_json& object, const ParamRow& row) {
    const std::string key = row.key;
    if (const auto* integer = std::get_if<int32_t*>(&row.field)) {
        object[key] = **integer;
        if (row.kind == ParamKind::Hex)
            object[key + "Hex"] = ExactText(row);
    } else if (const auto* text = std::get_if<std::string*>(&row.field)) {
        object[key] = **text;
        if (!IsUtf8(**text))
            object[key + "Bytes"] = HexBytes(**text);
    } else {
        // A single-precision value goes by its shortest text, so 1.26 stays 1.26 and does not
        // become 1.2599999904632568.
        const std::string shortest = ExactText(row);
        double value = 0;
        std::from_chars(shortest.data(), shortest.data() + shortest.size(), value);
        object[key] = value;
    }
}

std::string JsonText(const nlohmann::ordered_json& document) {
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace cli
