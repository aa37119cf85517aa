#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "core/editing_rules.h"
#include "core/errors.h"
#include "core/settings.h"

namespace {

auto Scalars(const TSettings& s) {
    return std::tie(s.SamplesPerChannel, s.EnableDDC, s.WorkMode, s.DirFileName, s.DirFileBufSize,
                    s.DirNumBufWrite, s.ClockSource, s.InternalClockValue, s.ExternalClockValue,
                    s.DDCChannelMask, s.ChannelMask, s.DataFormat, s.AdcGainMask, s.Dither,
                    s.StartSource, s.ComparatorThresholdSDX, s.MasterMode, s.DDCSyncMode,
                    s.DDCProgramFile, s.FreqNC0, s.MaskSelFreqNCO, s.DirSamplesPerChannel,
                    s.DirRealSamplesPerChannel, s.DirFileSizeKB, s.AdcBytesPerSample,
                    s.DdcBytesPerSample, s.EnabledDdcCount, s.EnabledAdcCount, s.AdcDataFormat,
                    s.CurrentConfigName);
}

bool SameRecord(const TSettings& a, const TSettings& b) {
    return Scalars(a) == Scalars(b) && std::ranges::equal(a.FrequencyNCO, b.FrequencyNCO) &&
           std::ranges::equal(a.InputSource, b.InputSource);
}

class EditingRules : public ::testing::Test {
  protected:
    TSettings Settings;

