#include "files/config_file.h"

#include <cstring>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "files/file_io.h"
#include "files/file_text.h"
#include "files/profile_store.h"
#include "files/settings_keys.h"

namespace {

constexpr const char* S1 = kOptionSection;
constexpr const char* S2 = kDeviceSection;
using K = ParamKind;
constexpr TSettings& S = Settings;

// Every key missing from the file reads as this text, so as 0 or as the string "0".
constexpr const char* kMissing = "0";

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

// The rows in file order; the sixteen channel rows of each kind are made by one loop.
constexpr std::array<ParamRow, 50> BuildParamRows() {
    std::array<ParamRow, 50> rows{};
    std::size_t n = 0;
    // clang-format off
    rows[n++] = {S1, K::Int,    &S.SamplesPerChannel,      "SamplesPerChannel"};
    rows[n++] = {S1, K::Int,    &S.EnableDDC,              "EnableDDC"};
    rows[n++] = {S1, K::Int,    &S.WorkMode,               "WorkMode"};
    rows[n++] = {S1, K::String, &S.DirFileName,            "DirFileName"};
    rows[n++] = {S2, K::Int,    &S.ClockSource,            "ClockSource"};
    rows[n++] = {S2, K::Double, &S.ExternalClockValue,     "ExternalClockValue"};
    rows[n++] = {S2, K::Hex,    &S.DDCChannelMask,         "DDCChannelMask"};
    rows[n++] = {S2, K::Hex,    &S.ChannelMask,            "ChannelMask"};
    rows[n++] = {S2, K::Int,    &S.DataFormat,             "DataFormat"};
    n = AddChannelRows(rows, n, [](int i) {
        return ParamRow{S2, K::Float, &S.FrequencyNCO[i], kFrequencyNcoKeys[i]};
    });
    n = AddChannelRows(rows, n, [](int i) {
        return ParamRow{S2, K::Int, &S.InputSource[i], kInputSourceKeys[i]};
    });
    rows[n++] = {S2, K::Hex,    &S.AdcGainMask,            "AdcGainMask"};
    rows[n++] = {S2, K::Int,    &S.Dither,                 "Dither"};
    rows[n++] = {S2, K::Int,    &S.StartSource,            "StartSource"};
    rows[n++] = {S2, K::Float,  &S.ComparatorThresholdSDX, "ComparatorThresholdSDX"};
    rows[n++] = {S2, K::Int,    &S.MasterMode,             "MasterMode"};
    rows[n++] = {S2, K::Int,    &S.DDCSyncMode,            "DDCSyncMode"};
    rows[n++] = {S2, K::String, &S.DDCProgramFile,         "DDCProgramFile"};
    rows[n++] = {S2, K::Float,  &S.FreqNC0,                "FreqNC0"};
    rows[n++] = {S2, K::Hex,    &S.MaskSelFreqNCO,         "MaskSelFreqNCO"};
    // clang-format on
    if (n != rows.size()) {
        throw std::logic_error("a row of the table is left empty");  // stops the compilation
    }
    return rows;
}
constexpr std::array<ParamRow, 50> kParamRows = BuildParamRows();

}  // namespace

// Constant-initialized: the table is ready before any other static object could use it.
constinit const std::array<ParamRow, 50> ParamTable = kParamRows;

namespace {

constexpr bool KindsMatchFields() {
    for (const ParamRow& row : kParamRows) {
        const bool matches =
            ((row.kind == K::Int || row.kind == K::Hex) &&
             std::holds_alternative<int32_t*>(row.field)) ||
            (row.kind == K::Float && std::holds_alternative<float*>(row.field)) ||
            (row.kind == K::Double && std::holds_alternative<double*>(row.field)) ||
            (row.kind == K::String && std::holds_alternative<std::string*>(row.field));
        if (!matches)
            return false;
    }
    return true;
}
static_assert(KindsMatchFields(), "a row's field type must follow its kind");

// A value as read, held until every row is read: Settings then changes all at once or not at all.
using ParamValue = std::variant<int32_t, float, double, std::string>;

std::string ValueText(const ParamRow& row) {
    return std::visit(
        Overloaded{
            [&](const int32_t* value) {
                return row.kind == K::Hex
                           ? std::string("0x").append(files::HexText(*value, files::HexCase::Lower))
                           : files::DecimalText(*value);
            },
            [](const float* value) { return files::FixedText(*value, 1); },
            [](const double* value) { return files::FixedText(*value, 1); },
            // A line break would end the line early and make the rest of the value a line of its
            // own; the value is cut there, which is what any reader would have seen.
            [](const std::string* value) { return value->substr(0, value->find('\n')); },
        },
        row.field);
}

}  // namespace

void ReadConfigFrom(const ProfileStore& store) {
    std::vector<ParamValue> values;
    values.reserve(ParamTable.size());
    for (const ParamRow& row : ParamTable) {
        const std::string text = store.Read(row.section, row.key, kMissing);
        values.push_back(
            std::visit(Overloaded{
                           [&](const int32_t*) { return ParamValue(files::IntegerFromText(text)); },
                           [&](const float*) {
                               return ParamValue(files::ToSingle(files::RealFromText(text)));
                           },
                           [&](const double*) { return ParamValue(files::RealFromText(text)); },
                           [&](const std::string*) { return ParamValue(text); },
                       },
                       row.field));
    }
    for (std::size_t i = 0; i < ParamTable.size(); ++i) {
        std::visit(
            [&](auto* field) {
                *field = std::move(std::get<std::remove_pointer_t<decltype(field)>>(values[i]));
            },
            ParamTable[i].field);
    }
}

std::string ConfigText() {
    std::string text;
    const char* section = nullptr;
    for (const ParamRow& row : ParamTable) {
        if (!section || std::strcmp(section, row.section) != 0) {
            // The single space line between the sections is part of the format readers know.
            if (section)
                text += " \r\n";
            section = row.section;
            text.append("[").append(section).append("]\r\n\r\n");
        }
        text.append(row.key).append("= ").append(ValueText(row)).append("\r\n");
    }
    return text;
}

bool IsConfiguration(const ProfileStore& store) {
    return store.HasSection(kOptionSection) || store.HasSection(kDeviceSection);
}

bool ReadConfig(const std::string& name, std::string* error) {
    bool refused = false;
    const bool read = ReadProfile(name, error, [&](const ProfileStore& store) {
        // Any text file would otherwise read as a configuration of zeros.
        refused = !IsConfiguration(store);
        if (!refused)
            ReadConfigFrom(store);
    });
    if (read && refused && error) {
        *error = "cannot read \"" + name + "\": not a configuration file (no [" + kOptionSection +
                 "] or [" + kDeviceSection + "] section)";
    }
    return read && !refused;
}

bool WriteConfig(const std::string& name, std::string* error) {
    return files::FailingOnOutOfMemory("write", name, error, [&] {
        return files::WriteFileAtomically(name, ConfigText(), error);
    });
}
