#include "core/frequency_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/errors.h"

namespace {

constexpr int kFirstHarmonic = 2;
constexpr int kLastHarmonic = 5;

std::string HertzText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

PlannedChannel Place(const TSettings& s, int c, double clock, bool usable) {
    PlannedChannel p;
    p.channel = c;
    p.adc = s.InputSource[c];
    p.enabled = BitTest(s.DDCChannelMask, c);
    p.nco = s.FrequencyNCO[c];
    const double nco = p.nco;
    if (!std::isfinite(nco)) {
        p.beyondHalf = true;
    } else if (usable) {
        p.folded = Fold(nco, clock).frequency;
        p.beyondHalf = nco < 0.0 || nco > clock / 2;
    } else {
        p.folded = nco;
    }
    return p;
}

void PlanPairs(AdcPlan& adc, double bandwidth) {
    const std::vector<PlannedChannel>& ch = adc.channels;
    for (std::size_t i = 0; i < ch.size(); ++i) {
        for (std::size_t j = i + 1; j < ch.size(); ++j) {
            const PlannedChannel& a = ch[i].channel < ch[j].channel ? ch[i] : ch[j];
            const PlannedChannel& b = ch[i].channel < ch[j].channel ? ch[j] : ch[i];
            const ChannelPair pair{a.channel, b.channel, std::fabs(a.folded - b.folded)};
            if (a.nco == b.nco) {
                adc.duplicates.push_back(pair);
            } else if (pair.distance < bandwidth) {
                adc.overlaps.push_back(pair);
            }
        }
    }
    const auto byChannels = [](const ChannelPair& x, const ChannelPair& y) {
        return x.first != y.first ? x.first < y.first : x.second < y.second;
    };
    std::sort(adc.overlaps.begin(), adc.overlaps.end(), byChannels);
    std::sort(adc.duplicates.begin(), adc.duplicates.end(), byChannels);
}

void PlanHits(AdcPlan& adc, double clock, int zone, double bandwidth) {
    const double half = bandwidth / 2;
    // By signal channel, then order, then victim.
    std::vector<const PlannedChannel*> byNumber;
    for (const PlannedChannel& p : adc.channels) {
        byNumber.push_back(&p);
    }
    std::sort(
        byNumber.begin(), byNumber.end(),
        [](const PlannedChannel* x, const PlannedChannel* y) { return x->channel < y->channel; });
    for (const PlannedChannel* source : byNumber) {
        if (!std::isfinite(source->nco)) {
            continue;
        }
        const double signal = ImageInZone(source->folded, clock, zone);
        for (int order = kFirstHarmonic; order <= kLastHarmonic; ++order) {
            const double landing = Fold(order * signal, clock).frequency;
            for (const PlannedChannel* victim : byNumber) {
                if (victim != source && std::isfinite(victim->nco) &&
                    std::fabs(landing - victim->folded) < half) {
                    adc.hits.push_back({source->channel, order, signal, landing, victim->channel});
                }
            }
        }
    }
}

}  // namespace

double ClockInUse(const TSettings& s) {
    return s.ClockSource == 0 ? s.InternalClockValue : s.ExternalClockValue;
}

bool ClockUsable(double clock) {
    return std::isfinite(clock) && clock > 0.0;
}

FoldedFrequency Fold(double f, double fs) {
    f = std::fabs(f);
    // fmod is exact, so a frequency far above the clock still lands between 0 and fs/2.
    const double r = std::fmod(f, fs);
    const double half = fs / 2;
    const bool upper = r >= half;
    const double periods = std::round((f - r) / fs);
    const double zone = 2 * periods + (upper ? 2 : 1);
    FoldedFrequency folded;
    folded.frequency = upper ? fs - r : r;
    folded.zone = zone < std::numeric_limits<int>::max() ? static_cast<int>(zone)
                                                         : std::numeric_limits<int>::max();
    folded.inverted = folded.zone % 2 == 0;
    return folded;
}

double ImageInZone(double nco, double fs, int zone) {
    const double n = Fold(nco, fs).frequency;
    const double periods = zone / 2;  // whole clock periods below the zone's folding point
    return zone % 2 == 1 ? periods * fs + n : periods * fs - n;
}

std::vector<ZoneImage> Images(double nco, double fs, int zones) {
    std::vector<ZoneImage> images;
    for (int zone = 1; zone <= zones; ++zone) {
        images.push_back({zone, ImageInZone(nco, fs, zone), zone % 2 == 0});
    }
    return images;
}

FoldedFrequency NcoForRf(const TSettings& s, double rf) {
    const double clock = ClockInUse(s);
    if (!ClockUsable(clock)) {
        throw SettingsError("The clock in use (" + HertzText(clock) +
                            " Hz) is not a positive frequency");
    }
    if (!std::isfinite(rf) || rf < 0.0) {
        throw SettingsError("An input frequency of " + HertzText(rf) + " Hz is below 0 Hz");
    }
    return Fold(rf, clock);
}

bool FrequencyPlan::HasConflicts() const {
    for (const AdcPlan& adc : adcs) {
        if (!adc.overlaps.empty() || !adc.duplicates.empty() || !adc.hits.empty()) {
            return true;
        }
    }
    return false;
}

FrequencyPlan MakeFrequencyPlan(const TSettings& s, const PlanOptions& options) {
    FrequencyPlan plan;
    plan.clock = ClockInUse(s);
    plan.clockUsable = ClockUsable(plan.clock);
    plan.options = options;
    for (int a = 0; a < kAdcs; ++a) {
        plan.adcs[a].adc = a;
    }
    for (int c = 0; c < kDdcChannels; ++c) {
        const PlannedChannel p = Place(s, c, plan.clock, plan.clockUsable);
        const bool fed = p.adc >= 0 && p.adc < kAdcs;
        if (!p.enabled) {
            if (fed) {
                plan.disabled.push_back(p);
            }
        } else if (fed) {
            plan.adcs[p.adc].channels.push_back(p);
        } else {
            plan.unplaced.push_back(c);
        }
    }
    const double bandwidth = std::isfinite(options.channelBandwidth) ? options.channelBandwidth : 0;
    for (AdcPlan& adc : plan.adcs) {
        std::sort(adc.channels.begin(), adc.channels.end(),
                  [](const PlannedChannel& x, const PlannedChannel& y) {
                      return x.folded != y.folded ? x.folded < y.folded : x.channel < y.channel;
                  });
        for (std::size_t i = 1; i < adc.channels.size(); ++i) {
            adc.spacing.push_back(adc.channels[i].folded - adc.channels[i - 1].folded);
        }
        PlanPairs(adc, bandwidth);
        if (plan.clockUsable) {
            PlanHits(adc, plan.clock, plan.SignalZone(), bandwidth);
        }
    }
    return plan;
}

std::vector<NcoValue> SpreadFrequencies(double start, double step, uint32_t channels) {
    std::vector<NcoValue> values;
    int k = 0;
    for (int c = 0; c < kDdcChannels; ++c) {
        if ((channels >> c) & 1u) {
            values.push_back({c, start + k * step});
            ++k;
        }
    }
    return values;
}
