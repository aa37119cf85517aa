#include "files/ini_file.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/number_text.h"
#include "core/setting_catalogue.h"
#include "core/settings.h"
#include "files/file_text.h"
#include "files/profile_store.h"

namespace {

constexpr const char* S1 = kOptionSection;
constexpr const char* S2 = kDeviceSection;

// The default text that marks a key as absent when its comment is looked up.
constexpr std::string_view kAbsent = "NONAND";

// A string value ends at a line break, so that its comment stays on its line.
std::string_view OneLine(const std::string& value) {
    return std::string_view(value).substr(0, value.find('\n'));
}

// How a string value reads back: without the white space before it.
std::string_view StringAsRead(const std::string& value) {
    std::string_view text = OneLine(value);
    while (!text.empty() && files::IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

// The comment to carry over: the text after the first ";" of the present value. For a string row
// whose present value starts with the string being written, the ";" after it counts instead (and
// nothing after it means no comment), so that a file name holding ";" is not taken for the start
// of its comment (without a ";" in the name that is the first ";" anyway).
std::string CarriedComment(const ProfileStore& store, const SettingRow& row, const TSettings& s) {
    const std::string present = store.ReadWhole(row.section, row.key, kAbsent);
    if (present == kAbsent)
        return {};
    std::size_t semicolon = present.find(';');
    if (TypeOf(row) == FieldType::String) {
        const std::string_view own = StringAsRead(StringOf(row, s));
        if (std::string_view(present).starts_with(own)) {
            std::size_t after = own.size();
            while (after < present.size() && files::IsWhiteSpace(present[after]))
                ++after;
            if (after == present.size())
                semicolon = std::string::npos;
            else if (present[after] == ';')
                semicolon = after;
        }
    }
    return semicolon == std::string::npos ? std::string() : present.substr(semicolon + 1);
}

std::string ValueText(const SettingRow& row, const TSettings& s, int32_t integer) {
    using F = ValueFormat;
    std::string text(" ");
    switch (row.ini) {
        case F::None:
            break;
        case F::Decimal:
            text.append(files::UnsignedText(integer)).append("\t\t;");
            break;
        case F::Hex:
            text.append("0x")
                .append(files::HexText(integer, files::HexCase::Upper))
                .append("\t\t;");
            break;
        case F::Real1:
            text.append(files::FixedText(RealOf(row, s), 1)).append("\t;");
            break;
        case F::Real2:
            text.append(files::FixedText(RealOf(row, s), 2)).append("\t;");
            break;
        case F::String:
            text.append(OneLine(StringOf(row, s))).append("\t;");
            break;
    }
    return text;
}

// DataFormat follows the sample source: the DDC format, the fixed ADC format, or, for any other
// source, the line stays as it is.
std::optional<int32_t> DataFormatToWrite(const TSettings& s) {
    if (s.EnableDDC == 1)
        return s.DataFormat;
    if (s.EnableDDC == 0)
        return s.AdcDataFormat;
    return std::nullopt;
}

}  // namespace

bool IniWritable(const std::string& name, const TSettings& settings, std::string* error) {
    std::string why;
    for (const SettingRow* row : RowsOf(FileOf::Ini)) {
        if (TypeOf(*row) == FieldType::String) {
            if (const char* what = LineBreakOrNulIn(StringOf(*row, settings))) {
                why = std::string(row->key) + " holds a " + what +
                      " character, which the file cannot hold";
                break;
            }
        } else if ((row->ini == ValueFormat::Real1 || row->ini == ValueFormat::Real2) &&
                   !FitsSettingsFiles(RealOf(*row, settings),
                                      row->ini == ValueFormat::Real2 ? 2 : 1)) {
            why = std::string(row->key) + " " + files::ShortestText(RealOf(*row, settings)) +
                  " is too large for the settings files";
            break;
        }
    }
    if (!why.empty() && error)
        *error = "cannot write \"" + name + "\": " + why;
    return why.empty();
}

void ReadIniFrom(const ProfileStore& store, TSettings& settings) {
    const int32_t bufferSize = files::DecimalFromText(store.Read(S1, "DirFileBufSize", ""));
    const double clock = files::RealFromText(store.Read(S2, "InternalClockValue", ""));
    settings.DirFileBufSize = bufferSize;
    settings.InternalClockValue = clock;
}

std::optional<int32_t> RecordedBuffersFrom(const ProfileStore& store) {
    const std::string text = store.Read(S1, "DirNumBufWrite", kAbsent);
    if (text == kAbsent)
        return std::nullopt;
    return files::DecimalFromText(text);
}

void WriteIniTo(ProfileStore& store, const TSettings& settings) {
    for (const SettingRow* row : RowsOf(FileOf::Ini)) {
        int32_t integer = 0;
        if (row->iniWrite == IniWrite::DataFormat) {
            const std::optional<int32_t> dataFormat = DataFormatToWrite(settings);
            if (!dataFormat)
                continue;
            integer = *dataFormat;
        } else if (TypeOf(*row) == FieldType::Integer) {
            integer = IntegerOf(*row, settings);
        }
        store.Write(
            row->section, row->key,
            ValueText(*row, settings, integer).append(CarriedComment(store, *row, settings)));
    }
}

bool ReadIni(const std::string& name, TSettings& settings, std::string* error) {
    return ReadProfile(name, error,
                       [&](const ProfileStore& store) { ReadIniFrom(store, settings); });
}

bool WriteIni(const std::string& name, const TSettings& settings, std::string* error,
              IniBytes* bytes) {
    return files::FailingOnOutOfMemory("write", name, error, [&] {
        if (!IniWritable(name, settings, error))
            return false;
        ProfileStore store;
        std::string loadError;
        const files::LoadStatus loaded = store.Load(name, &loadError);
        if (loaded == files::LoadStatus::Failed) {
            if (error)
                *error = loadError;
            return false;
        }
        if (bytes)
            bytes->before = store.Bytes();
        WriteIniTo(store, settings);
        if (bytes)
            bytes->after = store.Bytes();
        // One save for all the keys, where the platform's profile cache reached the disk twice:
        // the file on disk is either the old one or the new one whole. Nothing changed, nothing
        // written.
        if (loaded == files::LoadStatus::Loaded && !store.Changed())
            return true;
        return store.Save(name, error);
    });
}
