#include "files/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// A shared folder that its users may not change but whose files they may write. As root the
// test runs the saves as "nobody", for whom the folder and the file are made.
class ReadOnlyFolder : public FileTest {
  protected:
    void SetUp() override {
        FileTest::SetUp();
        fs::permissions(folder_,
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::create_directory("shared");
        WriteBytes("shared/a.cfg", kOriginal);
        ASSERT_EQ(::chmod("shared/a.cfg", 0664), 0);
        file_tests::GiveToOrdinaryUser("shared/a.cfg");
        ASSERT_EQ(::chmod("shared", 0555), 0);
    }
};

TEST_F(ReadOnlyFolder, AWritableFileIsWrittenInPlace) {
    const std::string outcome = file_tests::AsOrdinaryUser([] {
        std::string error;
        if (!files::WriteFileAtomically("shared/a.cfg", kNew, &error))
            return error;
        if (files::FileOperationCountsForTesting().inPlace != 1)
            return std::string("not written in place");
        // Shorter again: the rest of the longer text is cut off.
        return files::WriteFileAtomically("shared/a.cfg", kOriginal, &error) ? std::string("ok")
                                                                             : error;
    });
    EXPECT_EQ(outcome, "ok");
    EXPECT_EQ(ReadBytes("shared/a.cfg"), kOriginal);
    EXPECT_EQ(ModeOf("shared/a.cfg"), 0664u);
    EXPECT_EQ(fs::directory_iterator("shared")->path().filename(), "a.cfg");
}

TEST_F(ReadOnlyFolder, AFailedWriteInPlaceIsReportedAndPutsTheOldBytesBack) {
    for (std::size_t after : {std::size_t{0}, std::size_t{7}, kNew.size() - 1}) {
        const std::string outcome = file_tests::AsOrdinaryUser([after] {
            files::SetWriteFaultForTesting(WriteFault{after});
            std::string error;
            return files::WriteFileAtomically("shared/a.cfg", kNew, &error) ? "written" : error;
        });
        EXPECT_EQ(outcome, "cannot write \"shared/a.cfg\": No space left on device");
        EXPECT_EQ(ReadBytes("shared/a.cfg"), kOriginal) << after;
    }
}

TEST_F(ReadOnlyFolder, ANewFileAndAReadOnlyFileAreRefused) {
    ASSERT_EQ(::chmod("shared", 0755), 0);
    WriteBytes("shared/locked.cfg", kOriginal);
    ASSERT_EQ(::chmod("shared/locked.cfg", 0444), 0);
    ASSERT_EQ(::chmod("shared", 0555), 0);
    const std::string outcome = file_tests::AsOrdinaryUser([] {
        std::string newFile, lockedFile;
        files::WriteFileAtomically("shared/new.cfg", kNew, &newFile);
        files::WriteFileAtomically("shared/locked.cfg", kNew, &lockedFile);
        return newFile + "\n" + lockedFile;
    });
    EXPECT_EQ(outcome,
              "cannot write \"shared/new.cfg\": Permission denied\n"
              "cannot write \"shared/locked.cfg\": Permission denied");
    EXPECT_EQ(ReadBytes("shared/locked.cfg"), kOriginal);
    EXPECT_FALSE(fs::exists("shared/new.cfg"));
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

    // The next save of the file removes the leftover.
    files::SetWriteFaultForTesting({});
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew + "more", &error)) << error;
    EXPECT_EQ(ReadBytes("a.cfg"), kNew + "more");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
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
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
}

// Only a save's own leftovers go, and none that a running save still holds.
TEST_F(AtomicWrite, RemovesOnlyItsOwnUnlockedLeftovers) {
    const std::vector<std::string> removed = {".a.cfg.tmpabcd1234", ".a.cfg.tmp00000000"};
    const std::vector<std::string> kept = {".a.cfg.tmpabc",       // too short
                                           ".a.cfg.tmpABCD1234",  // not a letter or digit we make
                                           ".a.cfg.tmpabcd12345", ".b.cfg.tmpabcd1234",
                                           "a.cfg.tmpabcd1234",   ".a.cfg.tmpheld0000",
                                           ".a.cfg.tmpfolder00",  ".a.cfg.tmplink0000"};
    for (const std::string& name : removed)
        WriteBytes(name, "left");
    for (const std::string& name : kept)
        WriteBytes(name, "kept");
    fs::remove(".a.cfg.tmpfolder00");
    fs::create_directory(".a.cfg.tmpfolder00");
    fs::remove(".a.cfg.tmplink0000");
    fs::create_symlink(".a.cfg.tmpabc", ".a.cfg.tmplink0000");
    const int held = ::open(".a.cfg.tmpheld0000", O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    ::close(held);
    std::vector<std::string> expected = kept;
    expected.push_back("a.cfg");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(), expected);
}

TEST_F(AtomicWrite, FlushesTheFolderAfterTheRename) {
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kOriginal, nullptr));
    EXPECT_EQ(files::FileOperationCountsForTesting().folderSyncs, 2);
    EXPECT_EQ(files::FileOperationCountsForTesting().inPlace, 0);
}

// A path just short of the system's 4096-byte limit leaves no room for a temporary name 13 bytes
// longer; the save names its temporary file relative to the folder and stays atomic.
TEST_F(AtomicWrite, APathNearTheLengthLimitIsSaved) {
    std::string folder;
    while (folder.size() < 3900) {
        folder += std::string(200, 'd') + "/";
        fs::create_directory(folder);
    }
    for (const std::size_t length : {4083, 4090, 4095}) {
        const std::string path = folder + std::string(length - folder.size(), 'f');
        std::string error;
        ASSERT_TRUE(files::WriteFileAtomically(path, kNew, &error)) << length << ": " << error;
        EXPECT_EQ(ReadBytes(path), kNew);
    }
    EXPECT_EQ(files::FileOperationCountsForTesting().inPlace, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
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
    EXPECT_EQ(files::ReadWholeFile("a.bin", read, nullptr), files::LoadStatus::Loaded);
    EXPECT_EQ(read, bytes);
}

TEST_F(WholeFileRead, TellsMissingFromFailed) {
    std::string read = "stale";
    std::string error;
    EXPECT_EQ(files::ReadWholeFile("none", read, &error), files::LoadStatus::Missing);
    EXPECT_EQ(read, "");
    EXPECT_EQ(error, "cannot read \"none\": No such file or directory");
    fs::create_directory("folder");
    EXPECT_EQ(files::ReadWholeFile("folder", read, &error), files::LoadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"folder\": Is a directory");
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    EXPECT_EQ(files::ReadWholeFile("fifo", read, &error), files::LoadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"fifo\": not a regular file");
}

TEST_F(WholeFileRead, AnUnreadableFileFails) {
    if (RunningAsRoot())
        GTEST_SKIP() << "root may read any file";
    WriteBytes("a.cfg", kOriginal);
    ASSERT_EQ(::chmod("a.cfg", 0), 0);
    std::string read, error;
    EXPECT_EQ(files::ReadWholeFile("a.cfg", read, &error), files::LoadStatus::Failed);
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
    EXPECT_EQ(files::ReadWholeFile("huge.ini", read, &error), files::LoadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"huge.ini\": file too large");
}

}  // namespace
