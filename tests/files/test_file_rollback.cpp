// Writes in place that are cut off (a kill, a disk that keeps failing) and their settling from
// the rollback copy: at the next start, read or save the file holds its old or its new bytes,
// never padding and never a mixture of the two.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "file_test_support.h"
#include "files/file_io.h"

namespace fs = std::filesystem;
using file_tests::FileTest;
using file_tests::ReadBytes;
using file_tests::WriteBytes;
using files::WriteFault;

namespace {

// 57 bytes and 1238: the sizes a probe found padded.
const std::string kShort = "[Option]\r\nDither= 0\r\nDirFileName= exam.bin ; the data\r\n\r\n";
const std::string kLong = [] {
    std::string text = "[Option]\r\nDither= 1\r\n";
    for (int i = 0; text.size() < 1200; ++i)
        text += "; comment line " + std::to_string(i) + " kept byte for byte\r\n";
    return text + "DirFileName= longer.bin\r\n";
}();
const std::string kSameLength = [] {
    std::string text = kShort;
    text[18] = '7';
    return text;
}();

// Whether `now` holds anything but the old or the new byte at each place (NUL padding included).
bool IsOldOrNew(const std::string& now, const std::string& old, const std::string& next) {
    return now == old || now == next;
}

const fs::file_time_type kLongAgo = fs::file_time_type::clock::now() - std::chrono::hours(1000);

struct Cut {
    const char* what;
    const std::string* old;
    const std::string* next;
    std::size_t
        afterBytes;      // 0: right after the copy; the new size: before the cut; one more: after
    bool newAfterwards;  // the file holds the new bytes whole, and keeps them
};

// How the next run meets the file: at its start, by reading it, or by saving it (a save that
// fails at once, so that what the file holds is what the settling left).
enum class Next { Start, Read, Save };

class CutInPlace : public FileTest, public ::testing::WithParamInterface<Cut> {
  protected:
    // Saves `next` over `old` in place and stops after `afterBytes` as a killed process would.
    void Interrupt(const Cut& c) {
        WriteBytes("a.ini", *c.old);
        fs::last_write_time("a.ini", kLongAgo);
        files::SetWriteFaultForTesting(
            {.writeInPlace = true, .interruptInPlaceAfterBytes = c.afterBytes});
        std::string error;
        ASSERT_FALSE(files::WriteFileAtomically("a.ini", *c.next, &error));
        ASSERT_EQ(error, "cannot write \"a.ini\": Interrupted system call");
        files::SetWriteFaultForTesting({});
        ASSERT_EQ(RollbackCopies().size(), 1u);
    }
};

TEST_P(CutInPlace, LeavesTheOldOrTheNewBytesOnceSettled) {
    const Cut& c = GetParam();
    const std::string& expected = c.newAfterwards ? *c.next : *c.old;
    for (const Next next : {Next::Start, Next::Read, Next::Save}) {
        SCOPED_TRACE(static_cast<int>(next));
        Interrupt(c);
        const std::string left = ReadBytes("a.ini");
        EXPECT_LE(left.size(), std::max(c.old->size(), c.next->size()));  // no padding
        EXPECT_EQ(left.find('\0'), std::string::npos);
        std::vector<std::string> messages;
        std::string read, error;
        switch (next) {
            case Next::Start:
                messages = files::RecoverInterruptedSaves();
                break;
            case Next::Read:
                ASSERT_EQ(files::ReadWholeFile("a.ini", read, nullptr), files::LoadStatus::Loaded);
                EXPECT_EQ(read, expected);
                break;
            case Next::Save:
                files::SetWriteFaultForTesting({.failAfterBytes = 0});
                EXPECT_FALSE(files::WriteFileAtomically("a.ini", "third", &error));
                EXPECT_EQ(error, "cannot write \"a.ini\": No space left on device");
                files::SetWriteFaultForTesting({});
                break;
        }
        EXPECT_EQ(ReadBytes("a.ini"), expected);
        if (!c.newAfterwards) {
            EXPECT_EQ(fs::last_write_time("a.ini"), kLongAgo);  // as it was in every way
        }
        EXPECT_EQ(RollbackCopies(), std::vector<std::string>{});
        // Told only at a start, and only when bytes were put back; found and used once.
        if (next == Next::Start && left != expected) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].ends_with(
                "/a.ini\": a save of this file was interrupted; the bytes it held before were "
                "put back"))
                << messages[0];
        } else {
            EXPECT_EQ(messages, std::vector<std::string>{});
        }
        EXPECT_EQ(files::RecoverInterruptedSaves(), std::vector<std::string>{});
        EXPECT_EQ(ReadBytes("a.ini"), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    GrowingAndShrinking, CutInPlace,
    ::testing::Values(Cut{"growing_at_once", &kShort, &kLong, 0, false},
                      Cut{"growing_after_a_byte", &kShort, &kLong, 1, false},
                      Cut{"growing_within_the_old_size", &kShort, &kLong, 40, false},
                      Cut{"growing_past_the_old_size", &kShort, &kLong, 600, false},
                      Cut{"growing_all_written", &kShort, &kLong, kLong.size(), true},
                      Cut{"growing_before_the_flush", &kShort, &kLong, kLong.size() + 1, true},
                      Cut{"shrinking_at_once", &kLong, &kShort, 0, false},
                      Cut{"shrinking_midway", &kLong, &kShort, 30, false},
                      Cut{"shrinking_before_the_cut", &kLong, &kShort, kShort.size(), false},
                      Cut{"shrinking_after_the_cut", &kLong, &kShort, kShort.size() + 1, true},
                      Cut{"same_length_before_the_change", &kShort, &kSameLength, 18, false},
                      Cut{"same_length_all_written", &kShort, &kSameLength, kShort.size(), true}),
    [](const auto& info) { return std::string(info.param.what); });

