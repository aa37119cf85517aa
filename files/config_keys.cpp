#include "files/config_keys.h"

#include <cstdint>

#include "core/editing_rules.h"
#include "core/number_text.h"
#include "files/config_file.h"
#include "files/profile_store.h"

namespace {

// Numbers from outside the window are written with a point, whatever the user's locale.
constexpr char kPoint = '.';

}  // namespace

const SettingRow* FindConfigSetting(std::string_view key) {
    const SettingRow* row = FindSetting(key);
    return row != nullptr && row->config != ValueFormat::None ? row : nullptr;
}

void SetSettingFromText(const SettingRow& row, TSettings& settings, std::string_view text) {
    switch (TypeOf(row)) {
        case FieldType::Integer: {
            const int32_t value = ParseInteger(text);
            CheckOffered(row, value);
            IntegerOf(row, settings) = value;
            break;
        }
        case FieldType::Single:
            if (std::holds_alternative<float(TSettings::*)[kDdcChannels]>(row.field.member))
                SetChannelFrequency(settings, row.field.index, text, kPoint);
            else
                SingleOf(row, settings) = ParseSingle(text, kPoint);
            break;
        case FieldType::Double: {
            const double value = ParseReal(text, kPoint);
            CheckFitsSettingsFiles(value, text);
            DoubleOf(row, settings) = value;
            break;
        }
        case FieldType::String:
            if (&StringOf(row, settings) == &settings.DDCProgramFile) {
                SetDdcProgramFile(settings, text);
            } else if (&StringOf(row, settings) == &settings.DirFileName) {
                SetDirFileName(settings, text);
            } else {
                CheckStringLength(text, row.key);
                StringOf(row, settings) = std::string(text);
            }
            break;
    }
}

std::vector<std::string> ConfigFileTexts(const TSettings& settings) {
    // Read back from the very text WriteConfig writes, so the spelling has one source.
    const ProfileStore written(ConfigText(settings));
    std::vector<std::string> texts;
    for (const SettingRow* row : RowsOf(FileOf::Config))
        texts.push_back(written.ReadWhole(row->section, row->key, ""));
    return texts;
}
