// Reading and saving on Windows: what differs from the POSIX side (sharing, attributes, names in
// the ANSI code page) and the failures a save must survive there.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "file_test_support.h"
#include "files/file_io.h"

using file_tests::FileTest;
using file_tests::ReadBytes;
using file_tests::WriteBytes;
using files::WriteFault;

namespace {

const std::string kOriginal = "[S]\r\nold=1\r\n";
const std::string kNew = "[S]\r\nnew=2\r\n" + std::string(5000, 'x') + "\r\n";

DWORD AttributesOf(const char* path) {
    return GetFileAttributesA(path);
}

std::string ReadFromHandle(HANDLE file) {
    std::string bytes(64 * 1024, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr));
    bytes.resize(got);
    return bytes;
}

using WindowsSave = FileTest;

// Another program holds the file open while it is saved, and keeps reading the old contents. One
// that allows deletion (as this program's own reads do) lets the new file take the name where the
// system renames with POSIX semantics (Windows 10 on NTFS); elsewhere (older systems, wine) and
// for one that does not allow deletion (the C library's fopen) the save fails, changing nothing.
struct OpenReader {
    const char* what;
    DWORD sharing;
    bool mayBeReplaced;
};

class WindowsSaveWhileRead : public FileTest, public ::testing::WithParamInterface<OpenReader> {};

