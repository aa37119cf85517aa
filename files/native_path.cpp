#include "files/native_path.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace files {

#ifdef _WIN32

std::wstring WideFromAnsi(std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string AnsiFromWide(std::wstring_view text) {
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

fs::path NativePath(std::string_view name) {
    return fs::path(WideFromAnsi(name));
}

std::string NarrowName(const fs::path& path) {
    return AnsiFromWide(path.native());
}

#else

fs::path NativePath(std::string_view name) {
    return fs::path(std::string(name));
}

std::string NarrowName(const fs::path& path) {
    return path.native();
}

#endif

NameState StateOf(const std::string& name, std::string* reason) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(NativePath(name), error);
    if (!error && fs::exists(status))
        return NameState::Present;
    // The standard library takes "not a directory" for "not found" too; a path through a regular
    // file is no name that may be made, so only the system's own "no such entry" is missing.
    if (error == std::errc::no_such_file_or_directory || (!error && !fs::exists(status)))
        return NameState::Missing;
    if (reason)
        *reason = error.message();
    return NameState::Unknown;
}

bool IsRegularFile(const std::string& name) {
    std::error_code error;
    return fs::is_regular_file(NativePath(name), error);
}

bool IsDirectory(const std::string& name) {
    std::error_code error;
    return fs::is_directory(NativePath(name), error);
}

}  // namespace files