    // A refused edit throws SettingsError with `message` (when given) and leaves the record as
    // it was.
    void ExpectRefused(const std::function<void()>& edit, const std::string& message = {}) {
        const TSettings before = Settings;
        try {
            edit();
            ADD_FAILURE() << "edit was accepted";
        } catch (const SettingsError& e) {
            if (!message.empty()) {
                EXPECT_EQ(e.what(), message);
            }
        }
        EXPECT_TRUE(SameRecord(before, Settings)) << "a refused edit changed the settings";
    }
};

struct MatrixCase {
    const char* what;
    int32_t mask;
    int channel;
    int32_t source;  // InputSource of the channel before the click
    uint32_t ticked;
    int32_t expectedMask;
    int32_t expectedSource;
    int32_t expectedSource0;
};

// clang-format off
const MatrixCase kMatrixCases[] = {
    // what                          mask    ch src ticked  mask'   src' src0'
    {"untick: off, ADC kept",        0xFFFF,  5, 2, 0b0000, 0xFFDF,  2,   3},
    {"tick one: on with that ADC",   0xFFDF,  5, 2, 0b1000, 0xFFFF,  3,   3},
    {"one box moves enabled chan",   0xFFFF,  5, 2, 0b0010, 0xFFFF,  1,   3},
    {"{0,2} from ADC 2 goes to 0",   0xFFFF,  3, 2, 0b0101, 0xFFFF,  0,   3},
    {"{0,2} from ADC 0 goes to 2",   0xFFFF,  3, 0, 0b0101, 0xFFFF,  2,   3},
    {"three boxes: first other",     0xFFFF,  3, 1, 0b0111, 0xFFFF,  0,   3},
    {"three boxes skip current",     0xFFFF,  3, 0, 0b1011, 0xFFFF,  1,   3},
    {"two boxes keep mask off",      0xFFF7,  3, 1, 0b0011, 0xFFF7,  0,   3},
    {"last channel 9 falls back",    0x0200,  9, 2, 0b0000, 0x0001,  2,   0},
    {"last channel 0 back to ADC 0", 0x0001,  0, 3, 0b0000, 0x0001,  0,   0},
    {"last ch 15 falls back",        0x8000, 15, 1, 0b0000, 0x0001,  1,   0},
    {"two left: no fallback",        0x0201,  9, 2, 0b0000, 0x0001,  2,   3},
};
// clang-format on

TEST_F(EditingRules, ChannelToAdcMatrix) {
    for (const MatrixCase& c : kMatrixCases) {
        SCOPED_TRACE(c.what);
        Settings = TSettings{};
        Settings.DDCChannelMask = c.mask;
        Settings.InputSource[0] = 3;
        Settings.InputSource[c.channel] = c.source;
        TSettings expected = Settings;
        expected.DDCChannelMask = c.expectedMask;
        if (c.channel != 0) {
            expected.InputSource[c.channel] = c.expectedSource;
        }
        expected.InputSource[0] = c.channel == 0 ? c.expectedSource : c.expectedSource0;

        SetChannelAdcs(Settings, c.channel, c.ticked);
        EXPECT_EQ(Settings.DDCChannelMask, c.expectedMask);
        EXPECT_EQ(Settings.InputSource[c.channel], c.expectedSource);
        EXPECT_EQ(Settings.InputSource[0], expected.InputSource[0]);
        EXPECT_TRUE(SameRecord(Settings, expected)) << "another field changed";
    }
}

TEST_F(EditingRules, WholeMatrixButtons) {
    Settings.DDCChannelMask = 0x0010;
    Settings.InputSource[0] = 3;
    EnableAllChannels(Settings);
    EXPECT_EQ(Settings.DDCChannelMask, 0xFFFF);
    EXPECT_EQ(Settings.InputSource[0], 3);

    EnableOnlyChannel0(Settings);
    EXPECT_EQ(Settings.DDCChannelMask, 1);
    EXPECT_EQ(Settings.InputSource[0], 0);

    Settings.DDCChannelMask = 0x00F0;
    AllChannelsToAdc(Settings, 2);
    EXPECT_EQ(Settings.DDCChannelMask, 0x00F0);  // disabled channels stay disabled
    for (int i = 0; i < kDdcChannels; ++i) {
        EXPECT_EQ(Settings.InputSource[i], 2) << i;
    }
}

TEST_F(EditingRules, Frequencies) {
    SetChannelFrequency(Settings, 3, "1,5E6", ',');
    EXPECT_EQ(Settings.FrequencyNCO[3], 1.5e6f);
    EXPECT_EQ(Settings.FrequencyNCO[2], 10700002.0f);

    Settings.MaskSelFreqNCO = 0xFF;
    ApplyFrequencyToSelected(Settings, "5e6", '.',
                             0b1000'0000'0000'0101);  // the boxes decide, not the mask
    for (int i = 0; i < kDdcChannels; ++i) {
        const bool ticked = i == 0 || i == 2 || i == 15;
        const float expected = ticked ? 5e6f : (i == 3 ? 1.5e6f : 10700000.0f + i);
        EXPECT_EQ(Settings.FrequencyNCO[i], expected) << i;
    }

    ApplyFrequencyToAll(Settings, " 20000000 ", '.');
    for (float f : Settings.FrequencyNCO) {
        EXPECT_EQ(f, 2e7f);
    }
    EXPECT_EQ(Settings.FreqNC0, 10700000.0f);
}

TEST_F(EditingRules, ClockSourceAndValue) {
    for (int item : {1, -1, 7, 0}) {
        SetClockSource(Settings, item);
        EXPECT_EQ(Settings.ClockSource, item);
    }
    SetClockValue(Settings, "1.25e8", '.');
    EXPECT_EQ(Settings.InternalClockValue, 1.25e8);
    EXPECT_EQ(Settings.ExternalClockValue, 110000000.0);
    for (int item : {1, -1}) {
        SetClockSource(Settings, item);
        SetClockValue(Settings, "9.5e7", '.');
        EXPECT_EQ(Settings.ExternalClockValue, 9.5e7);
        Settings.ExternalClockValue = 0;
    }
    EXPECT_EQ(Settings.InternalClockValue, 1.25e8);
    SetClockValue(Settings, "1e250", '.');  // doubles take what floats refuse
    EXPECT_EQ(Settings.ExternalClockValue, 1e250);
}

// A value is refused when the settings files could not give it back: a real whose one-decimal
// text passes the 255 characters a value is read with, a name with a line break (cut there) or
// with white space around it (dropped by the readers); so is a channel or ADC that does not exist.
TEST_F(EditingRules, ValuesTheFilesCannotGiveBackAreRefused) {
    const std::string dirFile = "The file name for direct recording";
    const std::string program = "The DDC program file name";
    const std::string config = "The configuration file name";
    const std::string breaks = " holds a line break";
    const std::string blanks = " begins or ends with a blank";
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[this] { SetClockValue(Settings, "1e300", '.'); },
         "'1e300' is too large for the settings files"},
        {[this] { SetClockValue(Settings, "-1e253", '.'); },
         "'-1e253' is too large for the settings files"},
        {[this] { SetClockValue(Settings, " 1,5e254 ", ','); },
         "' 1,5e254 ' is too large for the settings files"},
        {[this] { SetDirFileName(Settings, "rec\n.bin"); }, dirFile + breaks},
        {[this] { SetDirFileName(Settings, "rec.bin\r"); }, dirFile + breaks},
        {[this] { SetDirFileName(Settings, " rec.bin"); }, dirFile + blanks},
        {[this] { SetDirFileName(Settings, "rec.bin\t"); }, dirFile + blanks},
        {[this] { SetDdcProgramFile(Settings, "PRGFILES\\a\r\nb.prg"); }, program + breaks},
        {[this] { SetDdcProgramFile(Settings, "a.prg\f"); }, program + blanks},
        {[this] { SetDdcProgramFromPath(Settings, "D:\\PRG\nFILES\\a.prg"); }, program + breaks},
        {[this] { SetDdcProgramFromPath(Settings, "/w/PRGFILES/a.prg\r"); }, program + breaks},
        {[this] { SetDdcProgramFromPath(Settings, "D:\\ a.prg"); }, program + blanks},
        {[this] { ConfigNameFromPath(Settings, "C:\\CONFIGS\\my\n.cfg"); }, config + breaks},
        {[this] { ConfigNameFromPath(Settings, "C:\\CON\rFIGS\\my.cfg"); }, config + breaks},
        // Channels and ADCs that do not exist: nothing is written past the arrays.
        {[this] { SetChannelAdcs(Settings, 16, 0b0001); }, "DDC channel 16 does not exist"},
        {[this] { SetChannelAdcs(Settings, -1, 0b0001); }, "DDC channel -1 does not exist"},
        {[this] { SetChannelFrequency(Settings, 16, "1", '.'); }, "DDC channel 16 does not exist"},
        {[this] { AllChannelsToAdc(Settings, 4); }, "ADC 4 does not exist"},
        {[this] { AllChannelsToAdc(Settings, -1); }, "ADC -1 does not exist"},
    };
    for (const auto& [edit, message] : cases)
        ExpectRefused(edit, message);

