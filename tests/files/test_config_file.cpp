#include "files/config_file.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <filesystem>
#include <string>
#include <variant>

#include "core/errors.h"
#include "core/setting_catalogue.h"
#include "file_test_support.h"
#include "files/config_keys.h"
#include "files/profile_store.h"

namespace fs = std::filesystem;
using file_tests::FileTest;
using file_tests::Fixture;
using file_tests::ReadBytes;
using file_tests::WriteBytes;

namespace {

using ConfigFile = FileTest;

TEST(ConfigRows, FollowTheFileOrderAndReferToTheirFields) {
    const auto rows = RowsOf(FileOf::Config);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_STREQ(rows[0]->key, "SamplesPerChannel");
    EXPECT_STREQ(rows[3]->key, "DirFileName");
    EXPECT_STREQ(rows[3]->section, "Option");
    EXPECT_STREQ(rows[4]->section, "device0_tessaro0");
    EXPECT_STREQ(rows[9]->key, "FrequencyNCO0");
    EXPECT_STREQ(rows[24]->key, "FrequencyNCO15");
    EXPECT_STREQ(rows[25]->key, "InputSource0");
    EXPECT_STREQ(rows[40]->key, "InputSource15");
    EXPECT_STREQ(rows[49]->key, "MaskSelFreqNCO");
    TSettings s;
    EXPECT_EQ(&SingleOf(*rows[24], s), &s.FrequencyNCO[15]);
    EXPECT_EQ(&IntegerOf(*rows[40], s), &s.InputSource[15]);
    EXPECT_EQ(&DoubleOf(*FindSetting("ExternalClockValue"), s), &s.ExternalClockValue);
    EXPECT_EQ(FindSetting("DDCChannelMask")->config, ValueFormat::Hex);
    EXPECT_EQ(TypeOf(*FindSetting("ComparatorThresholdSDX")), FieldType::Single);
    EXPECT_EQ(TypeOf(*FindSetting("DDCProgramFile")), FieldType::String);
}

TEST_F(ConfigFile, DefaultsAreWrittenByteForByte) {
    std::string error;
    ASSERT_TRUE(WriteConfig("std.cfg", Settings, &error)) << error;
    EXPECT_EQ(ReadBytes("std.cfg"), Fixture("std_defaults.cfg"));
    EXPECT_EQ(ConfigText(Settings), Fixture("std_defaults.cfg"));
}

// Sets every row to something other than its default, in every kind.
void SetNonDefaults(TSettings& Settings) {
    Settings.SamplesPerChannel = 16384;
    Settings.EnableDDC = 0;
    Settings.WorkMode = 0;
    Settings.DirFileName = "D:\\records\\run 12;a.bin";
    Settings.ClockSource = 1;
    Settings.ExternalClockValue = 122880000.5;
    Settings.DDCChannelMask = -1;
    Settings.ChannelMask = 0xA;
    Settings.DataFormat = 4;
    for (int i = 0; i < kDdcChannels; ++i) {
        Settings.FrequencyNCO[i] = 1000.5f * static_cast<float>(i + 1);
        Settings.InputSource[i] = 3 - (i % 4);
    }
    Settings.AdcGainMask = INT32_MIN;
    Settings.Dither = 0;
    Settings.StartSource = 4;
    Settings.ComparatorThresholdSDX = -2.5f;
    Settings.MasterMode = 2;
    Settings.DDCSyncMode = 2;
    Settings.DDCProgramFile = "PRGFILES\\Wide.prg";
    Settings.FreqNC0 = 0.5f;
    Settings.MaskSelFreqNCO = 0x8001;
}

TEST_F(ConfigFile, EveryRowSurvivesAWriteAndARead) {
    SetNonDefaults(Settings);
    const TSettings written = Settings;
    ASSERT_TRUE(WriteConfig("round.cfg", Settings));
    Settings = TSettings{};
    ASSERT_TRUE(ReadConfig("round.cfg", Settings));
    EXPECT_EQ(Settings.SamplesPerChannel, written.SamplesPerChannel);
    EXPECT_EQ(Settings.EnableDDC, written.EnableDDC);
    EXPECT_EQ(Settings.WorkMode, written.WorkMode);
    EXPECT_EQ(Settings.DirFileName, written.DirFileName);
    EXPECT_EQ(Settings.ClockSource, written.ClockSource);
    EXPECT_EQ(Settings.ExternalClockValue, written.ExternalClockValue);
    EXPECT_EQ(Settings.DDCChannelMask, written.DDCChannelMask);
    EXPECT_EQ(Settings.ChannelMask, written.ChannelMask);
    EXPECT_EQ(Settings.DataFormat, written.DataFormat);
    for (int i = 0; i < kDdcChannels; ++i) {
        EXPECT_EQ(Settings.FrequencyNCO[i], written.FrequencyNCO[i]) << i;
        EXPECT_EQ(Settings.InputSource[i], written.InputSource[i]) << i;
    }
    EXPECT_EQ(Settings.AdcGainMask, written.AdcGainMask);
    EXPECT_EQ(Settings.Dither, written.Dither);
    EXPECT_EQ(Settings.StartSource, written.StartSource);
    EXPECT_EQ(Settings.ComparatorThresholdSDX, written.ComparatorThresholdSDX);
    EXPECT_EQ(Settings.MasterMode, written.MasterMode);
    EXPECT_EQ(Settings.DDCSyncMode, written.DDCSyncMode);
    EXPECT_EQ(Settings.DDCProgramFile, written.DDCProgramFile);
    EXPECT_EQ(Settings.FreqNC0, written.FreqNC0);
    EXPECT_EQ(Settings.MaskSelFreqNCO, written.MaskSelFreqNCO);
    // Values no configuration file holds are left alone.
    EXPECT_EQ(Settings.DirNumBufWrite, 10);
    EXPECT_EQ(Settings.DirFileBufSize, 4096);
    EXPECT_EQ(Settings.InternalClockValue, 100000000.0);

    const std::string text = ReadBytes("round.cfg");
    EXPECT_NE(text.find("\r\nDDCChannelMask= 0xffffffff\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nAdcGainMask= 0x80000000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nExternalClockValue= 122880000.5\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nDirFileName= D:\\records\\run 12;a.bin\r\n"), std::string::npos);
}

TEST_F(ConfigFile, ReadingTheDefaultsFileRestoresTheDefaults) {
    WriteBytes("std.cfg", Fixture("std_defaults.cfg"));
    SetNonDefaults(Settings);
    ASSERT_TRUE(ReadConfig("std.cfg", Settings));
    // Every row prints as it did, and the reals are the exact defaults.
    EXPECT_EQ(ConfigText(Settings), Fixture("std_defaults.cfg"));
    const TSettings defaults;
    for (int i = 0; i < kDdcChannels; ++i)
        EXPECT_EQ(Settings.FrequencyNCO[i], defaults.FrequencyNCO[i]) << i;
    EXPECT_EQ(Settings.ExternalClockValue, defaults.ExternalClockValue);
    EXPECT_EQ(Settings.ComparatorThresholdSDX, defaults.ComparatorThresholdSDX);
    EXPECT_EQ(Settings.FreqNC0, defaults.FreqNC0);
    EXPECT_EQ(Settings.DirFileName, defaults.DirFileName);
    EXPECT_EQ(Settings.DDCProgramFile, defaults.DDCProgramFile);
}

// Reals keep one decimal wherever that holds the value (so files written before read and write
// byte for byte), and otherwise the fewest digits that read back the same value.
TEST_F(ConfigFile, RealsReadBackAsTheyWereGiven) {
    struct Case {
        const char* key;
        double value;  // a single-precision row takes it as a float
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {"ComparatorThresholdSDX", 1.3,           "1.3"},
        {"ComparatorThresholdSDX", 0.75,          "0.75"},
        {"ComparatorThresholdSDX", 1.25,          "1.25"},
        {"ComparatorThresholdSDX", 0.04,          "0.04"},
        {"ComparatorThresholdSDX", -2.5,          "-2.5"},
        {"FrequencyNCO0",          0.25,          "0.25"},
        {"FrequencyNCO0",          5000000,       "5000000.0"},
        {"FrequencyNCO0",          16777217,      "16777216.0"},  // as the float holds it
        // The one float whose own shortest text, read as a double, narrows to its neighbour.
        {"FrequencyNCO0",          0x1.5c87fap-84, "7.038530691851209e-26"},
        {"ExternalClockValue",     110000000,     "110000000.0"},
        {"ExternalClockValue",     0.35,          "0.35"},
        {"ExternalClockValue",     0.1 + 0.2,     "0.30000000000000004"},
        {"ExternalClockValue",     1e-7,          "1.0e-07"},
        {"ExternalClockValue",     1e22,          "10000000000000000000000.0"},
        {"ExternalClockValue",     DBL_MAX,       "1.7976931348623157e+308"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const SettingRow& row = *FindSetting(c.key);
        Settings = TSettings{};
        if (TypeOf(row) == FieldType::Single)
            SingleOf(row, Settings) = static_cast<float>(c.value);
        else
            DoubleOf(row, Settings) = c.value;
        const TSettings written = Settings;
        ASSERT_TRUE(WriteConfig("r.cfg", Settings));
        const std::string line = "\r\n" + std::string(c.key) + "= " + c.text + "\r\n";
        EXPECT_NE(ReadBytes("r.cfg").find(line), std::string::npos) << c.key << " " << c.text;
        Settings = TSettings{};
        ASSERT_TRUE(ReadConfig("r.cfg", Settings));
        EXPECT_EQ(RealOf(row, Settings), RealOf(row, written)) << c.key << " " << c.text;
        EXPECT_EQ(ConfigText(Settings), ReadBytes("r.cfg")) << c.text;
    }
}

TEST_F(ConfigFile, APartialFileSetsEverythingElseToZero) {
    WriteBytes("part.cfg", "[Option]\r\nSamplesPerChannel= 2048\r\n");
    std::vector<std::string> missing;
    ASSERT_TRUE(ReadConfig("part.cfg", Settings, nullptr, &missing));
    EXPECT_EQ(Settings.SamplesPerChannel, 2048);
    EXPECT_EQ(Settings.DirFileName, "0");
    EXPECT_EQ(Settings.DDCProgramFile, "0");
    ASSERT_EQ(missing.size(), 49u);
    EXPECT_EQ(missing.front(), "EnableDDC");
    EXPECT_EQ(missing.back(), "MaskSelFreqNCO");
    for (const SettingRow* row : RowsOf(FileOf::Config)) {
        if (std::strcmp(row->key, "SamplesPerChannel") == 0 || TypeOf(*row) == FieldType::String)
            continue;
        EXPECT_EQ(
            TypeOf(*row) == FieldType::Integer ? IntegerOf(*row, Settings) : RealOf(*row, Settings),
            0)
            << row->key;
    }
}

TEST_F(ConfigFile, MaskTexts) {
    struct Case {
        const char* text;
        int32_t value;
    };
    // clang-format off
    const Case cases[] = {
        {"0XFF",        255},
        {"255",         255},
        {"ff",          0},
        {"0xffffffff",  -1},
        {"4294967295",  -1},
        {"-1",          -1},
        {"0xFFFF0000",  static_cast<int32_t>(0xFFFF0000u)},
        {"0x100000000", -1},
        {"",            0},
    };
    // clang-format on
    for (const Case& c : cases) {
        WriteBytes("m.cfg", std::string("[device0_tessaro0]\r\nDDCChannelMask= ") + c.text +
                                "\r\nSamplesPerChannel= " + c.text + "\r\n");
        ASSERT_TRUE(ReadConfig("m.cfg", Settings));
        EXPECT_EQ(Settings.DDCChannelMask, c.value) << c.text;
    }
}

TEST_F(ConfigFile, ANegativeMaskIsWrittenAsItsBitPatternAndReadsBack) {
    Settings.DDCChannelMask = -16;
    ASSERT_TRUE(WriteConfig("n.cfg", Settings));
    EXPECT_NE(ReadBytes("n.cfg").find("\r\nDDCChannelMask= 0xfffffff0\r\n"), std::string::npos);
    Settings.DDCChannelMask = 0;
    ASSERT_TRUE(ReadConfig("n.cfg", Settings));
    EXPECT_EQ(Settings.DDCChannelMask, -16);
}

TEST_F(ConfigFile, TheSpaceLineReadsLikeAnEmptyLine) {
    std::string text = Fixture("std_defaults.cfg");
    const std::size_t space = text.find("\r\n \r\n");
    ASSERT_NE(space, std::string::npos);
    text.erase(space + 2, 1);
    WriteBytes("blank.cfg", text);
    SetNonDefaults(Settings);
    ASSERT_TRUE(ReadConfig("blank.cfg", Settings));
    const std::string reread = ConfigText(Settings);
    EXPECT_EQ(reread, Fixture("std_defaults.cfg"));
}

TEST_F(ConfigFile, OtherLetterCaseAndLineEndingsAreFound) {
    WriteBytes("case.cfg",
               "[OPTION]\nsamplesperchannel=8192\n[Device0_Tessaro0]\nDDCCHANNELMASK = 0x3\t\n");
    ASSERT_TRUE(ReadConfig("case.cfg", Settings));
    EXPECT_EQ(Settings.SamplesPerChannel, 8192);
    EXPECT_EQ(Settings.DDCChannelMask, 3);
}

TEST_F(ConfigFile, LongStringsAreCutTo255OnReading) {
    Settings.DirFileName = std::string(255, 'a');
    ASSERT_TRUE(WriteConfig("s.cfg", Settings));
    Settings = TSettings{};
    ASSERT_TRUE(ReadConfig("s.cfg", Settings));
    EXPECT_EQ(Settings.DirFileName, std::string(255, 'a'));

    WriteBytes("s.cfg", "[Option]\r\nDirFileName= " + std::string(300, 'b') + "\r\n");
    ASSERT_TRUE(ReadConfig("s.cfg", Settings));
    EXPECT_EQ(Settings.DirFileName, std::string(255, 'b'));
}

TEST_F(ConfigFile, AStringWithALineBreakIsCutThere) {
    Settings.DirFileName = "a.bin\r\n[Option]\r\nEnableDDC= 7";
    ASSERT_TRUE(WriteConfig("b.cfg", Settings));
    // Nothing of the rest reaches the file: a reader taking the last copy of a key would see it.
    EXPECT_EQ(ReadBytes("b.cfg").find("EnableDDC= 7"), std::string::npos);
    Settings = TSettings{};
    ASSERT_TRUE(ReadConfig("b.cfg", Settings));
    EXPECT_EQ(Settings.DirFileName, "a.bin");
    EXPECT_EQ(Settings.EnableDDC, 1);
}

TEST_F(ConfigFile, AMissingFileChangesNothing) {
    SetNonDefaults(Settings);
    const TSettings before = Settings;
    std::string error;
    EXPECT_FALSE(ReadConfig("nowhere.cfg", Settings, &error));
    EXPECT_EQ(error, "cannot read \"nowhere.cfg\": No such file or directory");
    EXPECT_EQ(Settings.DirFileName, before.DirFileName);
    EXPECT_EQ(Settings.SamplesPerChannel, before.SamplesPerChannel);
}

// A file is a configuration when it has one of the two sections, whatever else it holds.
TEST_F(ConfigFile, AFileWithoutEitherSectionIsRefusedAndChangesNothing) {
    struct Case {
        const char* text;
        bool taken;
    };
    // clang-format off
    const Case cases[] = {
        {"",                                                false},
        {"notes about the run\r\n",                         false},
        {"SamplesPerChannel= 2048\r\n",                     false},
        {"[Other]\r\nSamplesPerChannel= 2048\r\n",          false},
        {"; [Option]\r\nSamplesPerChannel= 2048\r\n",       false},
        {"[Options]\r\n[device0]\r\n",                      false},
        {"[option]\r\n",                                    true},
        {"[Option]   ; main options\r\nSamplesPerChannel= 2048\r\n", true},
        {"[Other]\r\n[DEVICE0_TESSARO0]\r\n",               true},
        {"\xEF\xBB\xBF[device0_tessaro0]",                    true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SetNonDefaults(Settings);
        const std::string before = ConfigText(Settings);
        WriteBytes("any.cfg", c.text);
        std::string error;
        EXPECT_EQ(ReadConfig("any.cfg", Settings, &error), c.taken) << c.text;
        if (c.taken) {
            EXPECT_EQ(Settings.DirFileName, "0") << c.text;  // a missing key reads as now
        } else {
            EXPECT_EQ(error,
                      "cannot read \"any.cfg\": not a configuration file (no [Option] or "
                      "[device0_tessaro0] section)");
            EXPECT_EQ(ConfigText(Settings), before) << c.text;
            // No error asked for: refused all the same.
            EXPECT_FALSE(ReadConfig("any.cfg", Settings, nullptr)) << c.text;
        }
    }
}

// Settings set by key name (as the command line does) refuse what the window refuses.
TEST(ConfigKeys, RefuseValuesTheFilesCannotGiveBack) {
    const std::pair<const char*, std::string> cases[] = {
        {"ExternalClockValue", "1e300"},
        {"DirFileName", "rec\n.bin"},
        {"DirFileName", " rec.bin"},
        {"DDCProgramFile", "a.prg\r"},
    };
    for (const auto& [key, text] : cases) {
        TSettings Settings;
        const std::string before = ConfigText(Settings);
        EXPECT_THROW(SetSettingFromText(*FindConfigSetting(key), Settings, text), SettingsError)
            << key;
        EXPECT_EQ(ConfigText(Settings), before) << key;
    }
}

TEST_F(ConfigFile, AFolderInPlaceOfTheFileFailsBothWays) {
    fs::create_directory("std.cfg");
    std::string error;
    EXPECT_FALSE(ReadConfig("std.cfg", Settings, &error));
    EXPECT_EQ(error, "cannot read \"std.cfg\": Is a directory");
    EXPECT_FALSE(WriteConfig("std.cfg", Settings, &error));
    EXPECT_EQ(error, "cannot write \"std.cfg\": Is a directory");
    EXPECT_TRUE(fs::is_directory("std.cfg"));
}

TEST_F(ConfigFile, AMissingFolderFails) {
    std::string error;
    EXPECT_FALSE(WriteConfig("CONFIGS/x.cfg", Settings, &error));
    EXPECT_EQ(error, "cannot write \"CONFIGS/x.cfg\": No such file or directory");
}

TEST_F(ConfigFile, AFailedSaveLeavesTheOldFile) {
    WriteBytes("std.cfg", "old");
    files::SetWriteFaultForTesting(files::WriteFault{100});
    std::string error;
    EXPECT_FALSE(WriteConfig("std.cfg", Settings, &error));
    EXPECT_EQ(error, "cannot write \"std.cfg\": No space left on device");
    EXPECT_EQ(ReadBytes("std.cfg"), "old");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"std.cfg"});
}

TEST_F(ConfigFile, ASaveInterruptedBeforeTheRenameLeavesTheOldFile) {
    WriteBytes("std.cfg", "old");
    files::SetWriteFaultForTesting(files::WriteFault{{}, files::WriteFault::BeforeRename::Stop});
    EXPECT_FALSE(WriteConfig("std.cfg", Settings));
    EXPECT_EQ(ReadBytes("std.cfg"), "old");
}

TEST_F(ConfigFile, HostileContentReadsWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>((i * 131 + i / 7) % 256);
    for (const std::string& text :
         {"[Option]\n" + garbage,
          "[Option]\r\nSamplesPerChannel=" + std::string(3000000, '9') + "\r\n",
          std::string("[device0_tessaro0]\nFrequencyNCO0=1e999999\nExternalClockValue=-1e400\n"
                      "FreqNC0=1e39\nComparatorThresholdSDX=.\nDDCChannelMask=0x\n"),
          "[Option]\n" + std::string(1000000, '[') + "\n" + std::string(1000000, '=')}) {
        WriteBytes("bad.cfg", text);
        EXPECT_TRUE(ReadConfig("bad.cfg", Settings));
    }
    EXPECT_EQ(Settings.FrequencyNCO[0], 0.0f);  // the last file lacks the key
    WriteBytes("bad.cfg",
               "[device0_tessaro0]\nFrequencyNCO0=1e999999\nExternalClockValue=-1e400\n"
               "FreqNC0=1e39\n");
    ASSERT_TRUE(ReadConfig("bad.cfg", Settings));
    EXPECT_EQ(Settings.FrequencyNCO[0], FLT_MAX);
    EXPECT_EQ(Settings.ExternalClockValue, -DBL_MAX);
    EXPECT_EQ(Settings.FreqNC0, FLT_MAX);
    // Saturated values still make a file that reads back the same.
    ASSERT_TRUE(WriteConfig("back.cfg", Settings));
    ASSERT_TRUE(ReadConfig("back.cfg", Settings));
    EXPECT_EQ(Settings.FrequencyNCO[0], FLT_MAX);
}

TEST_F(ConfigFile, ACommaLocaleStillWritesAndReadsPoints) {
    file_tests::CommaLocale locale;
    REQUIRE_COMMA_LOCALE(locale);
    ASSERT_TRUE(WriteConfig("std.cfg", Settings));
    EXPECT_EQ(ReadBytes("std.cfg"), Fixture("std_defaults.cfg"));
    WriteBytes("c.cfg", "[device0_tessaro0]\r\nComparatorThresholdSDX= 1.5\r\nFreqNC0= 2,5\r\n");
    ASSERT_TRUE(ReadConfig("c.cfg", Settings));
    EXPECT_EQ(Settings.ComparatorThresholdSDX, 1.5f);
    EXPECT_EQ(Settings.FreqNC0, 2.0f);
}

TEST_F(ConfigFile, NamesAreTakenRelativeToTheWorkingDirectoryAtTheTime) {
    fs::create_directory("CONFIGS");
    fs::current_path("CONFIGS");
    ASSERT_TRUE(WriteConfig("mine.cfg", Settings));
    fs::current_path(folder_);
    EXPECT_TRUE(fs::exists("CONFIGS/mine.cfg"));
    EXPECT_FALSE(ReadConfig("mine.cfg", Settings));
    EXPECT_TRUE(ReadConfig("CONFIGS/mine.cfg", Settings));
}

}  // namespace
