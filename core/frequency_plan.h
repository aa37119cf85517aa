// The frequency plan: where each DDC channel's NCO sits against the clock, which input frequencies
// it receives, and what gets in each other's way on one ADC.
//
// An input frequency f sampled at the clock fs lands at |f - fs * round(f / fs)|, between 0 and
// fs/2; its Nyquist zone is floor(f / (fs/2)) + 1, and in the even zones the spectrum is inverted.
// Everything here is a pure function of the settings and the plan's own options.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/settings.h"

// The plan's own options, never stored in the settings files.
struct PlanOptions {
    // Two channels of one ADC closer than this overlap; a harmonic within half of it from a
    // channel's NCO falls in that channel. 200 kHz by default: a GSM carrier, which the default
    // DDC program receives.
    double channelBandwidth = 200000.0;
    // The Nyquist zone the channels' signals are taken in for their harmonics; 0 when not told,
    // and then the first.
    int signalZone = 0;
    // Images of an NCO are listed in zones 1 to this.
    int imageZones = 4;

    bool operator==(const PlanOptions&) const = default;
};

// The clock the module runs on: the internal one when ClockSource is 0, else the external one
// (any source but 0 is the external one, as the window shows it).
double ClockInUse(const TSettings& s);
// A clock the arithmetic can use: a finite frequency above 0.
bool ClockUsable(double clock);

struct FoldedFrequency {
    double frequency = 0;  // 0 ... fs/2
    int zone = 1;          // Nyquist zone of the input frequency, from 1
    bool inverted = false;

    bool operator==(const FoldedFrequency&) const = default;
};

// Where input frequency f lands at clock fs (fs usable). A real signal's spectrum is symmetric, so
// a negative f lands where |f| does.
FoldedFrequency Fold(double f, double fs);

// The input frequency in `zone` (from 1) that lands at `nco`, which is folded first.
double ImageInZone(double nco, double fs, int zone);

struct ZoneImage {
    int zone = 1;
    double rf = 0;
    bool inverted = false;
};
// The input frequencies the NCO receives, one in each of the zones 1 to `zones`.
std::vector<ZoneImage> Images(double nco, double fs, int zones);

// The NCO that receives the input frequency `rf` at the settings' clock: the folded value, its
// zone and inversion. Throws SettingsError when the clock in use is not usable or `rf` is negative
// or not finite.
FoldedFrequency NcoForRf(const TSettings& s, double rf);

struct PlannedChannel {
    int channel = 0;
    int adc = 0;
    bool enabled = true;
    float nco = 0;            // as stored, single precision
    double folded = 0;        // where it sits between 0 and half the clock
    bool beyondHalf = false;  // the stored NCO lies outside 0 ... fs/2 and is shown folded
};

// Two channels of one ADC, by channel number (first < second).
struct ChannelPair {
    int first = 0;
    int second = 0;
    double distance = 0;  // between their folded NCOs

    bool operator==(const ChannelPair&) const = default;
};

// A harmonic of one channel's signal that falls in another channel's band on the same ADC.
struct HarmonicHit {
    int channel = 0;     // whose signal
    int order = 2;       // 2 to 5
    double signal = 0;   // the signal's input frequency in the plan's zone
    double landing = 0;  // the harmonic, folded
    int victim = 0;      // the channel whose band it falls in

    bool operator==(const HarmonicHit&) const = default;
};

struct AdcPlan {
    int adc = 0;
    // Enabled channels fed by this ADC, by folded NCO (ties by channel number).
    std::vector<PlannedChannel> channels;
    // spacing[i]: from channels[i] to channels[i + 1].
    std::vector<double> spacing;
    // Pairs closer than the channel bandwidth, not counting duplicates.
    std::vector<ChannelPair> overlaps;
    // Pairs with the same stored NCO: they deliver the same data.
    std::vector<ChannelPair> duplicates;
    std::vector<HarmonicHit> hits;
};

struct FrequencyPlan {
    double clock = 0;
    bool clockUsable = false;  // without a clock NCOs are not folded and no harmonic is placed
    PlanOptions options;
    std::array<AdcPlan, kAdcs> adcs;
    // Disabled channels on the ADC their InputSource names (0 to 3); by channel number.
    std::vector<PlannedChannel> disabled;
    // Enabled channels whose InputSource names no ADC; by channel number.
    std::vector<int> unplaced;

    // The signal zone in effect (the one told, else the first).
    int SignalZone() const { return options.signalZone > 0 ? options.signalZone : 1; }
    // Any overlap, duplicate or harmonic hit.
    bool HasConflicts() const;
};

FrequencyPlan MakeFrequencyPlan(const TSettings& s, const PlanOptions& options);

struct NcoValue {
    int channel = 0;
    double frequency = 0;

    bool operator==(const NcoValue&) const = default;
};
// The spread aid: the ticked channels (bit i for channel i), in ascending order, get
// start + k * step for k = 0, 1, ...
std::vector<NcoValue> SpreadFrequencies(double start, double step, uint32_t channels);
