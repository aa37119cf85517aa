// The Windows side of files/file_io.h. Names are 8-bit text, as the files hold them, and reach the
// wide-character API through the system's ANSI code page: the bytes a Russian system wrote in
// Windows-1251 name the same file here. Errors read as on the other systems ("Permission denied"),
// so that messages and tests do not depend on the system.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "files/file_io.h"
#include "files/file_io_shared.h"
#include "files/native_path.h"

namespace files {
namespace {

WriteFault& gFault = detail::Fault();
FileOperationCounts& gCounts = detail::Counts();

// The texts of the C library's strerror for the failures a save or a read meets, so that a
// message is the same on every system; anything else takes the system's English text.
std::string ErrorText(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return "No such file or directory";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "Permission denied";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return "No space left on device";
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return "File exists";
        case ERROR_FILENAME_EXCED_RANGE:
            return "File name too long";
        case ERROR_WRITE_PROTECT:
            return "Read-only file system";
        case ERROR_OPERATION_ABORTED:
            return "Interrupted system call";
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return "Cannot allocate memory";
        case ERROR_INVALID_NAME:
            return "Invalid argument";
        default:
            break;
    }
    char buffer[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  buffer, sizeof buffer, nullptr);
    while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' ||
                          buffer[length - 1] == '.' || buffer[length - 1] == ' '))
        --length;
    if (length == 0)
        return "error " + std::to_string(code);
    return std::string(buffer, length);
}

using detail::Fail;

bool FailCode(std::string* error, const char* verb, const std::string& path, DWORD code) {
    return Fail(error, verb, path, ErrorText(code));
}

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid())
            CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    void Reset(HANDLE handle) {
        if (valid())
            CloseHandle(handle_);
        handle_ = handle;
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes now and reports a failure (0 when closed cleanly).
    DWORD Close() {
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : GetLastError();
    }

  private:
    HANDLE handle_;
};

// Everything up to and including the last separator ('/', '\\' or a drive's ':'), or "".
std::string FolderPrefix(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string UniqueSuffix() {
    return detail::UniqueSuffix(static_cast<unsigned long long>(GetCurrentProcessId()));
}

// Writes all bytes, honouring the injected "disk full" fault.
DWORD WriteAll(HANDLE file, std::string_view bytes) {
    std::size_t allowed = bytes.size();
    if (gFault.failAfterBytes && *gFault.failAfterBytes < allowed)
        allowed = *gFault.failAfterBytes;
    std::size_t done = 0;
    while (done < allowed) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(allowed - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            return GetLastError();
        done += written;
    }
    return done < bytes.size() ? ERROR_DISK_FULL : 0;
}

// Renames with POSIX semantics (Windows 10 1809 and later, on NTFS): the target is replaced even
// while other programs hold it open with delete sharing (as this program's reads do), and they go
// on reading the old contents. Other systems and file systems (FAT, most network shares, wine)
// refuse it, and the plain move below does the work there.
bool RenameReplacingOpenTarget(const std::wstring& temporary, const std::wstring& target) {
    Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE | SYNCHRONIZE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    // The new name must be a full path: a bare one would be taken within the temporary's folder.
    const DWORD length = GetFullPathNameW(target.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return false;
    std::wstring fullPath(length, L'\0');
    fullPath.resize(GetFullPathNameW(target.c_str(), length, fullPath.data(), nullptr));
    const std::size_t nameBytes = fullPath.size() * sizeof(wchar_t);
    std::string buffer(sizeof(FILE_RENAME_INFO) + nameBytes, '\0');
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    // The Windows 10 flags share their place with ReplaceIfExists; headers declare them only for
    // a later _WIN32_WINNT than this program needs, so they are written by value here.
    constexpr DWORD kReplaceIfExists = 0x1, kPosixSemantics = 0x2;
    const DWORD flags = kReplaceIfExists | kPosixSemantics;
    std::memcpy(buffer.data(), &flags, sizeof flags);
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(fullPath.begin(), fullPath.end(), rename->FileName);
    // FileRenameInfoEx, likewise.
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    if (!SetFileInformationByHandle(file.get(), kFileRenameInfoEx, rename,
                                    static_cast<DWORD>(buffer.size())))
        return false;
    // Commits the rename as a write-through move would.
    FlushFileBuffers(file.get());
    return true;
}

// Puts the temporary file in the target's place. A virus scanner or an indexer that opened the
// target a moment ago without delete sharing makes the move fail for that moment: try again a few
// times before reporting it. A program that keeps the file open that way is reported.
DWORD MoveIntoPlace(const std::wstring& temporary, const std::wstring& target) {
    DWORD code = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (RenameReplacingOpenTarget(temporary, target) ||
            MoveFileExW(temporary.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        code = GetLastError();
        if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION &&
            code != ERROR_LOCK_VIOLATION)
            break;
        Sleep(10u << attempt);
    }
    return code;
}

}  // namespace

LoadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    bytes.clear();
    const std::wstring name = WideFromAnsi(path);
    // Opening a folder as a file is refused with "access denied"; say what it is instead.
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(error, "read", path, "Is a directory");
        return LoadStatus::Failed;
    }
    // Every kind of sharing: a save of this file by another program may replace it meanwhile,
    // and this read then finishes on the old contents.
    Handle file(CreateFileW(
        name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        FailCode(error, "read", path, code);
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? LoadStatus::Missing
                                                                            : LoadStatus::Failed;
    }
    ++gCounts.reads;
    // Devices ("CON", "NUL", a COM port) and pipes are not settings files.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        Fail(error, "read", path, "not a regular file");
        return LoadStatus::Failed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) {
        FailCode(error, "read", path, GetLastError());
        return LoadStatus::Failed;
    }
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > kMaxFileBytes) {
        Fail(error, "read", path, "file too large");
        return LoadStatus::Failed;
    }
    return detail::ReadToEnd(
        static_cast<std::size_t>(size.QuadPart), path, bytes, error,
        [&](char* buffer, std::size_t capacity) -> long long {
            DWORD got = 0;
            if (!ReadFile(file.get(), buffer, static_cast<DWORD>(capacity), &got, nullptr)) {
                FailCode(error, "read", path, GetLastError());
                return -1;
            }
            return got;
        });
}

