// Every setting of the editor, once: its key and section in the files, how each file spells it,
// where it lives in the record, the values the window offers with their exact item texts, its
// unit and meaning, and the control that shows it. The configuration and initialization files,
// the value rules of the command line, the checks, the window's lists and tooltips are views of
// this table; adding a setting is one row here and its control in the window.
//
// Defaults are the record's own member initializers (TSettings{}); the catalogue reads them there.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/settings.h"

inline constexpr const char* kOptionSection = "Option";
inline constexpr const char* kDeviceSection = "device0_tessaro0";

// How a value is spelled in a file.
enum class ValueFormat {
    None,     // not in this file
    Decimal,  // "%d" (configuration) or "%u" (exam_ddc.ini)
    Hex,      // "0x" and hexadecimal digits: lower case in configurations, upper in exam_ddc.ini
    Real1,    // one decimal
    Real2,    // two decimals
    String,   // as it is, up to its first line break
};

// When exam_ddc.ini gets the row.
enum class IniWrite {
    Never,       // read from it at most (the acquisition program's own values)
    Always,      // written at every write
    DataFormat,  // the DDC format in DDC mode, the ADC format in ADC mode, left alone otherwise
};

// A value the window offers and the text of its list item or radio button ("" for a box).
struct SettingOption {
    int32_t value;
    const char* item;
};

// Where a row's value lives in a record. The sixteen channel rows of a kind share an array member.
struct SettingField {
    std::variant<int32_t TSettings::*, float TSettings::*, double TSettings::*,
                 std::string TSettings::*, int32_t (TSettings::*)[kDdcChannels],
                 float (TSettings::*)[kDdcChannels]>
        member;
    int index = 0;  // the channel, for an array member
};

struct SettingRow {
    const char* key = "";           // the files' key; the setting's name for a working value
    const char* section = nullptr;  // kOptionSection or kDeviceSection; null for a working value
    SettingField field{};
    ValueFormat config = ValueFormat::None;  // the configuration file's spelling
    ValueFormat ini = ValueFormat::None;     // exam_ddc.ini's spelling
    IniWrite iniWrite = IniWrite::Never;
    bool iniRead = false;                    // read from exam_ddc.ini when the window opens
    std::span<const SettingOption> options;  // a list: the only values offered
    int maskBits = 0;                        // a mask: bits 0 .. maskBits - 1 offered
    bool zeroRefused = false;                // a mask that keeps at least one bit set
    const char* unit = "";                   // "Hz", "V", "KB", "samples", "mask" or ""
                                             // (UnitRu gives the Russian)
    std::string meaning;                     // English, with the range or the values
    std::string meaningRu;                   // the same in Russian, for a Russian desktop
    std::string name;                        // Russian: the control's accessible name
    // Object names of the controls that show it, separated by blanks, the one to focus first.
    std::string controls;
};

// The Russian of a row's unit: "Гц", "В", "Кбайт", "отсчётов", "маска" or "".
const char* UnitRu(const SettingRow& row);

// The channel rows are made by a loop, so their texts are built once at start-up.
inline constexpr std::size_t kCatalogueSize = 61;
const std::array<SettingRow, kCatalogueSize>& SettingCatalogue();

// The row of `key` in any letter case; null when there is none.
const SettingRow* FindSetting(std::string_view key);
// The first row that a control shows (by its object name); null when it shows none.
const SettingRow* FindSettingOfControl(std::string_view control);
// The object names in row.controls.
std::vector<std::string> ControlsOf(const SettingRow& row);

// The rows of a file in the order the file lists them.
enum class FileOf { Config, Ini };
std::span<const SettingRow* const> RowsOf(FileOf file);

// The kind of value a row holds.
enum class FieldType { Integer, Single, Double, String };
FieldType TypeOf(const SettingRow& row);

// The row's value in a record.
int32_t& IntegerOf(const SettingRow& row, TSettings& s);
int32_t IntegerOf(const SettingRow& row, const TSettings& s);
float& SingleOf(const SettingRow& row, TSettings& s);
float SingleOf(const SettingRow& row, const TSettings& s);
double& DoubleOf(const SettingRow& row, TSettings& s);
double DoubleOf(const SettingRow& row, const TSettings& s);
std::string& StringOf(const SettingRow& row, TSettings& s);
const std::string& StringOf(const SettingRow& row, const TSettings& s);
// A single or double row's value as a double.
double RealOf(const SettingRow& row, const TSettings& s);

// The item text of `value` in a list row; null when the list does not offer it.
const char* ItemOf(const SettingRow& row, int32_t value);
// True when the row's list or mask allows `value` (always for a row of free value).
bool Offers(const SettingRow& row, int32_t value);

// Throws SettingsError naming the key and the values offered when `value` is not one of them.
void CheckOffered(const SettingRow& row, int32_t value);
