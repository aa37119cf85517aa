#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/frequency_plan.h"
#include "core/frequency_text.h"
#include "core/settings.h"

namespace {

constexpr double MHz = 1e6;

// Worked by hand: f lands at |f - fs * round(f / fs)|, zone floor(f / (fs/2)) + 1.
struct FoldCase {
    double f;
    double fs;
    FoldedFrequency expected;
};
// clang-format off
const FoldCase kFoldCases[] = {
    {30 * MHz,   100 * MHz, {30 * MHz, 1, false}},
    {70 * MHz,   100 * MHz, {30 * MHz, 2, true}},
    {130 * MHz,  100 * MHz, {30 * MHz, 3, false}},
    {170 * MHz,  100 * MHz, {30 * MHz, 4, true}},
    {150 * MHz,  110 * MHz, {40 * MHz, 3, false}},   // the NCO for 150 MHz at 110 MHz
    {60 * MHz,   100 * MHz, {40 * MHz, 2, true}},    // 2nd harmonic of 30 MHz
    {90 * MHz,   100 * MHz, {10 * MHz, 2, true}},    // 3rd harmonic of 30 MHz
    {50 * MHz,   100 * MHz, {50 * MHz, 2, true}},    // half the clock opens zone 2
    {100 * MHz,  100 * MHz, {0,        3, false}},
    {0,          100 * MHz, {0,        1, false}},
    {-30 * MHz,  100 * MHz, {30 * MHz, 1, false}},   // a real signal's mirror
};
// clang-format on

TEST(FrequencyPlan, FoldsIntoTheFirstNyquistZone) {
    for (const FoldCase& c : kFoldCases) {
        SCOPED_TRACE(std::to_string(c.f) + " at " + std::to_string(c.fs));
        const FoldedFrequency folded = Fold(c.f, c.fs);
        EXPECT_EQ(folded.frequency, c.expected.frequency);
        EXPECT_EQ(folded.zone, c.expected.zone);
        EXPECT_EQ(folded.inverted, c.expected.inverted);
        EXPECT_GE(folded.frequency, 0.0);
        EXPECT_LE(folded.frequency, c.fs / 2);
    }
    // Far above the clock it still lands inside the first zone; the zone number saturates.
    const FoldedFrequency far = Fold(1e30, 100 * MHz);
    EXPECT_GE(far.frequency, 0.0);
    EXPECT_LE(far.frequency, 50 * MHz);
    EXPECT_EQ(far.zone, std::numeric_limits<int>::max());
}

TEST(FrequencyPlan, ImagesAreTheInputsThatFoldBack) {
    const std::vector<ZoneImage> images = Images(30 * MHz, 100 * MHz, 4);
    ASSERT_EQ(images.size(), 4u);
    const double rf[] = {30 * MHz, 70 * MHz, 130 * MHz, 170 * MHz};
    for (int z = 0; z < 4; ++z) {
        EXPECT_EQ(images[z].zone, z + 1);
        EXPECT_EQ(images[z].rf, rf[z]);
        EXPECT_EQ(images[z].inverted, z % 2 == 1);
    }
    // An NCO beyond half the clock is folded first.
    EXPECT_EQ(ImageInZone(70 * MHz, 100 * MHz, 3), 130 * MHz);
}

TEST(FrequencyPlan, NcoForRfUsesTheClockInUse) {
    TSettings s;
    s.ClockSource = 1;  // external, 110 MHz
    EXPECT_EQ(NcoForRf(s, 150 * MHz), (FoldedFrequency{40 * MHz, 3, false}));
    s.ClockSource = -1;  // anything but 0 is external
    EXPECT_EQ(NcoForRf(s, 150 * MHz).frequency, 40 * MHz);
    s.ClockSource = 0;
    EXPECT_EQ(NcoForRf(s, 150 * MHz), (FoldedFrequency{50 * MHz, 4, true}));
    EXPECT_THROW(NcoForRf(s, -1), SettingsError);
    s.InternalClockValue = 0;
    EXPECT_THROW(NcoForRf(s, 150 * MHz), SettingsError);
}

// Settings with every channel off but those a case sets.
struct PlanCase {
    const char* name;
    std::function<void(TSettings&, PlanOptions&)> change;
    std::vector<ChannelPair> overlaps;  // distances checked too
    std::vector<ChannelPair> duplicates;
    std::vector<HarmonicHit> hits;
};

void PrintTo(const PlanCase& c, std::ostream* os) {
    *os << c.name;
}

void On(TSettings& s, int channel, int adc, float nco) {
    BitSet(s.DDCChannelMask, channel);
    s.InputSource[channel] = adc;
    s.FrequencyNCO[channel] = nco;
}

// clang-format off
const PlanCase kPlanCases[] = {
    {"FarApart", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 10e6f); On(s, 1, 0, 23e6f); }, {}, {}, {}},
    {"CloserThanTheBandwidth", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 10e6f); On(s, 1, 0, 10.15e6f); },
        {{0, 1, 150000}}, {}, {}},
    {"AtTheBandwidth", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 10e6f); On(s, 1, 0, 10.2e6f); }, {}, {}, {}},
    {"WiderBandwidth", [](TSettings& s, PlanOptions& o) { On(s, 0, 0, 10e6f); On(s, 1, 0, 10.2e6f); o.channelBandwidth = 250000; },
        {{0, 1, 200000}}, {}, {}},
    {"OtherAdc", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 10e6f); On(s, 1, 1, 10e6f); }, {}, {}, {}},
    {"DisabledNeighbour", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 10e6f); s.FrequencyNCO[1] = 10e6f; s.InputSource[1] = 0; }, {}, {}, {}},
    // The same stored NCO is a duplicate, not an overlap; three alike make three pairs.
    {"Duplicates", [](TSettings& s, PlanOptions&) { On(s, 9, 2, 5e6f); On(s, 3, 2, 5e6f); On(s, 4, 2, 5e6f); },
        {}, {{3, 4, 0}, {3, 9, 0}, {4, 9, 0}}, {}},
    // 30 and 70 MHz fold to the same place at 100 MHz: an overlap, though stored apart.
    {"MirrorImages", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 30e6f); On(s, 1, 0, 70e6f); },
        {{0, 1, 0}}, {}, {}},
    // The 2nd harmonic of 30 MHz lands at 40 MHz, the 3rd at 10 MHz.
    {"SecondAndThirdHarmonic", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 30e6f); On(s, 1, 0, 40.05e6f); On(s, 2, 0, 9.95e6f); },
        {}, {}, {{0, 2, 30e6, 40e6, 1}, {0, 3, 30e6, 10e6, 2}}},
    {"HarmonicJustOutside", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 30e6f); On(s, 1, 0, 40.1e6f); }, {}, {}, {}},
    // In zone 2 the 30 MHz NCO receives 70 MHz: 140 MHz lands at 40 MHz, 210 at 10, 280 at 20.
    {"SignalInZoneTwo", [](TSettings& s, PlanOptions& o) { On(s, 0, 0, 30e6f); On(s, 1, 0, 20e6f); o.signalZone = 2; },
        {}, {}, {{0, 4, 70e6, 20e6, 1}}},
    // The 5th harmonic is the last one looked at: 5 x 11 = 55 MHz lands at 45; 6 x 11 = 66 at 34.
    {"FifthNotSixth", [](TSettings& s, PlanOptions&) { On(s, 0, 0, 11e6f); On(s, 1, 0, 45e6f); On(s, 2, 0, 34e6f); },
        {}, {}, {{0, 5, 11e6, 45e6, 1}}},
    {"NoClockNoHarmonics", [](TSettings& s, PlanOptions&) { s.InternalClockValue = 0; On(s, 0, 0, 30e6f); On(s, 1, 0, 40e6f); },
        {}, {}, {}},
};
// clang-format on

