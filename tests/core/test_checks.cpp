#include <gtest/gtest.h>

#include <cctype>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/checks.h"
#include "core/settings.h"

namespace {

// A disk in memory: the working directory "." holds PRGFILES/IsGsm.prg and a sound exam_ddc.ini.
class FakeDisk : public FileSystemView {
  public:
    std::set<std::string> files = {"PRGFILES/IsGsm.prg"};
    std::set<std::string> folders = {".", "PRGFILES", "/", "data"};
    std::set<std::string> readOnly;
    std::map<std::string, std::uint64_t> free = {{".", 1ull << 40}, {"data", 1ull << 40}};
    IniFileState ini;
    mutable int freeQuestions = 0;

    bool IsFile(const std::string& path) const override { return files.count(path) > 0; }
    bool IsFolder(const std::string& path) const override { return folders.count(path) > 0; }
    std::optional<std::string> FindIgnoringCase(const std::string& folder,
                                                const std::string& name) const override {
        auto lower = [](std::string s) {
            for (char& c : s) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            return s;
        };
        for (const std::set<std::string>* entries : {&files, &folders}) {
            for (const std::string& path : *entries) {
                const std::size_t sep = path.rfind('/');
                const std::string parent = sep == std::string::npos ? "." : path.substr(0, sep);
                const std::string entry = sep == std::string::npos ? path : path.substr(sep + 1);
                if (parent == folder && lower(entry) == lower(name)) {
                    return entry;
                }
            }
        }
        return std::nullopt;
    }
    bool IsWritableFolder(const std::string& path) const override {
        return IsFolder(path) && readOnly.count(path) == 0;
    }
    std::optional<std::uint64_t> FreeBytes(const std::string& folder) const override {
        ++freeQuestions;
        const auto it = free.find(folder);
        return it == free.end() ? std::nullopt : std::optional(it->second);
    }
    IniFileState IniFile(const std::string&) const override { return ini; }
};

// Settings that give no finding on FakeDisk: the defaults with 16-bit data and the program file in
// its folder.
TSettings Sound() {
    TSettings s;
    s.DataFormat = 0;
    s.DDCProgramFile = "PRGFILES\\IsGsm.prg";
    return s;
}

struct Expected {
    const char* id;
    Severity severity;
    std::vector<std::string> keys;
    const char* message = nullptr;         // compared when given
    std::vector<std::string> values = {};  // compared when given
};

struct RuleCase {
    const char* name;
    std::function<void(TSettings&, FakeDisk&)> change;
    std::vector<Expected> expected;  // empty: the neighbour just inside, no finding
};

void PrintTo(const RuleCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<std::string> Texts(const std::vector<FindingValue>& values) {
    std::vector<std::string> texts;
    for (const FindingValue& v : values) {
        texts.push_back(v.text);
    }
    return texts;
}

constexpr Severity W = Severity::Warning;
constexpr Severity E = Severity::Error;

// clang-format off
const RuleCase kRuleCases[] = {
    // nco-range: half the clock in use is the last frequency allowed.
    {"NcoAboveHalfInternal", [](TSettings& s, FakeDisk&) { s.FrequencyNCO[5] = 50000004; },
        {{"nco-range", W, {"FrequencyNCO5"}}}},
    {"NcoAtHalfInternal",    [](TSettings& s, FakeDisk&) { s.FrequencyNCO[5] = 50000000; }, {}},
    {"NcoBelowZero",         [](TSettings& s, FakeDisk&) { s.FrequencyNCO[0] = -1; },
        {{"nco-range", W, {"FrequencyNCO0"}}}},
    {"NcoJustBelowZero",     [](TSettings& s, FakeDisk&) { s.FrequencyNCO[0] = -0.4f; },
        {{"nco-range", W, {"FrequencyNCO0"},
          "FrequencyNCO0: 0 Hz is outside 0 ... 50000000 Hz (half the internal clock)", {"0", "0", "50000000"}}}},
    {"NcoZero",              [](TSettings& s, FakeDisk&) { s.FrequencyNCO[0] = 0; }, {}},
    {"NcoHalfExternal",      [](TSettings& s, FakeDisk&) { s.ClockSource = 1; s.FrequencyNCO[3] = 55000000; }, {}},
    {"NcoAboveHalfExternal", [](TSettings& s, FakeDisk&) { s.ClockSource = 1; s.FrequencyNCO[3] = 55000004; },
        {{"nco-range", W, {"FrequencyNCO3"},
          "FrequencyNCO3: 55000004 Hz is outside 0 ... 55000000 Hz (half the external clock)"}}},
    {"NcoDisabledChannel",   [](TSettings& s, FakeDisk&) { s.DDCChannelMask = 0x7FFF; s.FrequencyNCO[15] = 9e7f; }, {}},
    {"NcoAdcMode",           [](TSettings& s, FakeDisk&) { s.EnableDDC = 0; s.FrequencyNCO[1] = 9e7f; }, {}},

    // nco-duplicate: same ADC, same stored NCO, both enabled; each repeat named against the first.
    {"NcoDuplicate",         [](TSettings& s, FakeDisk&) { s.FrequencyNCO[7] = s.FrequencyNCO[0]; },
        {{"nco-duplicate", W, {"FrequencyNCO0", "FrequencyNCO7"}}}},
    {"NcoThreeAlike",        [](TSettings& s, FakeDisk&) { s.FrequencyNCO[7] = s.FrequencyNCO[10] = s.FrequencyNCO[0]; },
        {{"nco-duplicate", W, {"FrequencyNCO0", "FrequencyNCO7"}}, {"nco-duplicate", W, {"FrequencyNCO0", "FrequencyNCO10"}}}},
    {"NcoSameOtherAdc",      [](TSettings& s, FakeDisk&) { s.FrequencyNCO[1] = s.FrequencyNCO[0]; }, {}},
    {"NcoSameOneDisabled",   [](TSettings& s, FakeDisk&) { s.FrequencyNCO[7] = s.FrequencyNCO[0]; BitClear(s.DDCChannelMask, 7); }, {}},
    {"NcoSameAdcMode",       [](TSettings& s, FakeDisk&) { s.FrequencyNCO[7] = s.FrequencyNCO[0]; s.EnableDDC = 0; }, {}},
    {"NcoOneHertzApart",     [](TSettings& s, FakeDisk&) { s.FrequencyNCO[7] = s.FrequencyNCO[0] + 1; }, {}},

    // data-format: the default 1 is neither choice.
    {"DataFormatDefault",    [](TSettings& s, FakeDisk&) { s.DataFormat = 1; },
        {{"data-format", W, {"DataFormat"}}}},
    {"DataFormat24",         [](TSettings& s, FakeDisk&) { s.DataFormat = 4; }, {}},
    {"DataFormatAdcMode",    [](TSettings& s, FakeDisk&) { s.EnableDDC = 0; s.DataFormat = 1; }, {}},

    // threshold-range: an error when the comparator starts the run.
    {"ThresholdAbove",       [](TSettings& s, FakeDisk&) { s.ComparatorThresholdSDX = 2.51f; },
        {{"threshold-range", W, {"ComparatorThresholdSDX"}}}},
    {"ThresholdAtTop",       [](TSettings& s, FakeDisk&) { s.ComparatorThresholdSDX = 2.5f; }, {}},
    {"ThresholdAtBottom",    [](TSettings& s, FakeDisk&) { s.ComparatorThresholdSDX = -2.5f; }, {}},
    {"ThresholdBelowSdx",    [](TSettings& s, FakeDisk&) { s.StartSource = 2; s.ComparatorThresholdSDX = -2.6f; },
        {{"threshold-range", E, {"ComparatorThresholdSDX"}}}},
    {"ThresholdAboveSynx",   [](TSettings& s, FakeDisk&) { s.StartSource = 4; s.ComparatorThresholdSDX = 2.6f; },
        {{"threshold-range", W, {"ComparatorThresholdSDX"}, "ComparatorThresholdSDX 2.6 V is outside -2.5 ... +2.5 V"}}},

    // program-file: backslash as a separator, then letter case ignored part by part.
    {"ProgramMissing",       [](TSettings& s, FakeDisk&) { s.DDCProgramFile = "PRGFILES\\Other.prg"; },
        {{"program-file", W, {"DDCProgramFile"}}}},
    {"ProgramOtherCase",     [](TSettings& s, FakeDisk&) { s.DDCProgramFile = "prgfiles\\ISGSM.PRG"; }, {}},
    {"ProgramEmpty",         [](TSettings& s, FakeDisk&) { s.DDCProgramFile.clear(); },
        {{"program-file", W, {"DDCProgramFile"}}}},
    {"ProgramIsFolder",      [](TSettings& s, FakeDisk&) { s.DDCProgramFile = "PRGFILES"; },
        {{"program-file", W, {"DDCProgramFile"}}}},
    {"ProgramThroughParent", [](TSettings& s, FakeDisk& d) { d.files.insert("../IsGsm.prg"); s.DDCProgramFile = "..\\IsGsm.prg"; }, {}},
    {"ProgramAdcMode",       [](TSettings& s, FakeDisk&) { s.EnableDDC = 0; s.DDCProgramFile = "x.prg"; }, {}},

    // recording-folder and disk-space: only for direct recording.
    {"FolderMissing",        [](TSettings& s, FakeDisk&) { s.DirFileName = "D:\\data\\x.bin"; },
        {{"recording-folder", W, {"DirFileName"}}}},
    {"FolderBackslash",      [](TSettings& s, FakeDisk&) { s.DirFileName = "data\\x.bin"; }, {}},
    {"FolderReadOnly",       [](TSettings& s, FakeDisk& d) { s.DirFileName = "data/x.bin"; d.readOnly.insert("data"); },
        {{"recording-folder", W, {"DirFileName"}}}},
    {"FolderNoName",         [](TSettings& s, FakeDisk&) { s.DirFileName = "data\\"; },
        {{"recording-folder", W, {"DirFileName"}}}},
    {"FolderNoNameSlash",    [](TSettings& s, FakeDisk&) { s.DirFileName = "data/"; },
        {{"recording-folder", W, {"DirFileName"}, "DirFileName \"data/\" names no file"}}},
    {"FolderViewerMode",     [](TSettings& s, FakeDisk&) { s.WorkMode = 0; s.DirFileName = "nowhere/x.bin"; }, {}},
    {"DiskTooSmall",         [](TSettings& s, FakeDisk& d) { d.free["."] = 4096ull * 1024 - 1; (void)s; },
        {{"disk-space", W, {"DirFileName", "DirNumBufWrite"}}}},
    {"DiskJustEnough",       [](TSettings& s, FakeDisk& d) { d.free["."] = 4096ull * 1024; (void)s; }, {}},
    {"DiskUnknown",          [](TSettings& s, FakeDisk& d) { d.free.erase("."); (void)s; }, {}},

    // recording-size: 0 buffers would reach the initialization file.
    {"SizeNoBuffer",         [](TSettings& s, FakeDisk&) { s.DirFileBufSize = 0; },
        {{"recording-size", E, {"DirNumBufWrite", "DirFileBufSize"},
          "The recording size has no result (DirFileBufSize is 0): DirNumBufWrite would be 0", {"0"}}}},
    {"SizeNoDdcChannel",     [](TSettings& s, FakeDisk&) { s.DDCChannelMask = 0; },
        {{"recording-size", E, {"DirNumBufWrite", "DDCChannelMask"},
          "The recording size has no result (no channel is enabled): DirNumBufWrite would be 0"},
         {"enum-value", E, {"DDCChannelMask"}}}},
    {"SizeNegative",         [](TSettings& s, FakeDisk&) { s.DirSamplesPerChannel = -1; },
        {{"recording-size", E, {"DirNumBufWrite", "DirSamplesPerChannel"}}}},
    {"SizeZeroSamples",      [](TSettings& s, FakeDisk&) { s.DirSamplesPerChannel = 0; },
        {{"recording-size", E, {"DirNumBufWrite", "DirSamplesPerChannel"}}}},
    {"SizeOneSample",        [](TSettings& s, FakeDisk&) { s.DirSamplesPerChannel = 1; }, {}},
    {"SizeViewerMode",       [](TSettings& s, FakeDisk&) { s.WorkMode = 0; s.DirFileBufSize = 0; }, {}},

    // input-source: only enabled channels are fed.
    {"InputSourceFour",      [](TSettings& s, FakeDisk&) { s.InputSource[7] = 4; },
        {{"input-source", E, {"InputSource7"}}}},
    {"InputSourceNegative",  [](TSettings& s, FakeDisk&) { s.InputSource[0] = -1; },
        {{"input-source", E, {"InputSource0"}}}},
    {"InputSourceThree",     [](TSettings& s, FakeDisk&) { s.InputSource[7] = 3; }, {}},
    {"InputSourceDisabled",  [](TSettings& s, FakeDisk&) { s.DDCChannelMask = 0xFF7F; s.InputSource[7] = 9; }, {}},

    // clock-value: the clock in use must be a positive number; NCO limits are then left alone.
    {"ClockInternalZero",    [](TSettings& s, FakeDisk&) { s.InternalClockValue = 0; },
        {{"clock-value", E, {"InternalClockValue"}}}},
    {"ClockExternalNan",     [](TSettings& s, FakeDisk&) { s.ClockSource = 1; s.ExternalClockValue = std::nan(""); },
        {{"clock-value", E, {"ExternalClockValue"}}}},
    {"ClockUnusedZero",      [](TSettings& s, FakeDisk&) { s.ExternalClockValue = 0; }, {}},
    {"ClockTiny",            [](TSettings& s, FakeDisk&) { s.InternalClockValue = 1e-300; s.DDCChannelMask = 0xF; for (float& f : s.FrequencyNCO) f = 0; }, {}},

    // adc-channels.
    {"AdcNoChannel",         [](TSettings& s, FakeDisk&) { s.EnableDDC = 0; s.WorkMode = 0; s.ChannelMask = 0x10; },
        {{"adc-channels", E, {"ChannelMask"}}, {"enum-value", E, {"ChannelMask"}}}},
    {"AdcNoChannelHex",      [](TSettings& s, FakeDisk&) { s.EnableDDC = 0; s.WorkMode = 0; s.ChannelMask = 0xF0; },
        {{"adc-channels", E, {"ChannelMask"}, "ADC samples are chosen and no ADC channel is enabled (ChannelMask 0xF0)", {"0xF0"}},
         {"enum-value", E, {"ChannelMask"}, "ChannelMask 0xF0 is not offered by the window (0x0 ... 0xF)",
          {"ChannelMask", "0xF0", "0x0 ... 0xF"}}}},
    {"AdcUnknownSource",     [](TSettings& s, FakeDisk&) { s.EnableDDC = 2; s.ChannelMask = 0; },
        {{"recording-size", E, {"DirNumBufWrite", "EnableDDC"}, nullptr, {"2"}}, {"enum-value", E, {"EnableDDC"}}}},
    {"AdcModeNoDdcChannel",  [](TSettings& s, FakeDisk&) { s.EnableDDC = 0; s.DDCChannelMask = 0; }, {}},
    {"AdcOneChannel",        [](TSettings& s, FakeDisk&) { s.EnableDDC = 0; s.ChannelMask = 0x8; }, {}},

    // enum-value: values only a hand-edited file holds.
    {"EnumMasterMode7",      [](TSettings& s, FakeDisk&) { s.MasterMode = 7; },
        {{"enum-value", E, {"MasterMode"}}}},
    {"EnumMasterMode2",      [](TSettings& s, FakeDisk&) { s.MasterMode = 2; }, {}},
    {"EnumSyncMode0",        [](TSettings& s, FakeDisk&) { s.DDCSyncMode = 0; },
        {{"enum-value", E, {"DDCSyncMode"}}}},
    {"EnumSamples3000",      [](TSettings& s, FakeDisk&) { s.SamplesPerChannel = 3000; },
        {{"enum-value", E, {"SamplesPerChannel"}}}},
    {"EnumSamples16384",     [](TSettings& s, FakeDisk&) { s.SamplesPerChannel = 16384; }, {}},
    {"EnumStartSource3",     [](TSettings& s, FakeDisk&) { s.StartSource = 3; },
        {{"enum-value", E, {"StartSource"}}}},
    {"EnumTypedWorkMode",    [](TSettings& s, FakeDisk&) { s.WorkMode = -1; },
        {{"enum-value", E, {"WorkMode"}}}},
    {"EnumWorkMode2",        [](TSettings& s, FakeDisk&) { s.WorkMode = 2; s.DirFileName = "nowhere/x.bin"; },
        {{"enum-value", E, {"WorkMode"}}}},
    {"EnumTypedClock",       [](TSettings& s, FakeDisk&) { s.ClockSource = -1; },
        {{"enum-value", E, {"ClockSource"}}}},
    {"EnumGainBit4",         [](TSettings& s, FakeDisk&) { s.AdcGainMask = 0x1F; },
        {{"enum-value", E, {"AdcGainMask"}}}},
    {"EnumGainAllFour",      [](TSettings& s, FakeDisk&) { s.AdcGainMask = 0xF; }, {}},
    {"EnumNoDdcChannel",     [](TSettings& s, FakeDisk&) { s.DDCChannelMask = 0; s.WorkMode = 0; },
        {{"enum-value", E, {"DDCChannelMask"}}}},
    {"EnumOneDdcChannel",    [](TSettings& s, FakeDisk&) { s.DDCChannelMask = 0x8000; }, {}},

    // name-control-char: names a file gave with a line break or a NUL.
    {"NameCarriageReturn",   [](TSettings& s, FakeDisk&) { s.DirFileName = "exam.bin\r[device0_tessaro0]\rDither= 0"; },
        {{"name-control-char", E, {"DirFileName"}}}},
    {"NameNul",              [](TSettings& s, FakeDisk&) { s.DDCProgramFile = std::string("PRGFILES\\IsGsm.prg\0", 19); },
        {{"program-file", W, {"DDCProgramFile"}}, {"name-control-char", E, {"DDCProgramFile"}}}},
    {"NameTabOnly",          [](TSettings& s, FakeDisk&) { s.DirFileName = "exam\t.bin"; }, {}},

    // value-too-large: a real whose text in the files would come back cut.
    {"ValueLargestDouble",   [](TSettings& s, FakeDisk&) { s.ExternalClockValue = DBL_MAX; },
        {{"value-too-large", E, {"ExternalClockValue"}}}},
    {"ValueAt255Characters", [](TSettings& s, FakeDisk&) { s.ExternalClockValue = 1e253; }, {}},

    // ini-file.
    {"IniMissing",           [](TSettings&, FakeDisk& d) { d.ini = {false, false, false, {}}; },
        {{"ini-file", W, {"DirFileBufSize", "InternalClockValue"}}}},
    {"IniWithoutClock",      [](TSettings&, FakeDisk& d) { d.ini.hasInternalClockValue = false; },
        {{"ini-file", W, {"InternalClockValue"}}}},
    {"IniWithoutEither",     [](TSettings&, FakeDisk& d) { d.ini = {true, false, false, {}}; },
        {{"ini-file", W, {"DirFileBufSize", "InternalClockValue"},
          "exam_ddc.ini lacks DirFileBufSize, InternalClockValue", {"exam_ddc.ini", "DirFileBufSize, InternalClockValue"}}}},
    {"IniDuplicates",        [](TSettings&, FakeDisk& d) { d.ini.duplicates = {"[Option]", "Option/Dither"}; },
        {{"ini-duplicates", W, {}}}},
    {"IniMissingNoCopies",   [](TSettings&, FakeDisk& d) { d.ini.found = false; d.ini.duplicates = {"[Option]"}; },
        {{"ini-file", W, {"DirFileBufSize", "InternalClockValue"}}}},
};
// clang-format on

class RuleTable : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RuleTable, GivesExactlyTheExpectedFindings) {
    const RuleCase& c = GetParam();
    TSettings s = Sound();
    FakeDisk disk;
    c.change(s, disk);
    const std::vector<Finding> findings = RunChecks({s, disk});
    ASSERT_EQ(findings.size(), c.expected.size()) << (findings.empty() ? "" : findings[0].message);
    for (std::size_t i = 0; i < findings.size(); ++i) {
        EXPECT_EQ(findings[i].id, c.expected[i].id);
        EXPECT_EQ(findings[i].severity, c.expected[i].severity) << findings[i].message;
        EXPECT_EQ(findings[i].keys, c.expected[i].keys) << findings[i].message;
        if (c.expected[i].message) {
            EXPECT_EQ(findings[i].message, c.expected[i].message);
        }
        if (!c.expected[i].values.empty()) {
            EXPECT_EQ(Texts(findings[i].values), c.expected[i].values) << findings[i].message;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Checks, RuleTable, ::testing::ValuesIn(kRuleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The keys the configuration lacked are named until another is read; only errors stop a write.
TEST(Checks, MissingConfigKeysAndWhatStopsAWrite) {
    TSettings s = Sound();
    FakeDisk disk;
    const ConfigRead full{"std.cfg", {}};
    EXPECT_TRUE(RunChecks({s, disk, nullptr, &full}).empty());
    const ConfigRead partial{"old.cfg", {"Dither", "MasterMode"}};
    std::vector<Finding> f = RunChecks({s, disk, nullptr, &partial});
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].id, "config-missing-keys");
    EXPECT_EQ(f[0].severity, Severity::Warning);
    EXPECT_EQ(f[0].keys, (std::vector<std::string>{"Dither", "MasterMode"}));
    EXPECT_EQ(f[0].message, "old.cfg lacks Dither, MasterMode; read as 0");
    EXPECT_TRUE(WriteStoppers(f).empty());

    s.MasterMode = 7;
    s.InputSource[2] = 9;
    f = RunChecks({s, disk, nullptr, &partial});
    const std::vector<Finding> stoppers = WriteStoppers(f);
    ASSERT_EQ(stoppers.size(), 2u);
    EXPECT_EQ(stoppers[0].id, "input-source");
    EXPECT_EQ(stoppers[1].id, "enum-value");
}

TEST(Checks, SoundSettingsGiveNoFinding) {
    const TSettings s = Sound();
    FakeDisk disk;
    EXPECT_TRUE(RunChecks({s, disk}).empty());
    EXPECT_FALSE(WorstSeverity({}).has_value());
}

TEST(Checks, DefaultsWarnOnlyOfTheDataFormat) {
    const TSettings s;  // "IsGsm.prg" in the working directory itself
    FakeDisk disk;
    disk.files.insert("IsGsm.prg");
    const std::vector<Finding> findings = RunChecks({s, disk});
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].message,
              "DataFormat 1 is neither 0 (16 bits) nor 4 (24 bits); the recording counts 8 bytes a "
              "sample");
}

// Messages carry the numbers written with a point, whatever the process locale.
TEST(Checks, MessagesQuoteTheValues) {
    TSettings s = Sound();
    s.FrequencyNCO[5] = 60000000;
    s.ComparatorThresholdSDX = 3.5f;
    s.StartSource = 2;
    s.InputSource[2] = 7;
    s.FrequencyNCO[14] = s.FrequencyNCO[15] = 20000000;
    s.InputSource[14] = s.InputSource[15] = 3;
    FakeDisk disk;
    disk.free["."] = 1024 * 1024;
    const std::vector<Finding> f = RunChecks({s, disk});
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[0].message,
              "FrequencyNCO5: 60000000 Hz is outside 0 ... 50000000 Hz (half the internal clock)");
    EXPECT_EQ(f[1].message,
              "FrequencyNCO14 and FrequencyNCO15 are both 20000000 Hz on ADC 3: the two channels "
              "deliver the same data");
    EXPECT_EQ(
        f[2].message,
        "ComparatorThresholdSDX 3.5 V is outside -2.5 ... +2.5 V, and the run starts from SDX");
    EXPECT_EQ(f[3].message, "The recording needs 4096 KB; the volume of \".\" has 1024 KB free");
    EXPECT_EQ(f[4].message, "InputSource2 is 7: there is no such ADC (0 to 3)");
    EXPECT_EQ(WorstSeverity(f), Severity::Error);
    ASSERT_EQ(f[2].values.size(), 1u);
    EXPECT_EQ(f[2].values[0].text, "3.5");
    EXPECT_TRUE(f[2].values[0].number);

