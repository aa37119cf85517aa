#include "files/disk_view.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "file_test_support.h"

namespace {

// The real disk: a scratch folder with an initialization file, found regardless of case.
TEST(DiskView, ScratchFolder) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("tessaro_checks_" + std::to_string(::getpid()));
    fs::create_directories(dir / "PrgFiles");
    std::ofstream(dir / "PrgFiles" / "IsGsm.prg") << "x";
    std::ofstream(dir / "exam_ddc.ini") << "[OPTION]\r\ndirfilebufsize= 4096\t\t;KB\r\n";
    const fs::path saved = fs::current_path();
    fs::current_path(dir);
    const DiskView disk;
    EXPECT_EQ(FindProgramFile("PRGFILES\\isgsm.PRG", disk), "PrgFiles/IsGsm.prg");
    EXPECT_EQ(FindProgramFile("PrgFiles\\IsGsm.prg", disk), "PrgFiles/IsGsm.prg");
    EXPECT_FALSE(FindProgramFile("PRGFILES\\none.prg", disk));
    // Of two spellings that differ only in case, the exact one wins.
    std::ofstream(dir / "PrgFiles" / "ISGSM.PRG") << "y";
    EXPECT_EQ(disk.FindIgnoringCase("PrgFiles", "ISGSM.PRG"), "ISGSM.PRG");
    EXPECT_EQ(disk.FindIgnoringCase("PrgFiles", "IsGsm.prg"), "IsGsm.prg");
    EXPECT_TRUE(disk.IsWritableFolder("."));
    EXPECT_FALSE(disk.IsWritableFolder("missing"));
#ifndef _WIN32
    // A folder no one may write to, seen by an ordinary user (root would write anywhere).
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    const std::string locked = (dir / "locked").string();
    EXPECT_EQ(
        file_tests::AsOrdinaryUser([&] {
            return std::string(DiskView().IsWritableFolder(locked) ? "writable" : "read-only");
        }),
        "read-only");
#endif
    EXPECT_TRUE(disk.FreeBytes(".").has_value());
    EXPECT_EQ(disk.IniFile("exam_ddc.ini"), (IniFileState{true, true, false, {}}));
    EXPECT_FALSE(disk.IniFile("none.ini").found);
    fs::current_path(saved);
    fs::remove_all(dir);
}

// The copies the acquisition program never reads, by the profile's own line rules.
TEST(DiskView, DuplicatesInAnInitializationFile) {
    struct Case {
        const char* bytes;
        std::vector<std::string> duplicates;
    };
    const Case cases[] = {
        {"[A]\r\nx=1\r\ny=2\r\n[B]\r\nx=3\r\n", {}},
        {"[A]\r\nx=1\r\n X =2\r\n", {"A/x"}},
        {"[A]\r\nx=1\r\n[a]  ; again\r\nx=2\r\nx=3\r\n", {"[A]"}},
        {"x=1\r\nx=2\r\n[A]\r\n;x=1\r\nx=1\r\n;x=2\r\n", {}},  // no section; comments
        {"\xEF\xBB\xBF[A]\nk=1\nk=2\nk=3\n[B\n[B\n", {"A/k", "[B]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(DuplicatesIn(c.bytes), c.duplicates);
    }
}

}  // namespace