    // Just within the limits.
    SetClockSource(Settings, 1);
    SetClockValue(Settings, "9.99e252", '.');
    EXPECT_EQ(Settings.ExternalClockValue, 9.99e252);
    SetDirFileName(Settings, "");
    SetDirFileName(Settings, "a b;c.bin");
    EXPECT_EQ(Settings.DirFileName, "a b;c.bin");
    SetDdcProgramFromPath(Settings, "D:\\work\\PRG FILES\\ a.prg");
    EXPECT_EQ(Settings.DDCProgramFile, "PRG FILES\\ a.prg");
    ConfigNameFromPath(Settings, "C:\\CONFIGS\\ my.cfg ");  // shown only, kept in no file
    EXPECT_EQ(Settings.CurrentConfigName, " my.cfg ");
}

TEST_F(EditingRules, FormatAndSamples) {
    SetDataFormat16(Settings);
    EXPECT_EQ(Settings.DataFormat, 0);
    SetDataFormat24(Settings);
    EXPECT_EQ(Settings.DataFormat, 4);
    SetDirSamplesPerChannel(Settings, "$20000");
    EXPECT_EQ(Settings.DirSamplesPerChannel, 131072);
}

TEST_F(EditingRules, RefusedNumbersChangeNothing) {
    const std::string overflow = "Floating point overflow";
    ExpectRefused([this] { SetChannelFrequency(Settings, 4, "12abc", '.'); },
                  "'12abc' is not a valid floating point value");
    ExpectRefused([this] { SetChannelFrequency(Settings, 4, "1e39", '.'); }, overflow);
    ExpectRefused([this] { ApplyFrequencyToAll(Settings, "-4e38", '.'); }, overflow);
    ExpectRefused([this] { ApplyFrequencyToSelected(Settings, "1.5,5", ',', 0xFFFF); },
                  "'1.5,5' is not a valid floating point value");
    ExpectRefused([this] { SetClockValue(Settings, "1e400", '.'); }, overflow);
    ExpectRefused([this] { SetDirSamplesPerChannel(Settings, "65536 "); },
                  "'65536 ' is not a valid integer value");
}

