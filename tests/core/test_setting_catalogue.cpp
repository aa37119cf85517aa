#include "core/setting_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/errors.h"

namespace {

// clang-format off
struct ChoiceCase {
    const char* key;
    int32_t value;
    const char* refusal;  // null when the value is offered
};
const ChoiceCase kChoiceCases[] = {
    {"EnableDDC",         1,       nullptr},
    {"enableddc",         2,       "EnableDDC takes 0 or 1, not 2"},
    {"DataFormat",        4,       nullptr},
    {"DataFormat",        1,       "DataFormat takes 0 or 4, not 1"},
    {"StartSource",       4,       nullptr},
    {"StartSource",       3,       "StartSource takes 0, 2 or 4, not 3"},
    {"MasterMode",        -1,      "MasterMode takes 0, 1 or 2, not -1"},
    {"DDCSyncMode",       0,       "DDCSyncMode takes 1 or 2, not 0"},
    {"SamplesPerChannel", 16384,   nullptr},
    {"SamplesPerChannel", 32768,   "SamplesPerChannel takes 1024, 2048, 4096, 8192 or 16384, not 32768"},
    {"InputSource15",     3,       nullptr},
    {"InputSource0",      4,       "InputSource0 takes 0, 1, 2 or 3, not 4"},
    {"InputSource16",     99,      nullptr},  // no such channel: no choice governs it
    {"InputSource01",     99,      nullptr},
    {"DDCChannelMask",    0xFFFF,  nullptr},
    {"DDCChannelMask",    0,       "DDCChannelMask 0 would leave no channel enabled"},
    {"DDCChannelMask",    -1,      "DDCChannelMask 0xffffffff sets bits beyond 0 to 15"},
    {"ChannelMask",       0,       nullptr},
    {"ChannelMask",       0x1F,    "ChannelMask 0x1f sets bits beyond 0 to 3"},
    {"AdcGainMask",       0xF,     nullptr},
    {"MaskSelFreqNCO",    0x10000, "MaskSelFreqNCO 0x10000 sets bits beyond 0 to 15"},
    {"FrequencyNCO0",     -7,      nullptr},
    {"Nonsense",          5,       nullptr},
};
// clang-format on

TEST(SettingCatalogue, OnlyTheValuesTheWindowOffers) {
    for (const ChoiceCase& c : kChoiceCases) {
        SCOPED_TRACE(std::string(c.key) + "=" + std::to_string(c.value));
        const SettingRow* row = FindSetting(c.key);
        if (row == nullptr) {
            EXPECT_EQ(c.refusal, nullptr);
            continue;
        }
        EXPECT_EQ(Offers(*row, c.value), c.refusal == nullptr);
        if (c.refusal == nullptr) {
            EXPECT_NO_THROW(CheckOffered(*row, c.value));
            continue;
        }
        try {
            CheckOffered(*row, c.value);
            ADD_FAILURE() << "accepted";
        } catch (const SettingsError& e) {
            EXPECT_STREQ(e.what(), c.refusal);
        }
    }
}

}  // namespace

// A Russian desktop gets every description and unit in Russian.
TEST(SettingCatalogue, EveryMeaningAndUnitHasItsRussian) {
    for (const SettingRow& row : SettingCatalogue()) {
        EXPECT_EQ(row.meaning.empty(), row.meaningRu.empty()) << row.key;
        EXPECT_EQ(std::string_view(row.unit).empty(), std::string_view(UnitRu(row)).empty())
            << row.key;
    }
}
