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

// Root may give a file away: the saved file keeps its owner and group. Others own what they save.
TEST_F(AtomicWrite, KeepsTheOwnerOfAFileRootSaves) {
    WriteBytes("a.cfg", kOriginal);
    file_tests::GiveToOrdinaryUser("a.cfg");
    struct stat before {
    }, after{};
    ASSERT_EQ(::stat("a.cfg", &before), 0);
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    ASSERT_EQ(::stat("a.cfg", &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_NE(after.st_ino, before.st_ino);  // replaced, not written in place
}

// A read-only file in a folder its user may write: the rename could replace it, and must not.
TEST_F(AtomicWrite, AReadOnlyFileInAWritableFolderIsRefused) {
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::others_exec);
    fs::create_directory("mine");
    WriteBytes("mine/a.cfg", kOriginal);
    file_tests::GiveToOrdinaryUser("mine");
    file_tests::GiveToOrdinaryUser("mine/a.cfg");
    ASSERT_EQ(::chmod("mine/a.cfg", 0444), 0);
    const std::string outcome = file_tests::AsOrdinaryUser([] {
        std::string error;
        return files::WriteFileAtomically("mine/a.cfg", kNew, &error) ? "written" : error;
    });
    EXPECT_EQ(outcome, "cannot write \"mine/a.cfg\": Permission denied");
    EXPECT_EQ(ReadBytes("mine/a.cfg"), kOriginal);
    EXPECT_EQ(ModeOf("mine/a.cfg"), 0444u);
}

// What no read would take back is not written, atomically or in place.
TEST_F(AtomicWrite, RefusesMoreThanAReadTakesBack) {
    WriteBytes("a.cfg", kOriginal);
    const std::string tooLarge(files::kMaxFileBytes + 1, 'x');
    for (const bool inPlace : {false, true}) {
        files::SetWriteFaultForTesting({.writeInPlace = inPlace});
        std::string error;
        EXPECT_FALSE(files::WriteFileAtomically("a.cfg", tooLarge, &error));
        EXPECT_EQ(error,
                  "cannot write \"a.cfg\": file too large (16777217 bytes; a settings file is "
                  "read back only up to 16 MiB)");
        EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
    }
    files::SetWriteFaultForTesting({});
    const std::string atTheLimit(files::kMaxFileBytes, 'y');
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", atTheLimit, nullptr));
    std::string read;
    EXPECT_EQ(files::ReadWholeFile("a.cfg", read, nullptr), files::LoadStatus::Loaded);
    EXPECT_EQ(read.size(), files::kMaxFileBytes);
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

// A link to a missing file may point into a share that is not mounted now: nothing is created.
TEST_F(AtomicWrite, ADanglingLinkIsRefused) {
    fs::create_symlink("made.cfg", "link.cfg");
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("link.cfg", kNew, &error));
    EXPECT_EQ(error,
              "cannot write \"link.cfg\": it is a symbolic link to \"made.cfg\", which does not "
              "exist");
    EXPECT_TRUE(fs::is_symlink("link.cfg"));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"link.cfg"});
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
    EXPECT_EQ(files::FileOperationCountsForTesting().inPlace, 0);
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

// Every flush a save relies on is done, and a failing one is told: before the rename (or while
// the file is written in place) as a failure with the file as it was, after it as a warning.
struct FlushCase {
    const char* what;
    WriteFault fault;
    bool saved;
    std::string error;  // the rollback folder (and a copy's name in it) as "<copy>"
    std::string bytes;  // the file afterwards
    int fileFlushes, folderFlushes, rollbackFlushes;
    std::size_t copiesLeft = 0;  // rollback copies kept for the next start
};

class SaveFlushes : public FileTest, public ::testing::WithParamInterface<FlushCase> {};

WriteFault InPlace(WriteFault fault) {
    fault.writeInPlace = true;
    return fault;
}

