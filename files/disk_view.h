// The checks' view of the real disk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/checks.h"

// The real disk.
class DiskView : public FileSystemView {
  public:
    bool IsFile(const std::string& path) const override;
    bool IsFolder(const std::string& path) const override;
    std::optional<std::string> FindIgnoringCase(const std::string& folder,
                                                const std::string& name) const override;
    bool IsWritableFolder(const std::string& path) const override;
    std::optional<std::uint64_t> FreeBytes(const std::string& folder) const override;
    IniFileState IniFile(const std::string& name) const override;
    std::string FullPath(const std::string& path) const override;
};

// The sections ("[Option]") and keys ("Option/Dither") that the bytes of an initialization file
// hold more than once, in file order (see IniFileState::duplicates).
std::vector<std::string> DuplicatesIn(std::string_view bytes);
