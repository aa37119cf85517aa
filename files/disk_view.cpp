#include "files/disk_view.h"

#include <filesystem>
#include <system_error>

#include "core/digits.h"
#include "core/setting_catalogue.h"
#include "files/profile_store.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Names are bytes: the path is made from them as they are, never decoded.
fs::path PathOf(const std::string& name) {
    return fs::path(name);
}

}  // namespace

bool DiskView::IsFile(const std::string& path) const {
    std::error_code error;
    return fs::is_regular_file(PathOf(path), error);
}

bool DiskView::IsFolder(const std::string& path) const {
    std::error_code error;
    return fs::is_directory(PathOf(path), error);
}

std::optional<std::string> DiskView::FindIgnoringCase(const std::string& folder,
                                                      const std::string& name) const {
    std::error_code error;
    fs::directory_iterator it(PathOf(folder), error);
    if (error) {
        return std::nullopt;
    }
    // The exact spelling wins over another that differs only in case.
    std::optional<std::string> found;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            break;
        }
        std::string entry = it->path().filename().string();
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
    return IsFolder(path) && _access(path.c_str(), 2) == 0;
#else
    return IsFolder(path) && access(path.c_str(), W_OK | X_OK) == 0;
#endif
}

std::optional<std::uint64_t> DiskView::FreeBytes(const std::string& folder) const {
    std::error_code error;
    const fs::space_info space = fs::space(PathOf(folder), error);
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
    return state;
}