// A symbolic link in the target's place is replaced by the file, not followed: links to settings
// files are rare on Windows, and following one needs rights most users do not have to make it.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    if (!detail::AdmitWrite(path, bytes.size(), error))
        return false;
    const std::wstring target = WideFromAnsi(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return Fail(error, "write", path, "Is a directory");
        // The rename would replace a read-only file; refuse it as writing in place would.
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return FailCode(error, "write", path, ERROR_ACCESS_DENIED);
    } else {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND)
            return FailCode(error, "write", path, code);
    }

    const std::string folder = FolderPrefix(path);
    const std::string base = path.substr(folder.size(), 200);
    std::wstring temporary;
    Handle file(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        temporary = WideFromAnsi(folder + "." + base + ".tmp" + UniqueSuffix());
        // No sharing: nobody reads the temporary file before it is whole.
        HANDLE created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE)
            file.Reset(created);
        else if (const DWORD code = GetLastError(); code != ERROR_FILE_EXISTS)
            return FailCode(error, "write", path, code);
    }
    if (!file.valid())
        return FailCode(error, "write", path, ERROR_FILE_EXISTS);
    bool keepTemporary = false;
    auto abandon = [&](DWORD failure) {
        if (file.valid())
            file.Close();
        if (!keepTemporary)
            DeleteFileW(temporary.c_str());
        return FailCode(error, "write", path, failure);
    };

    if (DWORD failure = WriteAll(file.get(), bytes))
        return abandon(failure);
    if (!FlushFileBuffers(file.get()))
        return abandon(GetLastError());
    if (DWORD failure = file.Close())
        return abandon(failure);
    // The new file keeps the original's attributes (hidden, archive, not indexed ...).
    if (exists && attributes != FILE_ATTRIBUTE_NORMAL)
        SetFileAttributesW(temporary.c_str(), attributes);

    switch (gFault.beforeRename) {
        case WriteFault::BeforeRename::Continue:
            break;
        case WriteFault::BeforeRename::Stop:
            keepTemporary = true;
            return abandon(ERROR_OPERATION_ABORTED);
        case WriteFault::BeforeRename::Abort:
            std::abort();
    }

    if (DWORD failure = MoveIntoPlace(temporary, target))
        return abandon(failure);
    ++gCounts.writes;
    return true;
}

}  // namespace files
