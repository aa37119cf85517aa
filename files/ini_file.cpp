#include "files/ini_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <variant>

#include "core/settings.h"
#include "files/file_text.h"
#include "files/profile_store.h"
#include "files/settings_keys.h"

namespace {

constexpr const char* S1 = kOptionSection;
constexpr const char* S2 = kDeviceSection;
constexpr const TSettings& S = Settings;

// How a value is spelled before its comment; the white space before ";" is always the format's.
enum class Format { Decimal, Hex, Real1, Real2, String };
using F = Format;
using IniField = std::variant<const int32_t*, const float*, const double*, const std::string*>;

struct IniRow {
    const char* section;
    const char* key;
    Format format;
    IniField field;
};

// The keys this program owns, in the order they are written.
constexpr std::array<IniRow, 49> BuildIniRows() {
    std::array<IniRow, 49> rows{};
    std::size_t n = 0;
    // clang-format off
    rows[n++] = {S1, "SamplesPerChannel",      F::Decimal, &S.SamplesPerChannel};
    rows[n++] = {S1, "EnableDDC",              F::Decimal, &S.EnableDDC};
    rows[n++] = {S1, "WorkMode",               F::Decimal, &S.WorkMode};
    rows[n++] = {S1, "DirFileName",            F::String,  &S.DirFileName};
    rows[n++] = {S1, "DirNumBufWrite",         F::Decimal, &S.DirNumBufWrite};
    rows[n++] = {S2, "ClockSource",            F::Decimal, &S.ClockSource};
    rows[n++] = {S2, "ExternalClockValue",     F::Real1,   &S.ExternalClockValue};
    rows[n++] = {S2, "DDCChannelMask",         F::Hex,     &S.DDCChannelMask};
    rows[n++] = {S2, "ChannelMask",            F::Hex,     &S.ChannelMask};
    rows[n++] = {S2, "DataFormat",             F::Decimal, &S.DataFormat};
    n = AddChannelRows(rows, n, [](int i) {
        return IniRow{S2, kFrequencyNcoKeys[i], F::Real1, &S.FrequencyNCO[i]};
    });
    n = AddChannelRows(rows, n, [](int i) {
        return IniRow{S2, kInputSourceKeys[i], F::Decimal, &S.InputSource[i]};
    });
    rows[n++] = {S2, "AdcGainMask",            F::Hex,     &S.AdcGainMask};
    rows[n++] = {S2, "Dither",                 F::Decimal, &S.Dither};
    rows[n++] = {S2, "StartSource",            F::Decimal, &S.StartSource};
    rows[n++] = {S2, "ComparatorThresholdSDX", F::Real2,   &S.ComparatorThresholdSDX};
    rows[n++] = {S2, "MasterMode",             F::Decimal, &S.MasterMode};
    rows[n++] = {S2, "DDCSyncMode",            F::Decimal, &S.DDCSyncMode};
    rows[n++] = {S2, "DDCProgramFile",         F::String,  &S.DDCProgramFile};
    // clang-format on
    if (n != rows.size()) {
        throw std::logic_error("a row of the table is left empty");  // stops the compilation
    }
    return rows;
}
constexpr std::array<IniRow, 49> kIniRows = BuildIniRows();

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
std::string CarriedComment(const ProfileStore& store, const IniRow& row) {
    const std::string present = store.ReadWhole(row.section, row.key, kAbsent);
    if (present == kAbsent)
        return {};
    std::size_t semicolon = present.find(';');
    if (const auto* value = std::get_if<const std::string*>(&row.field)) {
        const std::string_view own = StringAsRead(**value);
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

double RealValue(const IniField& field) {
    if (const auto* value = std::get_if<const float*>(&field))
        return **value;
    return *std::get<const double*>(field);
}

std::string ValueText(const IniRow& row, int32_t integer) {
    std::string text(" ");
    switch (row.format) {
        case F::Decimal:
            text.append(files::UnsignedText(integer)).append("\t\t;");
            break;
        case F::Hex:
            text.append("0x")
                .append(files::HexText(integer, files::HexCase::Upper))
                .append("\t\t;");
            break;
        case F::Real1:
            text.append(files::FixedText(RealValue(row.field), 1)).append("\t;");
            break;
        case F::Real2:
            text.append(files::FixedText(RealValue(row.field), 2)).append("\t;");
            break;
        case F::String:
            text.append(OneLine(**std::get_if<const std::string*>(&row.field))).append("\t;");
            break;
    }
    return text;
}

// DataFormat follows the sample source: the DDC format, the fixed ADC format, or, for any other
// source, the line stays as it is.
std::optional<int32_t> DataFormatToWrite() {
    if (Settings.EnableDDC == 1)
        return Settings.DataFormat;
    if (Settings.EnableDDC == 0)
        return Settings.AdcDataFormat;
    return std::nullopt;
}

}  // namespace

void ReadIniFrom(const ProfileStore& store) {
    const int32_t bufferSize = files::DecimalFromText(store.Read(S1, "DirFileBufSize", ""));
    const double clock = files::RealFromText(store.Read(S2, "InternalClockValue", ""));
    Settings.DirFileBufSize = bufferSize;
    Settings.InternalClockValue = clock;
}

std::optional<int32_t> RecordedBuffersFrom(const ProfileStore& store) {
    const std::string text = store.Read(S1, "DirNumBufWrite", kAbsent);
    if (text == kAbsent)
        return std::nullopt;
    return files::DecimalFromText(text);
}

void WriteIniTo(ProfileStore& store) {
    for (const IniRow& row : kIniRows) {
        int32_t integer = 0;
        if (row.field == IniField(&Settings.DataFormat)) {
            const std::optional<int32_t> dataFormat = DataFormatToWrite();
            if (!dataFormat)
                continue;
            integer = *dataFormat;
        } else if (const auto* value = std::get_if<const int32_t*>(&row.field)) {
            integer = **value;
        }
        store.Write(row.section, row.key,
                    ValueText(row, integer).append(CarriedComment(store, row)));
    }
}

std::vector<IniKeyName> OwnedIniKeys() {
    std::vector<IniKeyName> keys;
    for (const IniRow& row : kIniRows)
        keys.push_back({row.section, row.key});
    return keys;
}

bool ReadIni(const std::string& name, std::string* error) {
    return ReadProfile(name, error, ReadIniFrom);
}

bool WriteIni(const std::string& name, std::string* error) {
    return files::FailingOnOutOfMemory("write", name, error, [&] {
        ProfileStore store;
        std::string loadError;
        const ProfileStore::LoadResult loaded = store.Load(name, &loadError);
        if (loaded == ProfileStore::LoadResult::Failed) {
            if (error)
                *error = loadError;
            return false;
        }
        WriteIniTo(store);
        // One save for all the keys, where the platform's profile cache reached the disk twice:
        // the file on disk is either the old one or the new one whole. Nothing changed, nothing
        // written.
        if (loaded == ProfileStore::LoadResult::Loaded && !store.Changed())
            return true;
        return store.Save(name, error);
    });
}
