// The settings both plan benchmarks work on: all sixteen channels on, spread over the band with
// some in each other's way: an overlap, a duplicate, NCOs beyond half the clock and harmonics
// landing in other channels.
#pragma once

#include "core/settings.h"

inline TSettings CrowdedSettings() {
    TSettings s;
    const float nco[kDdcChannels] = {30e6f,   3e6f, 12e6f, 21e6f, 40.05e6f, 7e6f,  33e6f, 70e6f,
                                     9.95e6f, 5e6f, 45e6f, 18e6f, 25e6f,    26e6f, 3e6f,  28e6f};
    for (int c = 0; c < kDdcChannels; ++c) {
        s.FrequencyNCO[c] = nco[c];
    }
    return s;
}