    s = Sound();
    s.DirFileName = "a\nb.bin";
    s.ExternalClockValue = 1e300;
    const FakeDisk roomy;
    const std::vector<Finding> g = RunChecks({s, roomy});
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[0].message, "DirFileName holds a LF character, which exam_ddc.ini cannot hold");
    EXPECT_EQ(
        g[1].message,
        "ExternalClockValue 1e+300 is too large for the settings files: it would come back cut");
    EXPECT_EQ(g[1].values,
              (std::vector<FindingValue>{{"ExternalClockValue", false}, {"1e+300", true}}));
}

struct PrecisionCase {
    const char* key;
    double typed;
    bool finding;
    const char* message;
    std::vector<std::string> values = {};
};

// Above 2^24 a float holds only even numbers of hertz, above 2^25 multiples of four.
// clang-format off
const PrecisionCase kPrecisionCases[] = {
    {"FrequencyNCO5", 16777217.0, true,  "FrequencyNCO5: 16777217 Hz is kept as 16777216 Hz (single precision)",
        {"5", "16777217", "16777216"}},
    {"FrequencyNCO5", 16777216.0, false, nullptr},
    {"FrequencyNCO0", 16777218.0, false, nullptr},
    {"FreqNC0",       33554435.0, true,  "FreqNC0: 33554435 Hz is kept as 33554436 Hz (single precision)",
        {"33554435", "33554436"}},
    {"FrequencyNCO1", 10700000.3, false, nullptr},  // a fraction below the hertz shown
    {"FrequencyNCO1", 10700000.5, true,  "FrequencyNCO1: 10700000.5 Hz is kept as 10700000 Hz (single precision)",
        {"1", "10700000.5", "10700000"}},
};
// clang-format on

