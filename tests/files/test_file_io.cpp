#include "files/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "file_test_support.h"

namespace fs = std::filesystem;
using file_tests::FileTest;
using file_tests::ReadBytes;
using file_tests::RunningAsRoot;
using file_tests::WriteBytes;
using files::WriteFault;

namespace {

const std::string kOriginal = "[S]\r\nold=1\r\n";
const std::string kNew = "[S]\r\nnew=2\r\n" + std::string(5000, 'x') + "\r\n";

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

using AtomicWrite = FileTest;

TEST_F(AtomicWrite, CreatesAFileWithThePermissionsOfAPlainCreate) {
    const mode_t mask = ::umask(022);
    std::string error;
    ASSERT_TRUE(files::WriteFileAtomically("new.cfg", kNew, &error)) << error;
    ::umask(mask);
    EXPECT_EQ(ReadBytes("new.cfg"), kNew);
    EXPECT_EQ(ModeOf("new.cfg"), 0644u);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"new.cfg"});
}

TEST_F(AtomicWrite, ReplacesAFileAndKeepsItsPermissions) {
    WriteBytes("a.cfg", kOriginal);
    ASSERT_EQ(::chmod("a.cfg", 0640), 0);
    std::string error;
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, &error)) << error;
    EXPECT_EQ(ReadBytes("a.cfg"), kNew);
    EXPECT_EQ(ModeOf("a.cfg"), 0640u);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
}

TEST_F(AtomicWrite, WritesAnEmptyFile) {
    WriteBytes("a.cfg", kOriginal);
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", "", nullptr));
    EXPECT_EQ(ReadBytes("a.cfg"), "");
}

TEST_F(AtomicWrite, FollowsSymbolicLinksToTheirTarget) {
    fs::create_directories("real/deeper");
    WriteBytes("real/deeper/target.cfg", kOriginal);
    fs::create_symlink("deeper/target.cfg", "real/relative.cfg");  // relative to its folder
    fs::create_symlink(fs::absolute("real/relative.cfg"), "chain.cfg");
    std::string error;
    ASSERT_TRUE(files::WriteFileAtomically("chain.cfg", kNew, &error)) << error;
    EXPECT_TRUE(fs::is_symlink("chain.cfg"));
    EXPECT_TRUE(fs::is_symlink("real/relative.cfg"));
    EXPECT_EQ(ReadBytes("real/deeper/target.cfg"), kNew);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"chain.cfg", "real"}));
}

TEST_F(AtomicWrite, ADanglingLinkCreatesItsTarget) {
    fs::create_symlink("made.cfg", "link.cfg");
    ASSERT_TRUE(files::WriteFileAtomically("link.cfg", kNew, nullptr));
    EXPECT_TRUE(fs::is_symlink("link.cfg"));
    EXPECT_EQ(ReadBytes("made.cfg"), kNew);
}

TEST_F(AtomicWrite, ALinkLoopFails) {
    fs::create_symlink("b.cfg", "a.cfg");
    fs::create_symlink("a.cfg", "b.cfg");
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"a.cfg\": Too many levels of symbolic links");
}

TEST_F(AtomicWrite, AFolderInPlaceOfTheFileFailsAndStays) {
    fs::create_directory("a.cfg");
    WriteBytes("a.cfg/inside", "x");
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"a.cfg\": Is a directory");
    EXPECT_EQ(ReadBytes("a.cfg/inside"), "x");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
}

TEST_F(AtomicWrite, AMissingFolderFails) {
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("no/such/folder/a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"no/such/folder/a.cfg\": No such file or directory");
}

TEST_F(AtomicWrite, AFileInPlaceOfTheFolderFails) {
    WriteBytes("plain", "x");
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("plain/a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"plain/a.cfg\": Not a directory");
}

TEST_F(AtomicWrite, OverlongNamesFailWithoutHarm) {
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically(std::string(300, 'n'), kNew, &error));
    EXPECT_TRUE(error.ends_with("\": File name too long")) << error;
    std::string deep;
    for (int i = 0; i < 600; ++i)
        deep += "dir/";
    EXPECT_FALSE(files::WriteFileAtomically(deep + "a.cfg", kNew, &error));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{});
}

TEST_F(AtomicWrite, ANameOfTheFullLengthStillHasRoomForItsTemporaryFile) {
    const std::string name(255, 'n');
    std::string error;
    ASSERT_TRUE(files::WriteFileAtomically(name, kNew, &error)) << error;
    EXPECT_EQ(ReadBytes(name), kNew);
}

