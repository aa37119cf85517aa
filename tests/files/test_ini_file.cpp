#include "files/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file_test_support.h"
#include "files/config_file.h"
#include "files/profile_store.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using file_tests::FileTest;
using file_tests::Fixture;
using file_tests::ReadBytes;
using file_tests::WriteBytes;

namespace {

using IniFile = FileTest;

// The settings the commented fixture is written with.
void SetFixtureSettings(TSettings& Settings) {
    Settings.SamplesPerChannel = 4096;
    Settings.EnableDDC = 1;
    Settings.WorkMode = 0;
    Settings.DirFileName = "C:\\DATA\\run 7.bin";
    Settings.DirNumBufWrite = 25;
    Settings.ClockSource = 1;
    Settings.ExternalClockValue = 122880000.0;
    Settings.DDCChannelMask = 0xF0;
    Settings.ChannelMask = -1;
    Settings.DataFormat = 4;
    Settings.FrequencyNCO[0] = 1.26f;
    Settings.FrequencyNCO[1] = 0.05f;
    Settings.FrequencyNCO[2] = 21400000.0f;
    Settings.FrequencyNCO[3] = -5.5f;
    Settings.InputSource[0] = -1;
    Settings.AdcGainMask = 0xA;
    Settings.Dither = 0;
    Settings.StartSource = 4;
    Settings.ComparatorThresholdSDX = -2.345f;
    Settings.MasterMode = 2;
    Settings.DDCSyncMode = 2;
    Settings.DDCProgramFile = "PRGFILES\\IsGsm.prg";
    // Never written to this file.
    Settings.DirFileBufSize = 1;
    Settings.InternalClockValue = 5.0;
    Settings.FreqNC0 = 7.0f;
    Settings.MaskSelFreqNCO = 0x1234;
}

TEST_F(IniFile, CommentedFileIsWrittenByteForByte) {
    WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
    SetFixtureSettings(Settings);
    std::string error;
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings, &error)) << error;
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), Fixture("exam_ddc_expected.ini"));
}

TEST_F(IniFile, WritingTwiceEqualsWritingOnce) {
    WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
    SetFixtureSettings(Settings);
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    files::FileOperationCountsForTesting() = {};
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), Fixture("exam_ddc_expected.ini"));
    // Nothing changed, so nothing was written.
    EXPECT_EQ(files::FileOperationCountsForTesting().reads, 1);
    EXPECT_EQ(files::FileOperationCountsForTesting().writes, 0);
}

TEST_F(IniFile, OneReadAndOneWriteForAllTheKeys) {
    WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    EXPECT_EQ(files::FileOperationCountsForTesting().reads, 1);
    EXPECT_EQ(files::FileOperationCountsForTesting().writes, 1);
}

TEST_F(IniFile, AMissingFileIsCreatedWithEveryKey) {
    std::string error;
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings, &error)) << error;
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), Fixture("exam_ddc_new.ini"));
}