TEST(Checks, NcoPrecisionComparesWholeHertz) {
    for (const PrecisionCase& c : kPrecisionCases) {
        SCOPED_TRACE(c.typed);
        const auto f = NcoPrecisionFinding(c.key, c.typed, static_cast<float>(c.typed));
        ASSERT_EQ(f.has_value(), c.finding);
        if (f) {
            EXPECT_EQ(f->message, c.message);
            EXPECT_EQ(f->keys, std::vector<std::string>{c.key});
            EXPECT_EQ(Texts(f->values), c.values);
        }
    }
}

// A typed value no longer stored (a file was read, the channel set otherwise) says nothing.
TEST(Checks, NcoPrecisionFollowsTheStoredValue) {
    TSettings s = Sound();
    TypedFrequencies typed;
    typed.FrequencyNCO[9] = 16777217.0;
    typed.FreqNC0 = 16777219.0;
    s.FrequencyNCO[9] = 16777216.0f;
    s.FreqNC0 = 16777220.0f;
    FakeDisk disk;
    std::vector<Finding> f = RunChecks({s, disk, &typed});
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].keys[0], "FrequencyNCO9");
    EXPECT_EQ(f[1].cause, "common");
    s.FrequencyNCO[9] = 10700009.0f;
    f = RunChecks({s, disk, &typed});
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].keys[0], "FreqNC0");
}