class PlanTable : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanTable, FindsOverlapsDuplicatesAndHits) {
    const PlanCase& c = GetParam();
    TSettings s;
    s.DDCChannelMask = 0;
    PlanOptions options;
    c.change(s, options);
    const FrequencyPlan plan = MakeFrequencyPlan(s, options);
    std::vector<ChannelPair> overlaps, duplicates;
    std::vector<HarmonicHit> hits;
    for (const AdcPlan& adc : plan.adcs) {
        overlaps.insert(overlaps.end(), adc.overlaps.begin(), adc.overlaps.end());
        duplicates.insert(duplicates.end(), adc.duplicates.begin(), adc.duplicates.end());
        hits.insert(hits.end(), adc.hits.begin(), adc.hits.end());
    }
    ASSERT_EQ(overlaps.size(), c.overlaps.size());
    for (std::size_t i = 0; i < overlaps.size(); ++i) {
        EXPECT_EQ(overlaps[i].first, c.overlaps[i].first);
        EXPECT_EQ(overlaps[i].second, c.overlaps[i].second);
        EXPECT_NEAR(overlaps[i].distance, c.overlaps[i].distance, 1.0);
    }
    EXPECT_EQ(duplicates, c.duplicates);
    ASSERT_EQ(hits.size(), c.hits.size());
    for (std::size_t i = 0; i < hits.size(); ++i) {
        EXPECT_EQ(hits[i].channel, c.hits[i].channel);
        EXPECT_EQ(hits[i].order, c.hits[i].order);
        EXPECT_EQ(hits[i].victim, c.hits[i].victim);
        EXPECT_NEAR(hits[i].signal, c.hits[i].signal, 1.0);
        EXPECT_NEAR(hits[i].landing, c.hits[i].landing, 1.0);
    }
    EXPECT_EQ(plan.HasConflicts(), !(overlaps.empty() && duplicates.empty() && hits.empty()));
}

