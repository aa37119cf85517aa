#include "files/disk_view.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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
    EXPECT_TRUE(disk.IsWritableFolder("."));
    EXPECT_FALSE(disk.IsWritableFolder("missing"));
    EXPECT_TRUE(disk.FreeBytes(".").has_value());
    EXPECT_EQ(disk.IniFile("exam_ddc.ini"), (IniFileState{true, true, false}));
    EXPECT_FALSE(disk.IniFile("none.ini").found);
    fs::current_path(saved);
    fs::remove_all(dir);
}

}  // namespace