TEST_F(EditingRules, StringSettingsHold255Characters) {
    const std::string fits(kMaxStringLength, 'n');
    const std::string tooLong(kMaxStringLength + 1, 'n');
    SetDirFileName(Settings, fits);
    EXPECT_EQ(Settings.DirFileName, fits);
    SetDdcProgramFile(Settings, fits);
    EXPECT_EQ(Settings.DDCProgramFile, fits);
    ConfigNameFromPath(Settings, "C:\\cfg\\" + fits);
    EXPECT_EQ(Settings.CurrentConfigName, fits);

    ExpectRefused([&] { SetDirFileName(Settings, tooLong); });
    ExpectRefused([&] { SetDdcProgramFile(Settings, tooLong); });
    ExpectRefused([&] { ConfigNameFromPath(Settings, "C:\\cfg\\" + tooLong); });
    // The stored result counts, not the length of the chosen path.
    ExpectRefused([&] {
        SetDdcProgramFromPath(Settings,
                              "D:\\" + std::string(200, 'd') + "\\" + std::string(60, 'f'));
    });
    const std::string longFile(120, 'f');
    SetDdcProgramFromPath(Settings, "D:\\" + std::string(300, 'w') + "\\PRGFILES\\" + longFile);
    EXPECT_EQ(Settings.DDCProgramFile, "PRGFILES\\" + longFile);
}

TEST_F(EditingRules, NamesAreStoredWhole) {
    SetDirFileName(Settings, "D:\\data\\rec.bin");
    EXPECT_EQ(Settings.DirFileName, "D:\\data\\rec.bin");
    SetDdcProgramFile(Settings, "prg/My Gsm.prg");
    EXPECT_EQ(Settings.DDCProgramFile, "prg/My Gsm.prg");
}

TEST_F(EditingRules, ProgramPathKeepsTheLastDirectoryWithABackslash) {
    struct Case {
        const char* path;
        const char* stored;
    };
    // clang-format off
    const Case cases[] = {
        {"D:\\work\\PRGFILES\\IsGsm.prg",      "PRGFILES\\IsGsm.prg"},
        {"/home/u/work/PRGFILES/IsGsm.prg",   "PRGFILES\\IsGsm.prg"},
        {"D:/work\\PRGFILES/IsGsm.prg",       "PRGFILES\\IsGsm.prg"},
        {"PRGFILES\\IsGsm.prg",               "PRGFILES\\IsGsm.prg"},
        {"\\\\server\\share\\PRG\\a b.prg",   "PRG\\a b.prg"},
        {"IsGsm.prg",                         "IsGsm.prg"},
        {"D:\\IsGsm.prg",                     "IsGsm.prg"},
        {"/IsGsm.prg",                        "IsGsm.prg"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Settings.DDCProgramFile = "unset";
        SetDdcProgramFromPath(Settings, c.path);
        EXPECT_EQ(Settings.DDCProgramFile, c.stored);
    }
    for (const char* path : {"D:\\work\\PRGFILES\\", "/home/u/", "\\", ""}) {
        SCOPED_TRACE(path);
        ExpectRefused([&] { SetDdcProgramFromPath(Settings, path); });
    }
}

TEST_F(EditingRules, ConfigNameIsTheTextAfterTheLastSeparator) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {{"C:\\work\\CONFIGS\\my.cfg", "my.cfg"},
                          {"/home/u/CONFIGS/my.cfg", "my.cfg"},
                          {"C:\\a/b\\c d.cfg", "c d.cfg"},
                          {"my.cfg", "my.cfg"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ConfigNameFromPath(Settings, c.path);
        EXPECT_EQ(Settings.CurrentConfigName, c.name);
        EXPECT_EQ(FileNameOfPath(c.path), c.name);
    }
    for (const char* path : {"C:\\work\\CONFIGS\\", "/home/u/", ""}) {
        SCOPED_TRACE(path);
        ExpectRefused([&] { ConfigNameFromPath(Settings, path); });
        EXPECT_EQ(FileNameOfPath(path), "");
    }
}

}  // namespace
