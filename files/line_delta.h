// A text stored as its difference from an earlier one: successive writes of the same settings file
// differ in a line or two, so the journal keeps most of its texts as a few bytes each.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace files {

// The instructions that rebuild `target` from `base`, line by line (lines end at LF): runs of the
// base's lines to copy, and the bytes of the lines it lacks. Never decoded as text.
std::string LineDelta(std::string_view base, std::string_view target);

// `target` rebuilt from `base` and LineDelta(base, target); none when the delta is damaged or
// does not fit the base.
std::optional<std::string> ApplyLineDelta(std::string_view base, std::string_view delta);

}  // namespace files