TEST_F(IniFile, ValueTextFormats) {
    struct Case {
        const char* name;
        void (*set)(TSettings&);
        std::string line;
    };
    // clang-format off
    const Case cases[] = {
        {"decimal", [](TSettings& Settings) { Settings.SamplesPerChannel = 2048; },   "SamplesPerChannel= 2048\t\t;c\r\n"},
        {"unsigned", [](TSettings& Settings) { Settings.SamplesPerChannel = -1; },     "SamplesPerChannel= 4294967295\t\t;c\r\n"},
        {"hex upper case", [](TSettings& Settings) { Settings.DDCChannelMask = 0xffff; },    "DDCChannelMask= 0xFFFF\t\t;c\r\n"},
        {"hex negative", [](TSettings& Settings) { Settings.DDCChannelMask = -2; },        "DDCChannelMask= 0xFFFFFFFE\t\t;c\r\n"},
        {"hex zero", [](TSettings& Settings) { Settings.DDCChannelMask = 0; },         "DDCChannelMask= 0x0\t\t;c\r\n"},
        {"one decimal", [](TSettings& Settings) { Settings.ExternalClockValue = 110e6; }, "ExternalClockValue= 110000000.0\t;c\r\n"},
        {"one decimal tie", [](TSettings& Settings) { Settings.FrequencyNCO[5] = 0.25f; },    "FrequencyNCO5= 0.2\t;c\r\n"},
        {"two decimals", [](TSettings& Settings) { Settings.ComparatorThresholdSDX = 1; }, "ComparatorThresholdSDX= 1.00\t;c\r\n"},
        {"two decimals neg", [](TSettings& Settings) { Settings.ComparatorThresholdSDX = -0.125f; }, "ComparatorThresholdSDX= -0.12\t;c\r\n"},
        {"string", [](TSettings& Settings) { Settings.DDCProgramFile = "P\\a b.prg"; }, "DDCProgramFile= P\\a b.prg\t;c\r\n"},
        {"empty string", [](TSettings& Settings) { Settings.DirFileName = ""; },           "DirFileName= \t;c\r\n"},
        {"string cut at LF", [](TSettings& Settings) { Settings.DirFileName = "x.bin\nEnableDDC=7"; }, "DirFileName= x.bin\t;c\r\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        Settings = TSettings{};
        c.set(Settings);
        const std::string key = c.line.substr(0, c.line.find('='));
        const std::string section =
            key == "SamplesPerChannel" || key == "DirFileName" ? "Option" : "device0_tessaro0";
        ProfileStore store("[" + section + "]\r\n" + key + "=x ;c\r\n");
        WriteIniTo(store, Settings);
        const std::string bytes = store.Bytes();
        EXPECT_EQ(bytes.substr(section.size() + 4, c.line.size()), c.line) << c.name;
    }
}

TEST_F(IniFile, DataFormatFollowsTheSampleSource) {
    struct Case {
        int32_t enableDdc;
        std::string input;
        std::string expectedLine;  // "" when the file must keep the input line
    };
    const std::string present = "[device0_tessaro0]\r\nDataFormat= 7\t\t;формат\r\n";
    const Case cases[] = {
        {1, present, "DataFormat= 4\t\t;формат\r\n"},
        {0, present, "DataFormat= 0\t\t;формат\r\n"},
        {2, present, "DataFormat= 7\t\t;формат\r\n"},
        {-1, present, "DataFormat= 7\t\t;формат\r\n"},
        {2, "[device0_tessaro0]\r\n", ""},
    };
    for (const Case& c : cases) {
        Settings = TSettings{};
        Settings.EnableDDC = c.enableDdc;
        Settings.DataFormat = 4;
        Settings.AdcDataFormat = 0;
        ProfileStore store(c.input);
        WriteIniTo(store, Settings);
        const std::string bytes = store.Bytes();
        if (c.expectedLine.empty())
            EXPECT_EQ(bytes.find("DataFormat"), std::string::npos) << c.enableDdc;
        else
            EXPECT_NE(bytes.find("\r\n" + c.expectedLine), std::string::npos) << c.enableDdc;
    }
}

TEST_F(IniFile, CommentRules) {
    struct Case {
        const char* name;
        std::string present;  // the text after "SamplesPerChannel="
        std::string written;  // the line written for 1024
    };
    const std::string longComment(1000, '\xe9');
    // clang-format off
    const Case cases[] = {
        {"second semicolon",  " 2048\t\t;a; b;c",       "SamplesPerChannel= 1024\t\t;a; b;c\r\n"},
        {"no semicolon",      " 2048 old text",         "SamplesPerChannel= 1024\t\t;\r\n"},
        {"NONAND is absent",  "NONAND",                 "SamplesPerChannel= 1024\t\t;\r\n"},
        {"NONAND with more",  "NONAND;x",               "SamplesPerChannel= 1024\t\t;x\r\n"},
        {"empty comment",     " 5\t\t;",                "SamplesPerChannel= 1024\t\t;\r\n"},
        {"blanks kept inside"," 5 ;  a  b  ",           "SamplesPerChannel= 1024\t\t;  a  b\r\n"},
        {"semicolon first",   ";only comment",          "SamplesPerChannel= 1024\t\t;only comment\r\n"},
        {"8-bit comment",     " 5\t;\xd7\xe8\xf1\xeb\xee \x98\xff", "SamplesPerChannel= 1024\t\t;\xd7\xe8\xf1\xeb\xee \x98\xff\r\n"},
        {"long comment whole"," 5\t\t;" + longComment,  "SamplesPerChannel= 1024\t\t;" + longComment + "\r\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        Settings = TSettings{};
        ProfileStore store("[Option]\r\nSamplesPerChannel=" + c.present + "\r\nx=y\r\n");
        WriteIniTo(store, Settings);
        EXPECT_EQ(store.Bytes().substr(10, c.written.size()), c.written) << c.name;
        EXPECT_EQ(store.Bytes().substr(10 + c.written.size(), 5), "x=y\r\n") << c.name;
    }
}

TEST_F(IniFile, LongStringValuesAndCommentsAreCarriedWhole) {
    Settings.DirFileName = std::string(255, 'f');
    const std::string comment(400, 'c');
    WriteBytes("exam_ddc.ini", "[Option]\r\nDirFileName= x\t;" + comment + "\r\n");
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    const std::string once = ReadBytes("exam_ddc.ini");
    EXPECT_NE(once.find("\r\nDirFileName= " + std::string(255, 'f') + "\t;" + comment + "\r\n"),
              std::string::npos);
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), once);
}

