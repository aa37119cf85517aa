#include "files/disk_view.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/digits.h"
#include "core/setting_catalogue.h"
#include "files/native_path.h"
#include "files/profile_store.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

using files::NativePath;

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The name in `names` that matches regardless of ASCII case, as it was first spelled.
const std::string* Find(const std::vector<std::string>& names, std::string_view name) {
    for (const std::string& n : names) {
        if (SameIgnoringAsciiCase(n, name))
            return &n;
    }
    return nullptr;
}

}  // namespace

// The sections and keys an initialization file holds more than once, read by the same line rules
// as the profile store's: a header starts with "[" and names the text up to "]"; a key line holds
// "=" and does not start with ";"; names match regardless of ASCII case; lines before the first
// header belong to no section and are not looked at. A key repeated in a later copy of a section
// is not listed: that whole copy is already listed as the section.
std::vector<std::string> DuplicatesIn(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::vector<std::string> duplicates;
    std::vector<std::string> sections;
    std::vector<std::string> keys;  // of the present section's first copy
    bool inSection = false;
    bool firstCopy = false;
    std::string section;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line =
            Trimmed(end == std::string_view::npos ? bytes : bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            std::string_view name = line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            const std::string* first = Find(sections, name);
            inSection = true;
            firstCopy = first == nullptr;
            keys.clear();
            if (firstCopy) {
                sections.emplace_back(name);
                section = std::string(name);
            } else if (const std::string named = "[" + *first + "]";
                       Find(duplicates, named) == nullptr) {
                duplicates.push_back(named);
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || !firstCopy || equals == std::string_view::npos || line.front() == ';')
            continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        if (const std::string* first = Find(keys, key); first == nullptr) {
            keys.emplace_back(key);
        } else if (const std::string named = section + "/" + *first;
                   Find(duplicates, named) == nullptr) {
            duplicates.push_back(named);
        }
    }
    return duplicates;
}

bool DiskView::IsFile(const std::string& path) const {
    return files::IsRegularFile(path);
}

bool DiskView::IsFolder(const std::string& path) const {
    return files::IsDirectory(path);
}

std::optional<std::string> DiskView::FindIgnoringCase(const std::string& folder,
                                                      const std::string& name) const {
    std::error_code error;
    fs::directory_iterator it(NativePath(folder), error);
    if (error) {
        return std::nullopt;
    }
    // The exact spelling wins over another that differs only in case.
    std::optional<std::string> found;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            break;
        }
        std::string entry = files::NarrowName(it->path().filename());
        if (entry == name) {
            return entry;
        }
        if (!found && SameIgnoringAsciiCase(entry, name)) {
            found = std::move(entry);
        }
    }
    return found;
}

bool DiskView::IsWritableFolder(const std::string& path) const {
    // The system's own answer for this process: permissions, read-only mounts, ownership.
#if defined(_WIN32)
    return IsFolder(path) && _waccess(NativePath(path).c_str(), 2) == 0;
#else
    return IsFolder(path) && access(path.c_str(), W_OK | X_OK) == 0;
#endif
}

std::optional<std::uint64_t> DiskView::FreeBytes(const std::string& folder) const {
    std::error_code error;
    const fs::space_info space = fs::space(NativePath(folder), error);
    if (error || space.available == static_cast<std::uintmax_t>(-1)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(space.available);
}

IniFileState DiskView::IniFile(const std::string& name) const {
    IniFileState state;
    ProfileStore store;
    try {
        if (store.Load(name) != files::LoadStatus::Loaded) {
            state.found = false;
            return state;
        }
    } catch (const std::bad_alloc&) {
        // Too large to read is as good as missing for the acquisition program's values.
        state.found = false;
        return state;
    }
    // A sentinel no value can read as: a value is at most one line.
    constexpr const char* kAbsent = "\n";
    state.hasDirFileBufSize = store.Read(kOptionSection, "DirFileBufSize", kAbsent) != kAbsent;
    state.hasInternalClockValue =
        store.Read(kDeviceSection, "InternalClockValue", kAbsent) != kAbsent;
    state.duplicates = DuplicatesIn(store.Bytes());
    return state;
}

std::string DiskView::FullPath(const std::string& path) const {
    std::error_code error;
    const fs::path full = fs::absolute(NativePath(path), error).lexically_normal();
    if (error)
        return path;
#if defined(_WIN32)
    // Through the wide form: a narrow generic string would be recoded by the C library's locale.
    std::string text = files::NarrowName(fs::path(full.generic_wstring()));
#else
    std::string text = full.generic_string();
#endif
    // "/work/." comes out as "/work/": a folder is named without the slash after it.
    if (text.size() > 1 && text.back() == '/' && full.has_relative_path())
        text.pop_back();
    return text;
}
