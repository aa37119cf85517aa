// The values the window offers for the settings it shows as item lists, switches and boxes, by the
// configuration file's key: what a value set from outside the window must stay within.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct SettingChoice {
    const char* key;  // "InputSource" stands for InputSource0 to InputSource15
    // A list: the only values offered. Empty for a mask.
    std::span<const int32_t> values;
    // A mask: the window has boxes for bits 0 to maskBits - 1 only. 0 for a list.
    int maskBits = 0;
    // A mask that must keep at least one bit set.
    bool zeroRefused = false;
};

// The choice that governs `key` (any letter case), or null for a setting of free value.
const SettingChoice* FindSettingChoice(std::string_view key);

// Throws SettingsError naming the key and the values offered when `value` is not one of them.
void CheckSettingChoice(std::string_view key, int32_t value);