TEST_F(IniFile, AFileNameHoldingASemicolonKeepsItsComment) {
    struct Case {
        std::string present;  // the text after "DirFileName="
        std::string written;
    };
    const Case cases[] = {
        {" exam.bin\t;имя файла", "DirFileName= rec;1.bin\t;имя файла\r\n"},
        {" rec;1.bin\t;имя файла", "DirFileName= rec;1.bin\t;имя файла\r\n"},
        // The present value is the name itself: nothing follows it, so there is no comment.
        {" rec;1.bin", "DirFileName= rec;1.bin\t;\r\n"},
        {" rec;1.bin  ", "DirFileName= rec;1.bin\t;\r\n"},
    };
    for (const Case& c : cases) {
        Settings.DirFileName = "rec;1.bin";
        WriteBytes("exam_ddc.ini", "[Option]\r\nDirFileName=" + c.present + "\r\n");
        ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
        const std::string once = ReadBytes("exam_ddc.ini");
        EXPECT_NE(once.find("\r\n" + c.written), std::string::npos) << c.present;
        ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
        EXPECT_EQ(ReadBytes("exam_ddc.ini"), once) << c.present;
    }
}

TEST_F(IniFile, OwnValuesAreNeverWrittenAndOtherKeysStay) {
    WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
    Settings.DirFileBufSize = 77;
    Settings.InternalClockValue = 1.0;
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    const std::string bytes = ReadBytes("exam_ddc.ini");
    EXPECT_NE(bytes.find("\r\nDirFileBufSize= 8192\t\t;"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nInternalClockValue= 100000000.0\t;"), std::string::npos);
    EXPECT_EQ(bytes.find("FreqNC0"), std::string::npos);
    EXPECT_EQ(bytes.find("MaskSelFreqNCO"), std::string::npos);
}

TEST_F(IniFile, AByteOrderMarkStaysAndItsSectionIsUsed) {
    WriteBytes("exam_ddc.ini", "\xEF\xBB\xBF[Option]\r\nSamplesPerChannel= 2048\t\t;c\r\n");
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    const std::string bytes = ReadBytes("exam_ddc.ini");
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF[Option]\r\nSamplesPerChannel= 1024\t\t;c\r\n", 0), 0u);
    EXPECT_EQ(bytes.find("[Option]", 12), std::string::npos);
}

TEST_F(IniFile, AFailedWriteLeavesTheFileUnchanged) {
    WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
    files::SetWriteFaultForTesting(files::WriteFault{200});
    std::string error;
    EXPECT_FALSE(WriteIni("exam_ddc.ini", Settings, &error));
    EXPECT_EQ(error, "cannot write \"exam_ddc.ini\": No space left on device");
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"exam_ddc.ini"});

    files::SetWriteFaultForTesting(files::WriteFault{{}, files::WriteFault::BeforeRename::Stop});
    EXPECT_FALSE(WriteIni("exam_ddc.ini", Settings));
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
}