TEST_P(SaveFlushes, AreDoneAndTheirFailuresTold) {
    const FlushCase& c = GetParam();
    WriteBytes("a.cfg", kOriginal);
    files::SetWriteFaultForTesting(c.fault);
    std::string error;
    EXPECT_EQ(files::WriteFileAtomically("a.cfg", kNew, &error), c.saved);
    const std::string state = files::RollbackFolder();
    if (const std::size_t at = error.find(state); at != std::string::npos)
        error.replace(at, error.find('"', at) - at, "<copy>");
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(ReadBytes("a.cfg"), c.bytes);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
    const files::FileOperationCounts counts = files::FileOperationCountsForTesting();
    EXPECT_EQ(counts.fileFlushes, c.fileFlushes);
    EXPECT_EQ(counts.folderSyncs, c.folderFlushes);
    EXPECT_EQ(counts.rollbackFlushes, c.rollbackFlushes);
    EXPECT_EQ(RollbackCopies().size(), c.copiesLeft);
    // A failed flush of the file put back in place leaves the copy; the next start finds the old
    // bytes there and drops it without a word.
    files::SetWriteFaultForTesting({});
    EXPECT_EQ(files::RecoverInterruptedSaves(), std::vector<std::string>{});
    EXPECT_EQ(RollbackCopies(), std::vector<std::string>{});
    EXPECT_EQ(ReadBytes("a.cfg"), c.bytes);
}

const std::string kIoError = "cannot write \"a.cfg\": Input/output error";

INSTANTIATE_TEST_SUITE_P(
    Flushes, SaveFlushes,
    ::testing::Values(
        FlushCase{"atomic", {}, true, "", kNew, 1, 1, 0},
        FlushCase{"atomic_file", WriteFault{.failFlush = files::Flush::File}, false, kIoError,
                  kOriginal, 0, 0, 0},
        FlushCase{"atomic_folder", WriteFault{.failFlush = files::Flush::Folder}, true,
                  "\"a.cfg\" was written, but its folder could not be flushed to disk "
                  "(Input/output error): a power cut now may bring the old file back",
                  kNew, 1, 0, 0},
        FlushCase{"in_place", InPlace({}), true, "", kNew, 1, 0, 2},
        FlushCase{"in_place_file", InPlace({.failFlush = files::Flush::File}), false,
                  kIoError +
                      "; the bytes it held before could not all be put back, and are put back from "
                      "\"<copy>\" at the next start",
                  kOriginal, 0, 0, 2, 1},
        FlushCase{"in_place_rollback", InPlace({.failFlush = files::Flush::Rollback}), false,
                  "cannot write \"a.cfg\": its old bytes cannot be kept in \"<copy>\" while it "
                  "is written in place (Input/output error)",
                  kOriginal, 0, 0, 0},
        FlushCase{"in_place_close", InPlace({.failFinalClose = true}), true,
                  "\"a.cfg\" was written, but closing it failed (Input/output error): check that "
                  "it holds what was saved",
                  kNew, 1, 0, 2}),
    [](const auto& info) { return std::string(info.param.what); });

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

// Failures that are not a missing file: one "nobody" may not read (root reads anything, so the
// read runs as "nobody"), and a path through a plain file, which stops root too.
TEST_F(WholeFileRead, AnUnreadableFileFails) {
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::others_exec);
    WriteBytes("a.cfg", kOriginal);
    file_tests::GiveToOrdinaryUser("a.cfg");
    ASSERT_EQ(::chmod("a.cfg", 0), 0);
    const std::string outcome = file_tests::AsOrdinaryUser([] {
        std::string read, error;
        std::string outcome;
        for (const char* path : {"a.cfg", "a.cfg/b.cfg"}) {
            const files::LoadStatus status = files::ReadWholeFile(path, read, &error);
            outcome +=
                (status == files::LoadStatus::Failed ? "failed: " : "not failed: ") + error + "\n";
        }
        return outcome;
    });
    EXPECT_EQ(outcome,
              "failed: cannot read \"a.cfg\": Permission denied\n"
              "failed: cannot read \"a.cfg/b.cfg\": Not a directory\n");
    std::string read, error;
    EXPECT_EQ(files::ReadWholeFile("a.cfg/b.cfg", read, &error), files::LoadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"a.cfg/b.cfg\": Not a directory");
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