INSTANTIATE_TEST_SUITE_P(FrequencyPlan, PlanTable, ::testing::ValuesIn(kPlanCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrequencyPlan, LanesHoldTheirChannelsInFrequencyOrder) {
    TSettings s;                 // channel i on the default ADCs at 10.7 MHz + i Hz
    s.FrequencyNCO[13] = 60e6f;  // beyond half of 100 MHz: shown at 40 MHz
    BitClear(s.DDCChannelMask, 4);
    s.InputSource[5] = 7;  // no such ADC
    BitClear(s.DDCChannelMask, 6);
    s.InputSource[6] = -1;  // disabled and nowhere
    const FrequencyPlan plan = MakeFrequencyPlan(s, {});
    EXPECT_TRUE(plan.clockUsable);
    EXPECT_EQ(plan.clock, 100e6);
    const AdcPlan& adc0 = plan.adcs[0];
    std::vector<int> order;
    for (const PlannedChannel& p : adc0.channels) {
        order.push_back(p.channel);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 7, 10, 13}));
    EXPECT_EQ(adc0.channels[3].folded, 40e6);
    EXPECT_TRUE(adc0.channels[3].beyondHalf);
    EXPECT_FALSE(adc0.channels[0].beyondHalf);
    EXPECT_EQ(adc0.spacing, (std::vector<double>{7, 3, 40e6 - 10700010}));
    ASSERT_EQ(plan.disabled.size(), 1u);
    EXPECT_EQ(plan.disabled[0].channel, 4);
    EXPECT_EQ(plan.disabled[0].adc, 1);
    EXPECT_EQ(plan.unplaced, std::vector<int>{5});
}

TEST(FrequencyPlan, SpreadGivesTheTickedChannelsStartPlusSteps) {
    EXPECT_EQ(SpreadFrequencies(1e6, 250e3, 0b1000'0000'0010'0101),
              (std::vector<NcoValue>{{0, 1e6}, {2, 1.25e6}, {5, 1.5e6}, {15, 1.75e6}}));
    EXPECT_TRUE(SpreadFrequencies(1e6, 1, 0).empty());
}

struct TextCase {
    const char* text;
    double hertz;  // NaN: refused as not a number
};
// clang-format off
const TextCase kTextCases[] = {
    {"10700000",        10700000},
    {"10.7 MHz",        10700000},
    {"10,7MHz",         10700000},
    {" 10.7 mhz ",      10700000},
    {"150 kHz",         150000},
    {"1,5 KHZ",         1500},
    {"12 Hz",           12},
    {"1e3 kHz",         1e6},
    {"-2.5 MHz",        -2.5e6},
    {"10,7 \xd0\x9c\xd0\x93\xd1\x86",           10700000},  // МГц
    {"200 \xd0\xba\xd0\x93\xd1\x86",            200000},    // кГц
    {"7 \xd0\xb3\xd1\x86",                      7},         // гц
    {"10,7 \xcc\xc3\xf6",                       10700000},  // МГц in Windows-1251
    {"0.1 MHz",         100000},
    {"10.7.1 MHz",      NAN},
    {"10.7,1",          NAN},
    {"MHz",             NAN},
    {"10 GHz",          NAN},
    {"10 MHz Hz",       NAN},
    {"1e",              NAN},
    {"1 000 Hz",        NAN},
    {"",                NAN},
};
// clang-format on

TEST(FrequencyText, TakesUnitsAndEitherSeparator) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(c.text);
        if (std::isnan(c.hertz)) {
            try {
                ParseFrequencyText(c.text);
                ADD_FAILURE() << "taken";
            } catch (const SettingsError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "'" + std::string(c.text) + "' is not a valid floating point value");
            }
        } else {
            EXPECT_EQ(ParseFrequencyText(c.text), c.hertz);
        }
    }
    EXPECT_THROW(
        {
            try {
                ParseFrequencyText("1e308 MHz");
            } catch (const SettingsError& e) {
                EXPECT_STREQ(e.what(), "Floating point overflow");
                throw;
            }
        },
        SettingsError);
}

}  // namespace
