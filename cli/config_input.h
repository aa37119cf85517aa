// Configurations that come through a stream: "-" is standard input, and a named pipe or a
// /dev/fd/N of a pipe is read like a file. The files layer reads regular files only (a pipe in
// place of std.cfg must never hang the window), so the command line reads these itself, whole,
// and hands the bytes to the same configuration reader.
#pragma once

#include <optional>
#include <string>

#include "files/session.h"

namespace cli {

// True for "-" and, but on Windows, for a name that is a named pipe or a character device.
bool IsStream(const std::string& name);

// OpenAsWindow, with `config` also a stream.
StartupFiles OpenAsWindowFrom(TSettings& settings, const std::optional<std::string>& config);
// LoadConfiguration, with `config` also a stream.
void LoadConfigurationFrom(TSettings& settings, const std::string& config, bool mayBeMissing);

}  // namespace cli