TEST_P(WindowsSaveWhileRead, ReplacesOrFailsWithTheOriginalWhole) {
    WriteBytes("a.cfg", kOriginal);
    HANDLE reader = CreateFileA("a.cfg", GENERIC_READ, GetParam().sharing, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::string error;
    const bool saved = files::WriteFileAtomically("a.cfg", kNew, &error);
    const std::string stillRead = ReadFromHandle(reader);
    CloseHandle(reader);

    EXPECT_EQ(stillRead, kOriginal);
    if (saved) {
        EXPECT_TRUE(GetParam().mayBeReplaced);
        EXPECT_EQ(ReadBytes("a.cfg"), kNew);
    } else {
        EXPECT_FALSE(saved);
        EXPECT_EQ(error, "cannot write \"a.cfg\": Permission denied");
        EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
}

INSTANTIATE_TEST_SUITE_P(
    Readers, WindowsSaveWhileRead,
    ::testing::Values(OpenReader{"sharing_delete",
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
                      OpenReader{"sharing_read_write", FILE_SHARE_READ | FILE_SHARE_WRITE, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WindowsSave, OwnReadsDoNotBlockASave) {
    // ReadWholeFile's sharing is what lets a save replace a file another instance is reading.
    WriteBytes("a.cfg", kOriginal);
    std::string bytes;
    ASSERT_EQ(files::ReadWholeFile("a.cfg", bytes, nullptr), files::LoadStatus::Loaded);
    EXPECT_EQ(bytes, kOriginal);
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    ASSERT_EQ(files::ReadWholeFile("a.cfg", bytes, nullptr), files::LoadStatus::Loaded);
    EXPECT_EQ(bytes, kNew);
    EXPECT_EQ(files::FileOperationCountsForTesting().reads, 2);
    EXPECT_EQ(files::FileOperationCountsForTesting().writes, 1);
}

TEST_F(WindowsSave, AReadOnlyFileIsRefusedAndKept) {
    WriteBytes("a.cfg", kOriginal);
    ASSERT_TRUE(SetFileAttributesA("a.cfg", FILE_ATTRIBUTE_READONLY));
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"a.cfg\": Permission denied");
    EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
    SetFileAttributesA("a.cfg", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsSave, TheReplacedFileKeepsItsAttributes) {
    WriteBytes("a.cfg", kOriginal);
    ASSERT_TRUE(SetFileAttributesA("a.cfg", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    std::string error;
    ASSERT_TRUE(files::WriteFileAtomically("a.cfg", kNew, &error)) << error;
    EXPECT_EQ(ReadBytes("a.cfg"), kNew);
    EXPECT_TRUE(AttributesOf("a.cfg") & FILE_ATTRIBUTE_HIDDEN);
}

// The files name other files in the code page of the system that wrote them; the same bytes must
// name the same file, whatever Windows shows for them.
TEST_F(WindowsSave, EightBitNamesGoThroughTheAnsiCodePage) {
    const std::string name = "\xfd\xea\xe7.cfg";  // "экз.cfg" in Windows-1251
    std::string error;
    ASSERT_TRUE(files::WriteFileAtomically(name, kNew, &error)) << error;
    std::string bytes;
    ASSERT_EQ(files::ReadWholeFile(name, bytes, &error), files::LoadStatus::Loaded) << error;
    EXPECT_EQ(bytes, kNew);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.cfg", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(std::string(found.cFileName), name);
    if (GetACP() == 1251) {
        WIN32_FIND_DATAW wide;
        search = FindFirstFileW(L"*.cfg", &wide);
        ASSERT_NE(search, INVALID_HANDLE_VALUE);
        FindClose(search);
        EXPECT_EQ(std::wstring(wide.cFileName), L"\u044d\u043a\u0437.cfg");
    }
}

// Failures and their messages, the same words as on the other systems.
struct Failure {
    const char* what;
    bool write;  // else read
    const char* path;
    const char* message;
};

class WindowsFileFailure : public FileTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(WindowsFileFailure, IsReportedAndChangesNothing) {
    CreateDirectoryA("folder", nullptr);
    const Failure& failure = GetParam();
    std::string error;
    if (failure.write) {
        EXPECT_FALSE(files::WriteFileAtomically(failure.path, kNew, &error));
    } else {
        std::string bytes = "stale";
        EXPECT_EQ(files::ReadWholeFile(failure.path, bytes, &error), files::LoadStatus::Failed);
        EXPECT_EQ(bytes, "");
    }
    EXPECT_EQ(error, failure.message);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"folder"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsFileFailure,
    ::testing::Values(
        Failure{"read_folder", false, "folder", "cannot read \"folder\": Is a directory"},
        Failure{"read_device", false, "NUL", "cannot read \"NUL\": not a regular file"},
        Failure{"write_folder", true, "folder", "cannot write \"folder\": Is a directory"},
        Failure{"write_missing_folder", true, "none/a.cfg",
                "cannot write \"none/a.cfg\": No such file or directory"},
        Failure{"write_backslash_missing_folder", true, "none\\a.cfg",
                "cannot write \"none\\a.cfg\": No such file or directory"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WindowsSave, AMissingFileReadsAsMissing) {
    std::string bytes, error;
    EXPECT_EQ(files::ReadWholeFile("none.cfg", bytes, &error), files::LoadStatus::Missing);
    EXPECT_EQ(error, "cannot read \"none.cfg\": No such file or directory");
    EXPECT_EQ(files::ReadWholeFile("none/none.cfg", bytes, &error), files::LoadStatus::Missing);
}

TEST_F(WindowsSave, SavesIntoASubfolderByEitherSeparator) {
    CreateDirectoryA("CONFIGS", nullptr);
    for (const char* path : {"CONFIGS/a.cfg", "CONFIGS\\a.cfg"}) {
        std::string error;
        ASSERT_TRUE(files::WriteFileAtomically(path, path, &error)) << error;
        EXPECT_EQ(ReadBytes("CONFIGS/a.cfg"), path);
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"CONFIGS"});
}

class WindowsSaveDiskFull : public FileTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(WindowsSaveDiskFull, LeavesTheOriginalWholeAndNoTemporaryFile) {
    WriteBytes("a.cfg", kOriginal);
    files::SetWriteFaultForTesting(WriteFault{GetParam()});
    std::string error;
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, &error));
    EXPECT_EQ(error, "cannot write \"a.cfg\": No space left on device");
    EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a.cfg"});
    EXPECT_EQ(files::FileOperationCountsForTesting().writes, 0);
}

INSTANTIATE_TEST_SUITE_P(AfterBytes, WindowsSaveDiskFull,
                         ::testing::Values(0, 12, kNew.size() - 1));

TEST_F(WindowsSave, ASaveStoppedBeforeTheRenameLeavesTheOriginalAndAWholeTemporaryFile) {
    WriteBytes("a.cfg", kOriginal);
    files::SetWriteFaultForTesting(WriteFault{{}, WriteFault::BeforeRename::Stop});
    EXPECT_FALSE(files::WriteFileAtomically("a.cfg", kNew, nullptr));
    EXPECT_EQ(ReadBytes("a.cfg"), kOriginal);
    const auto entries = FolderEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].rfind(".a.cfg.tmp", 0), 0u) << entries[0];
    EXPECT_EQ(ReadBytes(entries[0]), kNew);
}

}  // namespace
