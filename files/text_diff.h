// Line differences between two versions of a text file, shown as a unified diff.
#pragma once

#include <string>
#include <string_view>

// The unified diff (three lines of context) that turns `before` into `after`, headed by
// "--- beforeLabel" and "+++ afterLabel"; empty when the two are equal. Lines end at LF and are
// shown as they are, bytes and line ends included; a last line without LF is followed by
// "\ No newline at end of file". The lines between the common start and end are matched as
// closely as possible when there are at most a few thousand of them, else shown as one change.
std::string UnifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeLabel, std::string_view afterLabel);
