#include "files/config_keys.h"

#include <cstdint>
#include <variant>

#include "core/digits.h"
#include "core/editing_rules.h"
#include "core/number_text.h"
#include "core/setting_choices.h"
#include "core/settings.h"
#include "files/profile_store.h"

namespace {

// Numbers from outside the window are written with a point, whatever the user's locale.
constexpr char kPoint = '.';

// The NCO channel a field belongs to, or -1.
int FrequencyChannelOf(const float* field) {
    for (int i = 0; i < kDdcChannels; ++i) {
        if (field == &Settings.FrequencyNCO[i])
            return i;
    }
    return -1;
}

}  // namespace

const ParamRow* FindParam(std::string_view key) {
    for (const ParamRow& row : ParamTable) {
        if (SameIgnoringAsciiCase(key, row.key))
            return &row;
    }
    return nullptr;
}

void SetParamFromText(const ParamRow& row, std::string_view text) {
    if (auto* const* integer = std::get_if<int32_t*>(&row.field)) {
        const int32_t value = ParseInteger(text);
        CheckSettingChoice(row.key, value);
        **integer = value;
    } else if (auto* const* single = std::get_if<float*>(&row.field)) {
        const int channel = FrequencyChannelOf(*single);
        if (channel >= 0)
            SetChannelFrequency(channel, text, kPoint);
        else
            **single = ParseSingle(text, kPoint);
    } else if (auto* const* real = std::get_if<double*>(&row.field)) {
        const double value = ParseReal(text, kPoint);
        CheckFitsSettingsFiles(value, text);
        **real = value;
    } else if (*std::get_if<std::string*>(&row.field) == &Settings.DDCProgramFile) {
        SetDdcProgramFile(text);
    } else if (*std::get_if<std::string*>(&row.field) == &Settings.DirFileName) {
        SetDirFileName(text);
    } else {
        CheckStringLength(text, row.key);
        **std::get_if<std::string*>(&row.field) = std::string(text);
    }
}

std::array<std::string, 50> ParamFileTexts() {
    // Read back from the very text WriteConfig writes, so the spelling has one source.
    const ProfileStore written(ConfigText());
    std::array<std::string, 50> texts;
    for (std::size_t i = 0; i < ParamTable.size(); ++i)
        texts[i] = written.ReadWhole(ParamTable[i].section, ParamTable[i].key, "");
    return texts;
}
