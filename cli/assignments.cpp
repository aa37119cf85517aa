#include "cli/assignments.h"

#include <map>
#include <string_view>

#include "cli/command.h"
#include "core/cp1251.h"
#include "core/editing_rules.h"
#include "core/errors.h"
#include "core/number_text.h"
#include "core/setting_catalogue.h"
#include "files/config_keys.h"

namespace cli {
namespace {

constexpr char kPoint = '.';
constexpr std::string_view kSamplesKey = "DirSamplesPerChannel";

struct Assignment {
    std::string key;
    std::string value;
};

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The configuration row whose key is `key` less `suffix` (any letter case); null otherwise.
const SettingRow* RowWithSuffix(std::string_view key, std::string_view suffix) {
    if (key.size() <= suffix.size() ||
        Upper(key.substr(key.size() - suffix.size())) != Upper(suffix))
        return nullptr;
    return FindConfigSetting(key.substr(0, key.size() - suffix.size()));
}

std::optional<std::string> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int byte = 0;
        for (const char c : hex.substr(i, 2)) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return std::nullopt;
            byte = byte * 16 + digit;
        }
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

// Whether `text` reads as exactly the value `held` has for the row.
bool SameAsHeld(const SettingRow& row, const TSettings& held, std::string_view text) {
    try {
        switch (TypeOf(row)) {
            case FieldType::Integer:
                return ParseInteger(text) == IntegerOf(row, held);
            case FieldType::Single:
                return ParseSingle(text, kPoint) == SingleOf(row, held);
            case FieldType::Double:
                return ParseReal(text, kPoint) == DoubleOf(row, held);
            case FieldType::String:
                return text == StringOf(row, held);
        }
    } catch (const SettingsError&) {
    }
    return false;
}

void KeepHeld(const SettingRow& row, TSettings& settings, const TSettings& held) {
    switch (TypeOf(row)) {
        case FieldType::Integer:
            IntegerOf(row, settings) = IntegerOf(row, held);
            return;
        case FieldType::Single:
            SingleOf(row, settings) = SingleOf(row, held);
            return;
        case FieldType::Double:
            DoubleOf(row, settings) = DoubleOf(row, held);
            return;
        case FieldType::String:
            StringOf(row, settings) = StringOf(row, held);
            return;
    }
}

// A single-precision frequency that keeps another whole number of hertz than given.
void NotePrecision(std::vector<Finding>& precision, const SettingRow& row, std::string_view text,
                   const TSettings& settings) {
    if (TypeOf(row) != FieldType::Single)
        return;
    const std::string key = row.key;
    if (key != "FreqNC0" && !key.starts_with("FrequencyNCO"))
        return;
    std::erase_if(precision, [&](const Finding& f) { return f.keys[0] == key; });
    if (auto f = NcoPrecisionFinding(key, ParseReal(text, kPoint), SingleOf(row, settings)))
        precision.push_back(std::move(*f));
}

}  // namespace

Assigned ApplyAssignments(TSettings& settings, const std::vector<std::string>& assignments,
                          const std::string& where) {
    const TSettings held = settings;
    // First what says how to read the others: the encodings and exact bytes of names.
    std::vector<Assignment> values;
    std::map<const SettingRow*, std::string> encodings;
    std::map<const SettingRow*, std::string> exactBytes;
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos)
            throw Failure(where + ": '" + assignment + "' is not KEY=VALUE");
        Assignment a{assignment.substr(0, equals), assignment.substr(equals + 1)};
        if (FindConfigSetting(a.key) != nullptr || Upper(a.key) == Upper(kSamplesKey)) {
            values.push_back(std::move(a));
        } else if (Upper(a.key) == "FORMAT") {
            if (a.value != "1")
                throw Failure(where + ": format " + a.value + " is not known (1 is)");
        } else if (const SettingRow* row = RowWithSuffix(a.key, "Hex");
                   row != nullptr && row->config == ValueFormat::Hex) {
            values.push_back({row->key, a.value});
        } else if (const SettingRow* row = RowWithSuffix(a.key, "Encoding");
                   row != nullptr && TypeOf(*row) == FieldType::String) {
            const std::string encoding = Upper(a.value);
            if (encoding != "UTF-8" && encoding != "WINDOWS-1251") {
                throw Failure(where + ": " + a.key + " is utf-8 or windows-1251, not '" + a.value +
                              "'");
            }
            encodings[row] = encoding;
        } else if (const SettingRow* row = RowWithSuffix(a.key, "Bytes");
                   row != nullptr && TypeOf(*row) == FieldType::String) {
            const std::optional<std::string> bytes = FromHex(a.value);
            if (!bytes)
                throw Failure(where + ": " + a.key + " '" + a.value + "' is not hexadecimal bytes");
            exactBytes[row] = *bytes;
        } else {
            throw Failure(where + ": " + a.key + " is not a key of a configuration file");
        }
    }

    Assigned assigned;
    for (const Assignment& a : values) {
        if (Upper(a.key) == Upper(kSamplesKey)) {
            try {
                SetDirSamplesPerChannel(settings, a.value);
            } catch (const SettingsError& e) {
                throw Failure(where + ": " + std::string(kSamplesKey) + ": " + e.what());
            }
            if (settings.DirSamplesPerChannel < 0) {
                throw Failure(where + ": " + std::string(kSamplesKey) +
                              " takes 0 ... 2147483647, not " + a.value);
            }
            assigned.samplesPerChannel = true;
            continue;
        }
        const SettingRow& row = *FindConfigSetting(a.key);
        std::string text = a.value;
        if (const auto bytes = exactBytes.find(&row); bytes != exactBytes.end()) {
            text = bytes->second;
        } else if (const auto encoding = encodings.find(&row);
                   encoding != encodings.end() && encoding->second == "WINDOWS-1251") {
            const std::optional<std::string> encoded = cp1251::FromUtf8(text);
            if (!encoded) {
                throw Failure(where + ": " + row.key + ": '" + text +
                              "' holds a character Windows-1251 has no byte for");
            }
            text = *encoded;
        }
        try {
            if (SameAsHeld(row, held, text)) {
                // What the file holds already is kept as it is, even a value the window would
                // not offer: a script that writes back what it read must never fail.
                KeepHeld(row, settings, held);
            } else {
                SetSettingFromText(row, settings, text);
            }
            NotePrecision(assigned.precision, row, text, settings);
        } catch (const SettingsError& e) {
            // The message names the key already when it is about the key's own values.
            const std::string message = e.what();
            throw Failure(where + ": " +
                          (message.starts_with(row.key) ? "" : row.key + std::string(": ")) +
                          message);
        }
    }
    return assigned;
}

}  // namespace cli