TEST_F(AtomicWrite, AReadOnlyFolderFails) {
    if (RunningAsRoot())
        GTEST_SKIP() << "root may write into a read-only folder";
    fs::create_directory("locked");
    WriteBytes("locked/a.cfg", kOriginal);
    fs::permissions("locked", fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("locked/a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"locked/a.cfg\": Permission denied");
    EXPECT_EQ(ReadBytes("locked/a.cfg"), kOriginal);
}

TEST_F(AtomicWrite, AReadOnlyFileFails) {
    if (RunningAsRoot())
        GTEST_SKIP() << "root may write a read-only file";
    WriteBytes("a.cfg", kOriginal);
    ASSERT_EQ(::chmod("a.cfg", 0444), 0);
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"a.cfg\": Permission denied");
    EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
}

class AtomicWriteDiskFull : public FileTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(AtomicWriteDiskFull, LeavesTheOriginalWholeAndNoTemporaryFile) {
    WriteBytes("a.cfg", kOriginal);
    files::SetWriteFaultForTesting(WriteFault{GetParam()});
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"a.cfg\": No space left on device");
    EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
    EXPECT_EQ(files::FileOperationCountsForTesting().writes, 0);
}

INSTANTIATE_TEST_SUITE_P(AfterBytes, AtomicWriteDiskFull,
                         ::testing::Values(0, 1, 12, kNew.size() / 2, kNew.size() - 1));

TEST_F(AtomicWrite, ADiskFullOnANewFileLeavesNothing) {
    files::SetWriteFaultForTesting(WriteFault{10});
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{});
}

TEST_F(AtomicWrite, ASaveInterruptedBeforeTheRenameLeavesTheOriginalWhole) {
    WriteBytes("a.cfg", kOriginal);
    files::SetWriteFaultForTesting(WriteFault{{}, WriteFault::BeforeRename::Stop});
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, &error));
    EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
    // The temporary file stays behind, as after a crash, holding the complete new text.
    const auto entries = FolderEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].rfind(".a.cfg.tmp", 0), 0u) << entries[0];
    EXPECT_EQ(ReadBytes(entries[0]), kNew);

    // The next save is not disturbed by the leftover.
    files::SetWriteFaultForTesting({});
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew + "more", &error)) << error;
    EXPECT_EQ(ReadBytes("a.cfg"), kNew + "more");
}

TEST_F(AtomicWrite, AProcessKilledBeforeTheRenameLeavesTheOriginalWhole) {
    // "fast": the child is a fork of this process, so it saves into this test's folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    WriteBytes("a.cfg", kOriginal);
    EXPECT_DEATH(
        {
            files::SetWriteFaultForTesting(WriteFault{{}, WriteFault::BeforeRename::Abort});
            files::WriteFileAtomically("a.cfg", kNew, nullptr);
        },
        "");
    EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
    EXPECT_EQ(FolderEntries().size(), 2u);  // the original and the dead process's temporary file
}

TEST_F(AtomicWrite, CountsRenamedFiles) {
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    EXPECT_EQ(files::FileOperationCountsForTesting().writes, 2);
}

using WholeFileRead = FileTest;

TEST_F(WholeFileRead, ReadsEveryByte) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += static_cast<char>(i * 7);
    WriteBytes("a.bin", bytes);
    std::string read;
    EXPECT_EQ(files::ReadWholeFile("a.bin", read, nullptr), files::ReadStatus::Ok);
    EXPECT_EQ(read, bytes);
}

TEST_F(WholeFileRead, TellsMissingFromFailed) {
    std::string read = "stale";
    std::string error;
    EXPECT_EQ(files::ReadWholeFile("none", read, &error), files::ReadStatus::Missing);
    EXPECT_EQ(read, "");
    EXPECT_EQ(error, "cannot read \"none\": No such file or directory");
    fs::create_directory("folder");
    EXPECT_EQ(files::ReadWholeFile("folder", read, &error), files::ReadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"folder\": Is a directory");
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    EXPECT_EQ(files::ReadWholeFile("fifo", read, &error), files::ReadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"fifo\": not a regular file");
}

TEST_F(WholeFileRead, AnUnreadableFileFails) {
    if (RunningAsRoot())
        GTEST_SKIP() << "root may read any file";
    WriteBytes("a.cfg", kOriginal);
    ASSERT_EQ(::chmod("a.cfg", 0), 0);
    std::string read, error;
    EXPECT_EQ(files::ReadWholeFile("a.cfg", read, &error), files::ReadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"a.cfg\": Permission denied");
}

TEST_F(WholeFileRead, RefusesAHugeFile) {
    {
        const int fd = ::open("huge.ini", O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(files::kMaxFileBytes) + 1), 0);  // sparse
        ::close(fd);
    }
    std::string read, error;
    EXPECT_EQ(files::ReadWholeFile("huge.ini", read, &error), files::ReadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"huge.ini\": file too large");
}

}  // namespace