// The same with a real death: the process aborts with the copy locked, and the lock goes with it.
TEST_F(FileTest, AWriteInPlaceKilledMidwayIsUndoneAtTheNextStart) {
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const auto& [old, next, after] : {std::tuple{&kShort, &kLong, std::size_t{600}},
                                           std::tuple{&kLong, &kShort, kShort.size()}}) {
        WriteBytes("a.ini", *old);
        EXPECT_DEATH(
            {
                files::SetWriteFaultForTesting(
                    {.writeInPlace = true,
                     .interruptInPlaceAfterBytes = after,
                     .inPlaceInterruption = WriteFault::Interruption::Abort});
                files::WriteFileAtomically("a.ini", *next, nullptr);
            },
            "");
        EXPECT_TRUE(!IsOldOrNew(ReadBytes("a.ini"), *old, *next));  // the mixture the kill left
        EXPECT_EQ(files::RecoverInterruptedSaves().size(), 1u);
        EXPECT_EQ(ReadBytes("a.ini"), *old);
    }
}

// A disk that keeps failing: the new bytes fail midway and putting the old ones back fails too.
// The file is cut back to its old size all the same, and the copy put back at the next start.
struct FailingDisk {
    const std::string* old;
    const std::string* next;
    std::size_t failAfter;
};

class DiskKeepsFailing : public FileTest, public ::testing::WithParamInterface<FailingDisk> {};

TEST_P(DiskKeepsFailing, CutsBackToTheOldSizeAndKeepsTheCopy) {
    const FailingDisk& d = GetParam();
    WriteBytes("a.ini", *d.old);
    files::SetWriteFaultForTesting(
        {.failAfterBytes = d.failAfter, .diskKeepsFailing = true, .writeInPlace = true});
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.ini", *d.next, &error));
    EXPECT_TRUE(error.starts_with(
        "cannot write \"a.ini\": No space left on device; the bytes it held before could not all "
        "be put back, and are put back from \""))
        << error;
    const std::string left = ReadBytes("a.ini");
    EXPECT_EQ(left.size(), d.old->size());
    EXPECT_EQ(RollbackCopies().size(), 1u);

    // Still failing at the next start: nothing is lost, the copy waits.
    std::vector<std::string> messages = files::RecoverInterruptedSaves();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("could not be put back (No space left on device); they are kept in"),
              std::string::npos)
        << messages[0];
    EXPECT_EQ(RollbackCopies().size(), 1u);

    files::SetWriteFaultForTesting({});
    messages = files::RecoverInterruptedSaves();
    EXPECT_EQ(messages.size(), left == *d.old ? 0u : 1u);
    EXPECT_EQ(ReadBytes("a.ini"), *d.old);
    EXPECT_EQ(RollbackCopies(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(GrowingAndShrinking, DiskKeepsFailing,
                         ::testing::Values(FailingDisk{&kShort, &kLong, 30},
                                           FailingDisk{&kShort, &kLong, 600},
                                           FailingDisk{&kLong, &kShort, 30}));

// A copy whose file has changed since the interrupted save is not applied, and goes; one whose
// file cannot be found now is kept for a later start; one cut short while it was written goes
// without a word. The file stays as the change left it.
struct Since {
    const char* what;
    void (*change)();
    const char* message;  // what the start says after the file's path, or "" for nothing
    std::size_t copiesLeft;
};

class StaleCopy : public FileTest, public ::testing::WithParamInterface<Since> {};

TEST_P(StaleCopy, IsNotApplied) {
    const Since& s = GetParam();
    WriteBytes("a.ini", kLong);
    files::SetWriteFaultForTesting({.writeInPlace = true, .interruptInPlaceAfterBytes = 30});
    ASSERT_FALSE(files::WriteFileAtomically("a.ini", kShort, nullptr));
    files::SetWriteFaultForTesting({});
    s.change();
    const bool exists = fs::exists("a.ini");
    const std::string changed = ReadBytes("a.ini");
    const std::vector<std::string> messages = files::RecoverInterruptedSaves();
    if (*s.message) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(std::string("/a.ini\": ") + s.message), std::string::npos)
            << messages[0];
    } else {
        EXPECT_EQ(messages, std::vector<std::string>{});
    }
    EXPECT_EQ(fs::exists("a.ini"), exists);
    EXPECT_EQ(ReadBytes("a.ini"), changed);
    EXPECT_EQ(RollbackCopies().size(), s.copiesLeft);
}