// A configuration file may give what the initialization file cannot hold: a name with a line
// break or a NUL (its line would end there, and a reader ending lines at CR would see a new
// section), a real whose text would come back cut. The write refuses it, naming the key, and
// writes nothing; the neighbours just inside are written.
TEST_F(IniFile, WhatTheFileCannotHoldIsRefused) {
    struct Case {
        std::string line;   // of the configuration
        std::string error;  // after `cannot write "exam_ddc.ini": `, or "" for written
    };
    // clang-format off
    const Case cases[] = {
        {"[Option]\r\nDirFileName= exam.bin\r[device0_tessaro0]\rDither= 0",
            "DirFileName holds a CR character, which the file cannot hold"},
        {"[device0_tessaro0]\r\nDDCProgramFile= IsGsm\0.prg"s,
            "DDCProgramFile holds a NUL character, which the file cannot hold"},
        {"[device0_tessaro0]\r\nDDCProgramFile= PRGFILES\\IsGsm.prg", ""},
        {"[device0_tessaro0]\r\nExternalClockValue= 1e400",
            "ExternalClockValue 1.7976931348623157e+308 is too large for the settings files"},
        {"[device0_tessaro0]\r\nExternalClockValue= 1e254",
            "ExternalClockValue 1.0e+254 is too large for the settings files"},
        {"[device0_tessaro0]\r\nExternalClockValue= 1e253", ""},  // 255 characters
    };
    // clang-format on
    for (const Case& c : cases) {
        WriteBytes("c.cfg", c.line + "\r\n");
        Settings = TSettings{};
        ASSERT_TRUE(ReadConfig("c.cfg", Settings)) << c.line;
        WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
        std::string error;
        EXPECT_EQ(WriteIni("exam_ddc.ini", Settings, &error), c.error.empty()) << c.line;
        if (c.error.empty())
            continue;
        EXPECT_EQ(error, "cannot write \"exam_ddc.ini\": " + c.error);
        EXPECT_EQ(ReadBytes("exam_ddc.ini"), Fixture("exam_ddc_in.ini"));
        fs::remove("exam_ddc.ini");
        EXPECT_FALSE(WriteIni("exam_ddc.ini", Settings));
        EXPECT_FALSE(fs::exists("exam_ddc.ini"));
    }
}

TEST_F(IniFile, AFolderInPlaceOfTheFileFails) {
    fs::create_directory("exam_ddc.ini");
    std::string error;
    EXPECT_FALSE(WriteIni("exam_ddc.ini", Settings, &error));
    EXPECT_EQ(error, "cannot read \"exam_ddc.ini\": Is a directory");
    EXPECT_FALSE(ReadIni("exam_ddc.ini", Settings, &error));
    EXPECT_TRUE(fs::is_directory("exam_ddc.ini"));
}

TEST_F(IniFile, AMissingFolderFails) {
    std::string error;
    EXPECT_FALSE(WriteIni("gone/exam_ddc.ini", Settings, &error));
    EXPECT_EQ(error, "cannot write \"gone/exam_ddc.ini\": No such file or directory");
}

TEST_F(IniFile, ReadIniTakesTheTwoValues) {
    WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
    ASSERT_TRUE(ReadIni("exam_ddc.ini", Settings));
    EXPECT_EQ(Settings.DirFileBufSize, 8192);
    EXPECT_EQ(Settings.InternalClockValue, 100000000.0);
    EXPECT_EQ(Settings.SamplesPerChannel, 1024);  // nothing else is read
}

