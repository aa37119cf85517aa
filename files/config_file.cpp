#include "files/config_file.h"

#include <cmath>
#include <cstring>
#include <variant>

#include "core/setting_catalogue.h"
#include "files/file_io.h"
#include "files/file_text.h"
#include "files/profile_store.h"

namespace {

// Every key missing from the file reads as this text, so as 0 or as the string "0".
constexpr const char* kMissing = "0";
// A text no value can read as: a value is at most one line.
constexpr const char* kAbsent = "\n";

// A real as the configuration keeps it: with one decimal, as it always has been, wherever that
// reads back as the same value (the bytes of every such file stay as they were); otherwise in the
// fewest digits that do (0.75, 1.25, 0.04, the largest double), always with a decimal point.
std::string RealText(const SettingRow& row, const TSettings& s) {
    const bool single = TypeOf(row) == FieldType::Single;
    const double value = RealOf(row, s);
    auto readsBack = [&](const std::string& text) {
        const double back = files::RealFromText(text);
        return text.size() <= ProfileStore::kMaxValueLength &&
               (single ? files::ToSingle(back) == SingleOf(row, s) : back == value);
    };
    std::string text = files::FixedText(value, 1);
    if (!std::isfinite(value) || readsBack(text))
        return text;
    // A float's own shortest text read as a double may round to a neighbouring float; the
    // double's text of the same value cannot.
    text = single ? files::ShortestText(SingleOf(row, s)) : files::ShortestText(value);
    return readsBack(text) ? text : files::ShortestText(value);
}

std::string ValueText(const SettingRow& row, const TSettings& s) {
    switch (TypeOf(row)) {
        case FieldType::Integer:
            return row.config == ValueFormat::Hex ? std::string("0x").append(files::HexText(
                                                        IntegerOf(row, s), files::HexCase::Lower))
                                                  : files::DecimalText(IntegerOf(row, s));
        case FieldType::Single:
        case FieldType::Double:
            return RealText(row, s);
        case FieldType::String: {
            // A line break would end the line early and make the rest of the value a line of its
            // own; the value is cut there, which is what any reader would have seen.
            const std::string& value = StringOf(row, s);
            return value.substr(0, value.find('\n'));
        }
    }
    return {};
}

// A value as read, held until every row is read: the record then changes all at once or not at
// all.
using Value = std::variant<int32_t, float, double, std::string>;

Value ValueOf(const SettingRow& row, const std::string& text) {
    switch (TypeOf(row)) {
        case FieldType::Integer:
            return files::IntegerFromText(text);
        case FieldType::Single:
            return files::ToSingle(files::RealFromText(text));
        case FieldType::Double:
            return files::RealFromText(text);
        case FieldType::String:
            break;
    }
    return text;
}

void Store(const SettingRow& row, TSettings& s, Value&& value) {
    switch (TypeOf(row)) {
        case FieldType::Integer:
            IntegerOf(row, s) = std::get<int32_t>(value);
            break;
        case FieldType::Single:
            SingleOf(row, s) = std::get<float>(value);
            break;
        case FieldType::Double:
            DoubleOf(row, s) = std::get<double>(value);
            break;
        case FieldType::String:
            StringOf(row, s) = std::move(std::get<std::string>(value));
            break;
    }
}

}  // namespace

std::vector<std::string> ReadConfigFrom(const ProfileStore& store, TSettings& settings) {
    const auto rows = RowsOf(FileOf::Config);
    std::vector<Value> values;
    std::vector<std::string> missing;
    values.reserve(rows.size());
    for (const SettingRow* row : rows) {
        const std::string text = store.Read(row->section, row->key, kAbsent);
        const bool absent = text == kAbsent;
        if (absent)
            missing.emplace_back(row->key);
        values.push_back(ValueOf(*row, absent ? std::string(kMissing) : text));
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Store(*rows[i], settings, std::move(values[i]));
    }
    return missing;
}

std::string ConfigText(const TSettings& settings) {
    std::string text;
    const char* section = nullptr;
    for (const SettingRow* row : RowsOf(FileOf::Config)) {
        if (!section || std::strcmp(section, row->section) != 0) {
            // The single space line between the sections is part of the format readers know.
            if (section)
                text += " \r\n";
            section = row->section;
            text.append("[").append(section).append("]\r\n\r\n");
        }
        text.append(row->key).append("= ").append(ValueText(*row, settings)).append("\r\n");
    }
    return text;
}

bool IsConfiguration(const ProfileStore& store) {
    return store.HasSection(kOptionSection) || store.HasSection(kDeviceSection);
}

bool ReadConfig(const std::string& name, TSettings& settings, std::string* error,
                std::vector<std::string>* missingKeys) {
    bool refused = false;
    const bool read = ReadProfile(name, error, [&](const ProfileStore& store) {
        // Any text file would otherwise read as a configuration of zeros.
        refused = !IsConfiguration(store);
        if (!refused) {
            std::vector<std::string> missing = ReadConfigFrom(store, settings);
            if (missingKeys)
                *missingKeys = std::move(missing);
        }
    });
    if (read && refused && error) {
        *error = "cannot read \"" + name + "\": not a configuration file (no [" + kOptionSection +
                 "] or [" + kDeviceSection + "] section)";
    }
    return read && !refused;
}

bool WriteConfig(const std::string& name, const TSettings& settings, std::string* error) {
    return files::FailingOnOutOfMemory("write", name, error, [&] {
        return files::WriteFileAtomically(name, ConfigText(settings), error);
    });
}