const char* const kChanged =
    "a save of this file was interrupted, and the file has changed since; it was left as it is";

INSTANTIATE_TEST_SUITE_P(
    Changes, StaleCopy,
    ::testing::Values(
        Since{"rewritten", [] { WriteBytes("a.ini", "other"); }, kChanged, 0},
        Since{"edited",
              [] {
                  std::string bytes = ReadBytes("a.ini");
                  bytes[10] = '#';
                  WriteBytes("a.ini", bytes);
              },
              kChanged, 0},
        Since{"cut_short", [] { fs::resize_file("a.ini", 10); }, kChanged, 0},
        Since{"grown", [] { WriteBytes("a.ini", ReadBytes("a.ini") + "x"); }, kChanged, 0},
        Since{"replaced",
              [] {
                  WriteBytes("b.ini", kShort);
                  fs::rename("b.ini", "a.ini");
              },
              kChanged, 0},
        Since{"removed", [] { fs::remove("a.ini"); },
              "a save of this file was interrupted, and the bytes it held before could not be put "
              "back (the file cannot be found); they are kept in",
              1},
        Since{"copy_torn",
              [] {
                  const fs::path copy = *fs::directory_iterator(files::RollbackFolder());
                  fs::resize_file(copy, fs::file_size(copy) - 20);
              },
              "", 0}),
    [](const auto& info) { return std::string(info.param.what); });

// A copy that a running save holds (locked) belongs to no killed save: the start leaves it, a
// save of its file is refused, a read takes the file as it is.
TEST_F(FileTest, ACopyARunningSaveHoldsIsLeftAlone) {
    WriteBytes("a.ini", kLong);
    files::SetWriteFaultForTesting({.writeInPlace = true, .interruptInPlaceAfterBytes = 30});
    ASSERT_FALSE(files::WriteFileAtomically("a.ini", kShort, nullptr));
    files::SetWriteFaultForTesting({});
    const std::string mixed = ReadBytes("a.ini");
    ASSERT_EQ(RollbackCopies().size(), 1u);
    const std::string copy = files::RollbackFolder() + "/" + RollbackCopies()[0];
    const int held = ::open(copy.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    EXPECT_EQ(files::RecoverInterruptedSaves(), std::vector<std::string>{});
    std::string error, read;
    EXPECT_FALSE(files::WriteFileAtomically("a.ini", kShort, &error));
    EXPECT_EQ(error, "cannot write \"a.ini\": another save of this file is under way");
    EXPECT_EQ(files::ReadWholeFile("a.ini", read, nullptr), files::LoadStatus::Loaded);
    EXPECT_EQ(read, mixed);

    ::close(held);
    EXPECT_EQ(files::RecoverInterruptedSaves().size(), 1u);
    EXPECT_EQ(ReadBytes("a.ini"), kLong);
}

// Without a folder for the copy nothing is written in place.
TEST_F(FileTest, NoWriteInPlaceWithoutARollbackCopy) {
    WriteBytes("a.ini", kShort);
    WriteBytes("plain", "");
    ::setenv("XDG_STATE_HOME", (folder_ / "plain").c_str(), 1);
    files::SetWriteFaultForTesting({.writeInPlace = true});
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.ini", kLong, &error));
    EXPECT_EQ(error, "cannot write \"a.ini\": its old bytes cannot be kept in \"" +
                         (folder_ / "plain").string() +
                         "/tessaro-master/rollback\" while it is written in place (Not a "
                         "directory)");
    EXPECT_EQ(ReadBytes("a.ini"), kShort);
}

}  // namespace