TEST(Checks, RecordingFolderOfAName) {
    EXPECT_EQ(RecordingFolder("exam.bin"), ".");
    EXPECT_EQ(RecordingFolder("data\\sub\\x.bin"), "data/sub");
    EXPECT_EQ(RecordingFolder("/x.bin"), "/");
}

TEST(Checks, CachedViewAsksOncePerLifetime) {
    FakeDisk disk;
    auto now = std::chrono::steady_clock::time_point{};
    CachedFileSystemView cached(disk, std::chrono::milliseconds(1500), [&] { return now; });
    EXPECT_EQ(cached.FreeBytes("."), 1ull << 40);
    disk.free["."] = 5;
    now += std::chrono::milliseconds(1499);
    EXPECT_EQ(cached.FreeBytes("."), 1ull << 40);
    EXPECT_EQ(disk.freeQuestions, 1);
    now += std::chrono::milliseconds(1);
    EXPECT_EQ(cached.FreeBytes("."), 5u);
    EXPECT_EQ(cached.FreeBytes("data"), 1ull << 40);  // another folder is asked at once
    EXPECT_EQ(disk.freeQuestions, 3);

    // The initialization file's state expires alike.
    EXPECT_TRUE(cached.IniFile("exam_ddc.ini").found);
    disk.ini.found = false;
    now += std::chrono::milliseconds(1499);
    EXPECT_TRUE(cached.IniFile("exam_ddc.ini").found);
    now += std::chrono::milliseconds(1);
    EXPECT_FALSE(cached.IniFile("exam_ddc.ini").found);
}

}  // namespace
