// Section and key names shared by the configuration file and the initialization file.
#pragma once

#include <array>

#include "core/settings.h"

inline constexpr const char* kOptionSection = "Option";
inline constexpr const char* kDeviceSection = "device0_tessaro0";

// clang-format off
inline constexpr std::array<const char*, kDdcChannels> kFrequencyNcoKeys = {
    "FrequencyNCO0",  "FrequencyNCO1",  "FrequencyNCO2",  "FrequencyNCO3",
    "FrequencyNCO4",  "FrequencyNCO5",  "FrequencyNCO6",  "FrequencyNCO7",
    "FrequencyNCO8",  "FrequencyNCO9",  "FrequencyNCO10", "FrequencyNCO11",
    "FrequencyNCO12", "FrequencyNCO13", "FrequencyNCO14", "FrequencyNCO15",
};
inline constexpr std::array<const char*, kDdcChannels> kInputSourceKeys = {
    "InputSource0",  "InputSource1",  "InputSource2",  "InputSource3",
    "InputSource4",  "InputSource5",  "InputSource6",  "InputSource7",
    "InputSource8",  "InputSource9",  "InputSource10", "InputSource11",
    "InputSource12", "InputSource13", "InputSource14", "InputSource15",
};
// clang-format on

// Fills `rows` from `first` on with one row per DDC channel, made by `row(channel)`; returns the
// index after the last one.
template <typename Rows, typename MakeRow>
constexpr std::size_t AddChannelRows(Rows& rows, std::size_t first, MakeRow row) {
    for (int channel = 0; channel < kDdcChannels; ++channel) {
        rows[first++] = row(channel);
    }
    return first;
}
