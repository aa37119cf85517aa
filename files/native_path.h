// File names as the system takes them. A name is 8-bit text, as the files hold it: on Windows in
// the system's ANSI code page (a Russian system's Windows-1251), converted to UTF-16 here and only
// here; elsewhere its bytes as they are. std::filesystem is never handed a narrow name: the
// standard library built for Windows would read it as Latin-1 and name another file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace files {

// The system's path for a name.
std::filesystem::path NativePath(std::string_view name);
// The name of a path the system gave (a folder's entry, the working directory). On Windows a
// character the ANSI code page lacks comes out as '?', naming no file: such a name cannot be
// written in the files either.
std::string NarrowName(const std::filesystem::path& path);

#ifdef _WIN32
// ANSI code page <-> UTF-16. Every byte of a single-byte code page maps to a character, so no
// name is refused on the way in.
std::wstring WideFromAnsi(std::string_view text);
std::string AnsiFromWide(std::wstring_view text);
#endif

// What is at a name, its symbolic link not followed. Missing only when the system says nothing is
// there (no such entry, or no such folder on the way); Unknown when it cannot tell (a folder that
// may not be searched, a path through a regular file, a name too long), with the reason.
enum class NameState { Missing, Present, Unknown };
NameState StateOf(const std::string& name, std::string* reason = nullptr);

// A regular file, a folder, each through a symbolic link too; false when the system cannot tell.
bool IsRegularFile(const std::string& name);
bool IsDirectory(const std::string& name);

}  // namespace files
