#include "files/session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "file_test_support.h"
#include "files/profile_store.h"
#include "files/text_diff.h"

namespace fs = std::filesystem;
using file_tests::FileTest;
using file_tests::ReadBytes;
using file_tests::WriteBytes;

namespace {

using Session = FileTest;

std::string IniValue(const std::string& key) {
    return ProfileStore(ReadBytes("exam_ddc.ini")).Read("Option", key, "missing");
}

// clang-format off
struct RestartCase {
    const char* name;
    const char* config;   // std.cfg, or none when null
    const char* bufSize;  // DirFileBufSize text, or no key when null
    const char* buffers;  // DirNumBufWrite text, or no key when null
    int32_t requested;    // DirSamplesPerChannel after the load
    const char* written;  // DirNumBufWrite when the file is written again
};
const char* const kAdcTwoChannels =
    "[Option]\r\nEnableDDC= 0\r\n[device0_tessaro0]\r\nChannelMask= 0x3\r\n";
const char* const kThreeDdc24 =
    "[Option]\r\nEnableDDC= 1\r\n[device0_tessaro0]\r\nDDCChannelMask= 0x7\r\nDataFormat= 4\r\n";
const char* const kNoChannel = "[device0_tessaro0]\r\nDDCChannelMask= 0x0\r\n";
const RestartCase kRestartCases[] = {
    // 16 channels of 8 bytes: 8 buffers of 4 MB hold 262144 samples per channel.
    {"EightBuffers",      nullptr,         "4096", "8",         262144, "8"},
    {"OneBuffer",         nullptr,         "4096", "1",          32768, "1"},
    // The configuration is read first: 2 ADC channels of 2 bytes.
    {"ConfigReadFirst",   kAdcTwoChannels, "4096", "1",        1048576, "1"},
    // 3 x 8 bytes do not divide 5 buffers of 1000 KB: rounded down, still 5 buffers.
    {"RoundedDown",       kThreeDdc24,     "1000", "5",         213333, "5"},
    {"LeadingNumber",     nullptr,         "4096", " 12 bufs",  393216, "12"},
    {"ZeroBuffers",       nullptr,         "4096", "0",          65536, "2"},
    {"NegativeBuffers",   nullptr,         "4096", "-3",         65536, "2"},
    {"HexIsNotDecimal",   nullptr,         "4096", "0x10",       65536, "2"},
    {"NoKey",             nullptr,         "4096", nullptr,      65536, "2"},
    {"NoBufferSize",      nullptr,         nullptr, "8",         65536, "0"},
    {"NoChannel",         kNoChannel,      "4096", "8",          65536, "0"},
    {"TooManyForInt32",   nullptr,         "4096", "2147483647", 65536, "2"},
};
// clang-format on

class RecordingLength : public Session, public ::testing::WithParamInterface<RestartCase> {};

// The requested length has no key: after a restart it is taken back from the buffers the file
// records, so writing the file again unchanged keeps the recording as long as it was.
TEST_P(RecordingLength, SurvivesARestart) {
    const RestartCase& c = GetParam();
    if (c.config)
        WriteBytes("std.cfg", c.config);
    std::string ini = "[Option]\r\n";
    if (c.bufSize)
        ini += std::string("DirFileBufSize= ") + c.bufSize + "\t\t;KB\r\n";
    if (c.buffers)
        ini += std::string("DirNumBufWrite= ") + c.buffers + "\t\t;buffers\r\n";
    WriteBytes("exam_ddc.ini", ini);

    const StartupFiles files = LoadStartupFiles(Settings);
    EXPECT_EQ(files.ini, files::LoadStatus::Loaded);
    EXPECT_EQ(Settings.DirSamplesPerChannel, c.requested);

    ASSERT_TRUE(WriteInitializationFile(Settings));
    EXPECT_EQ(IniValue("DirNumBufWrite"),
              std::string(c.written) + "\t\t;" + (c.buffers ? "buffers" : ""));
    EXPECT_FALSE(ReadBytes("exam_ddc.ini").find("DirSamplesPerChannel") != std::string::npos);
    EXPECT_FALSE(fs::exists("std.cfg") && !c.config);
}

INSTANTIATE_TEST_SUITE_P(Start, RecordingLength, ::testing::ValuesIn(kRestartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Session, WithoutTheFilesTheSettingsStayAndTheSizeIsComputed) {
    Settings.DirSamplesPerChannel = 1000;
    Settings.DataFormat = 0;
    const StartupFiles files = LoadStartupFiles(Settings);
    EXPECT_EQ(files.config, files::LoadStatus::Missing);
    EXPECT_EQ(files.ini, files::LoadStatus::Missing);
    EXPECT_EQ(Settings.DirSamplesPerChannel, 1000);
    EXPECT_EQ(Settings.EnabledDdcCount, 16);
    EXPECT_EQ(Settings.DirNumBufWrite, 1);
    EXPECT_EQ(Settings.DirRealSamplesPerChannel, 65536);
}

TEST_F(Session, UnreadableFilesAreToldApartFromMissingOnes) {
    fs::create_directory("std.cfg");
    fs::create_directory("exam_ddc.ini");
    const StartupFiles files = LoadStartupFiles(Settings);
    EXPECT_EQ(files.config, files::LoadStatus::Failed);
    EXPECT_NE(files.configError.find("std.cfg"), std::string::npos);
    EXPECT_EQ(files.ini, files::LoadStatus::Failed);
    EXPECT_NE(files.iniError.find("exam_ddc.ini"), std::string::npos);
    EXPECT_EQ(Settings.DirFileBufSize, 4096);
}

// The button writes the size of the present settings, even when nothing refreshed since they
// changed.
TEST_F(Session, WritingRecomputesTheRecordingSizeFirst) {
    LoadStartupFiles(Settings);
    EXPECT_EQ(Settings.DirNumBufWrite, 2);
    Settings.DDCChannelMask = 0xFF;
    Settings.DirSamplesPerChannel = 65537;
    ASSERT_TRUE(WriteInitializationFile(Settings));
    EXPECT_EQ(IniValue("DirNumBufWrite"), "2\t\t;");
    EXPECT_EQ(Settings.DirRealSamplesPerChannel, 131072);
    Settings.DDCChannelMask = 0x1;
    ASSERT_TRUE(WriteInitializationFile(Settings));
    EXPECT_EQ(IniValue("DirNumBufWrite"), "1\t\t;");
}

TEST_F(Session, PreviewWritesNothing) {
    InitializationFilePreview missing;
    ASSERT_TRUE(PreviewInitializationFile(Settings, missing));
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing.before, "");
    EXPECT_NE(missing.after.find("DirNumBufWrite= 2\t\t;\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists("exam_ddc.ini"));

    const std::string before = "[Option]\r\nDirNumBufWrite= 7\t\t;old\r\n";
    WriteBytes("exam_ddc.ini", before);
    InitializationFilePreview present;
    ASSERT_TRUE(PreviewInitializationFile(Settings, present));
    EXPECT_TRUE(present.exists);
    EXPECT_EQ(present.before, before);
    ASSERT_TRUE(WriteInitializationFile(Settings));
    EXPECT_EQ(present.after, ReadBytes("exam_ddc.ini"));
}

// The window's mark beside the button: whether a write would change the file on disk, read again
// whenever its size or time changes.
TEST_F(Session, TheWatchFollowsTheFileOnDisk) {
    InitializationFileWatch watch;
    EXPECT_TRUE(watch.Pending(Settings));  // no file yet
    ASSERT_TRUE(WriteInitializationFile(Settings));
    EXPECT_FALSE(watch.Pending(Settings));
    // Another program changes one digit: the same size, a later time.
    std::string bytes = ReadBytes("exam_ddc.ini");
    const std::size_t at = bytes.find("DirNumBufWrite= 2");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 16] = '3';
    const auto written = fs::last_write_time("exam_ddc.ini");
    WriteBytes("exam_ddc.ini", bytes);
    fs::last_write_time("exam_ddc.ini", written + std::chrono::seconds(2));
    EXPECT_TRUE(watch.Pending(Settings));
    fs::remove("exam_ddc.ini");
    EXPECT_TRUE(watch.Pending(Settings));
}

// clang-format off
struct DiffCase {
    const char* name;
    const char* before;
    const char* after;
    const char* diff;  // after the two header lines; "" for no difference at all
};
const DiffCase kDiffCases[] = {
    {"Same",         "a\r\nb\r\n", "a\r\nb\r\n", ""},
    {"OneLine",      "1\n2\n3\n4\n5\n6\n7\n8\n", "1\n2\n3\n4\nV\n6\n7\n8\n",
                     "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+V\n 6\n 7\n 8\n"},
    {"TwoHunks",     "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "X\n2\n3\n4\n5\n6\n7\n8\n9\nY\n",
                     "@@ -1,4 +1,4 @@\n-1\n+X\n 2\n 3\n 4\n@@ -7,4 +7,4 @@\n 7\n 8\n 9\n-10\n+Y\n"},
    {"CloseJoin",    "1\n2\n3\n4\n5\n6\n7\n8\n", "X\n2\n3\n4\n5\n6\n7\nY\n",
                     "@@ -1,8 +1,8 @@\n-1\n+X\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+Y\n"},
    {"AddedAtEnd",   "a\nb", "a\nb\r\nc\r\n",
                     "@@ -1,2 +1,3 @@\n a\n-b\n\\ No newline at end of file\n+b\r\n+c\r\n"},
    {"FromNothing",  "", "k= 1\r\n", "@@ -0,0 +1,1 @@\n+k= 1\r\n"},
    {"EightBitKept", "x= 1\t;\xEA\xEE\xEC\r\n", "x= 2\t;\xEA\xEE\xEC\r\n",
                     "@@ -1,1 +1,1 @@\n-x= 1\t;\xEA\xEE\xEC\r\n+x= 2\t;\xEA\xEE\xEC\r\n"},
};
// clang-format on

TEST(TextDiff, UnifiedDiffs) {
    for (const DiffCase& c : kDiffCases) {
        SCOPED_TRACE(c.name);
        const std::string diff = UnifiedDiff(c.before, c.after, "old", "new");
        EXPECT_EQ(diff, *c.diff ? std::string("--- old\n+++ new\n") + c.diff : std::string());
    }
}

}  // namespace
