#include "core/setting_choices.h"

#include <array>
#include <string>

#include "core/digits.h"
#include "core/errors.h"
#include "core/settings.h"

namespace {

// clang-format off
constexpr int32_t kOffOn[]          = {0, 1};
constexpr int32_t kDataFormats[]    = {0, 4};        // 16 bits, 24 bits
constexpr int32_t kStartSources[]   = {0, 2, 4};     // programmatic, SDX, SYNX
constexpr int32_t kMasterModes[]    = {0, 1, 2};     // SLAVE, SINGLE, MASTER
constexpr int32_t kDdcSyncModes[]   = {1, 2};        // on input start, programmatic
constexpr int32_t kSampleCounts[]   = {1024, 2048, 4096, 8192, 16384};
constexpr int32_t kAdcNumbers[]     = {0, 1, 2, 3};

const SettingChoice kChoices[] = {
    {"SamplesPerChannel", kSampleCounts},
    {"EnableDDC",         kOffOn},
    {"WorkMode",          kOffOn},
    {"ClockSource",       kOffOn},
    {"DataFormat",        kDataFormats},
    {"InputSource",       kAdcNumbers},
    {"Dither",            kOffOn},
    {"StartSource",       kStartSources},
    {"MasterMode",        kMasterModes},
    {"DDCSyncMode",       kDdcSyncModes},
    {"DDCChannelMask",    {}, kDdcChannels, true},
    {"ChannelMask",       {}, kAdcs},
    {"AdcGainMask",       {}, kAdcs},
    {"MaskSelFreqNCO",    {}, kDdcChannels},
};
// clang-format on

// "InputSource7" is governed by "InputSource": the channel number is 0 to 15, without a sign or
// leading zero.
bool IsChannelKey(std::string_view key, std::string_view stem) {
    if (key.size() <= stem.size() || !SameIgnoringAsciiCase(key.substr(0, stem.size()), stem))
        return false;
    const std::string_view number = key.substr(stem.size());
    for (int channel = 0; channel < kDdcChannels; ++channel) {
        if (number == std::to_string(channel))
            return true;
    }
    return false;
}

std::string HexText(uint32_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "0x" + text;
}

}  // namespace

const SettingChoice* FindSettingChoice(std::string_view key) {
    for (const SettingChoice& choice : kChoices) {
        if (SameIgnoringAsciiCase(key, choice.key))
            return &choice;
    }
    if (IsChannelKey(key, "InputSource")) {
        for (const SettingChoice& choice : kChoices) {
            if (std::string_view(choice.key) == "InputSource")
                return &choice;
        }
    }
    return nullptr;
}

void CheckSettingChoice(std::string_view key, int32_t value) {
    const SettingChoice* choice = FindSettingChoice(key);
    if (choice == nullptr)
        return;
    if (choice->maskBits > 0) {
        const uint32_t bits = static_cast<uint32_t>(value);
        const uint32_t offered = choice->maskBits >= 32 ? ~0u : (1u << choice->maskBits) - 1u;
        if ((bits & ~offered) != 0) {
            throw SettingsError(std::string(key) + " " + HexText(bits) + " sets bits beyond 0 to " +
                                std::to_string(choice->maskBits - 1));
        }
        if (choice->zeroRefused && bits == 0) {
            throw SettingsError(std::string(key) + " 0 would leave no channel enabled");
        }
        return;
    }
    std::string offered;
    for (std::size_t i = 0; i < choice->values.size(); ++i) {
        if (choice->values[i] == value)
            return;
        offered += (i == 0 ? "" : i + 1 == choice->values.size() ? " or " : ", ");
        offered += std::to_string(choice->values[i]);
    }
    throw SettingsError(std::string(key) + " takes " + offered + ", not " + std::to_string(value));
}
