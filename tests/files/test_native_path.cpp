// File names on their way to the system: what is at a name, and 8-bit names on Windows.
#include "files/native_path.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <string>

#include "file_test_support.h"
#include "files/disk_view.h"

namespace {

namespace fs = std::filesystem;
using file_tests::WriteBytes;
using NativePath = file_tests::FileTest;

// Made with the C library's narrow calls, which take the ANSI code page on Windows.
#ifdef _WIN32
void MakeFolder(const std::string& name) {
    ASSERT_TRUE(CreateDirectoryA(name.c_str(), nullptr)) << name;
}
#else
void MakeFolder(const std::string& name) {
    fs::create_directory(name);
}
#endif

TEST_F(NativePath, StateOfANameIsMissingOnlyWhenNothingIsThere) {
    WriteBytes("a.cfg", "x");
    MakeFolder("folder");
    struct Case {
        const char* name;
        files::NameState state;
    };
    const Case cases[] = {
        {"a.cfg", files::NameState::Present},
        {"folder", files::NameState::Present},
        {"none.cfg", files::NameState::Missing},
        {"none/a.cfg", files::NameState::Missing},
#ifndef _WIN32
        // Nothing can be made there: not missing.
        {"a.cfg/b.cfg", files::NameState::Unknown},
#endif
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(files::StateOf(c.name, &reason), c.state) << c.name << " " << reason;
    }
#ifndef _WIN32
    std::string reason;
    files::StateOf("a.cfg/b.cfg", &reason);
    EXPECT_EQ(reason, "Not a directory");
    // A link is something, wherever it points.
    fs::create_symlink("nowhere.cfg", "dangling.cfg");
    EXPECT_EQ(files::StateOf("dangling.cfg"), files::NameState::Present);
    EXPECT_FALSE(files::IsRegularFile("dangling.cfg"));
#endif
}

// The same bytes name the same file through every call: the disk view of the checks, the state,
// the names read back from a folder.
TEST_F(NativePath, EightBitNamesNameTheSameFileEverywhere) {
    const std::string folder = "\xc4\xe0\xed\xed\xfb\xe5";  // "Данные" in Windows-1251
    const std::string file = "\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xe0.PRG";  // "Программа.PRG"
    MakeFolder(folder);
    WriteBytes(folder + "/" + file, "x");
    const DiskView disk;
    EXPECT_TRUE(disk.IsFolder(folder));
    EXPECT_TRUE(disk.IsFile(folder + "/" + file));
    EXPECT_TRUE(disk.IsWritableFolder(folder));
    EXPECT_TRUE(disk.FreeBytes(folder).has_value());
    EXPECT_EQ(disk.FindIgnoringCase(folder, file), file);
    EXPECT_EQ(disk.FindIgnoringCase(".", folder), folder);
    EXPECT_EQ(FindProgramFile(folder + "\\" + file, disk), folder + "/" + file);
    EXPECT_EQ(files::StateOf(folder + "/" + file), files::NameState::Present);
    EXPECT_EQ(files::NarrowName(files::NativePath(folder + "/" + file)), folder + "/" + file);
}

#ifdef _WIN32
// The conversion behind the names and the console's text, for the code page the tests run in.
TEST(AnsiCodePage, Windows1251ToUtf16AndBack) {
    // The tests' wine runs under a Russian locale (cmake/cross_tests.cmake): code page 1251.
    ASSERT_EQ(GetACP(), 1251u);
    struct Case {
        std::string ansi;
        std::wstring wide;
    };
    const Case cases[] = {
        {"", L""},
        {"a.cfg", L"a.cfg"},
        {"\xcf\xf0\xee\xf4\xe8\xeb\xfc", L"\u041f\u0440\u043e\u0444\u0438\u043b\u044c"},
        {";\xf7\xe8\xf1\xeb\xee \xee\xf2\xf1\xf7\xb8\xf2\xee\xe2\r\n",
         L";\u0447\u0438\u0441\u043b\u043e \u043e\u0442\u0441\u0447\u0451\u0442\u043e\u0432\r\n"},
        {"\xa8\xb8\xb9", L"\u0401\u0451\u2116"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(files::WideFromAnsi(c.ansi), c.wide) << c.ansi;
        EXPECT_EQ(files::AnsiFromWide(c.wide), c.ansi) << c.ansi;
    }
    // A character the code page lacks names no file.
    EXPECT_EQ(files::AnsiFromWide(L"\u4e2d.cfg"), "?.cfg");
    // Every byte of the code page but its one hole comes back as it went.
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte != 0x98)
            all += static_cast<char>(byte);
    }
    EXPECT_EQ(files::AnsiFromWide(files::WideFromAnsi(all)), all);
}
#endif

}  // namespace