TEST_F(IniFile, ReadIniValueTexts) {
    struct Case {
        std::string file;
        int32_t bufferSize;
        double clock;
    };
    // clang-format off
    const Case cases[] = {
        {"[Option]\r\nDirFileBufSize= 2048 ;kb\r\n[device0_tessaro0]\r\nInternalClockValue= 125e6 ;Hz\r\n",
                                                               2048,      125e6},
        {"[option]\nDIRFILEBUFSIZE=0x10\n",                    0,         0.0},   // decimal only
        {"",                                                   0,         0.0},   // keys missing
        {"[Option]\r\nDirFileBufSize= -4\r\n",                 -4,        0.0},
        {"[Option]\r\nDirFileBufSize= 99999999999\r\n",        INT32_MAX, 0.0},
        {"[device0_tessaro0]\r\nInternalClockValue= 1,5e8\r\n", 0,        1.0},
    };
    // clang-format on
    for (const Case& c : cases) {
        WriteBytes("exam_ddc.ini", c.file);
        ASSERT_TRUE(ReadIni("exam_ddc.ini", Settings));
        EXPECT_EQ(Settings.DirFileBufSize, c.bufferSize) << c.file;
        EXPECT_EQ(Settings.InternalClockValue, c.clock) << c.file;
    }
}

// A header with text after its "]" is that section, read and written, and stays as it is.
TEST_F(IniFile, HeadersWithTrailingTextAreTheirSections) {
    const std::string option = "[Option]   ; main options\r\n";
    const std::string device = "\t[device0_tessaro0] ;\xea\xee\xec\r\n";
    WriteBytes("exam_ddc.ini", option +
                                   "DirFileBufSize= 2048\t\t;kb\r\nSamplesPerChannel= 1\t\t;n\r\n" +
                                   device + "InternalClockValue= 125e6\t;Hz\r\n");
    ASSERT_TRUE(ReadIni("exam_ddc.ini", Settings));
    EXPECT_EQ(Settings.DirFileBufSize, 2048);
    EXPECT_EQ(Settings.InternalClockValue, 125e6);

    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    const std::string written = ReadBytes("exam_ddc.ini");
    EXPECT_TRUE(written.starts_with(option + "DirFileBufSize= 2048\t\t;kb\r\n"
                                             "SamplesPerChannel= 1024\t\t;n\r\n"))
        << written;
    EXPECT_NE(written.find(device + "InternalClockValue= 125e6\t;Hz\r\nClockSource="),
              std::string::npos)
        << written;
    EXPECT_EQ(written.find("[Option]\r\n"), std::string::npos) << "a second [Option]";
    EXPECT_EQ(written.find("[device0_tessaro0]\r\n"), std::string::npos);
}

TEST_F(IniFile, AMissingFileKeepsBothValues) {
    std::string error;
    EXPECT_FALSE(ReadIni("exam_ddc.ini", Settings, &error));
    EXPECT_EQ(error, "cannot read \"exam_ddc.ini\": No such file or directory");
    EXPECT_EQ(Settings.DirFileBufSize, 4096);
    EXPECT_EQ(Settings.InternalClockValue, 100000000.0);
}

TEST_F(IniFile, ACommaLocaleStillWritesPoints) {
    file_tests::CommaLocale locale;
    REQUIRE_COMMA_LOCALE(locale);
    WriteBytes("exam_ddc.ini", Fixture("exam_ddc_in.ini"));
    SetFixtureSettings(Settings);
    ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), Fixture("exam_ddc_expected.ini"));
    ASSERT_TRUE(ReadIni("exam_ddc.ini", Settings));
    EXPECT_EQ(Settings.InternalClockValue, 100000000.0);
}

TEST_F(IniFile, HostileFilesAreWrittenWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 100000; ++i)
        garbage += static_cast<char>((i * 37 + i / 13) % 256);
    for (const std::string& text :
         {garbage, "[Option]"s, "[Option]\r\nSamplesPerChannel" + std::string(100000, '='),
          "\r\r\r[device0_tessaro0]\r\r"s, std::string(50000, '\n'), "\0\0\0[Option]\0"s}) {
        WriteBytes("exam_ddc.ini", text);
        ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
        const std::string once = ReadBytes("exam_ddc.ini");
        ASSERT_TRUE(WriteIni("exam_ddc.ini", Settings));
        EXPECT_EQ(ReadBytes("exam_ddc.ini"), once);
        EXPECT_TRUE(ReadIni("exam_ddc.ini", Settings));
    }
}

}  // namespace
