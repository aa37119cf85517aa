// KEY=VALUE assignments, as set and apply take them from a script.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/checks.h"
#include "core/settings.h"

namespace cli {

struct Assigned {
    std::vector<Finding> precision;  // frequencies single precision keeps otherwise than given
    bool samplesPerChannel = false;  // DirSamplesPerChannel was given
};

// Applies `assignments` in order to `settings`, as the window's controls take the values; `where`
// starts each refusal's message (the file the assignments are for). Throws Failure at the first
// refused assignment; `settings` is then half-changed and must not be saved.
//
// Keys are the configuration file's, in any letter case, and DirSamplesPerChannel, the window's
// requested samples per channel. What `show --json` prints is taken back as it is:
//   <Key>Hex=0x..         the same as <Key>=0x..
//   <Key>Encoding=E       <Key>'s text is UTF-8 to be stored in E, "utf-8" or "windows-1251"
//   <Key>Bytes=hex        <Key>'s exact bytes, in place of its text
//   format=1              the JSON format; any other number is refused
// A value the window does not offer is refused only when it changes the value `settings` held
// before the assignments: a file the window opens can always be set back to what it holds.
Assigned ApplyAssignments(TSettings& settings, const std::vector<std::string>& assignments,
                          const std::string& where);

}  // namespace cli
