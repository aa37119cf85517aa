// The checks' view of the real disk.
#pragma once

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
};
