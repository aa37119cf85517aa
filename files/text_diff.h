// Line differences between two versions of a text file, shown as a unified diff.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// The unified diff (three lines of context) that turns `before` into `after`, headed by
// "--- beforeLabel" and "+++ afterLabel"; empty when the two are equal. Lines end at LF and are
// shown as they are, bytes and line ends included; a last line without LF is followed by
// "\ No newline at end of file". The lines between the common start and end are matched as
// closely as possible when there are at most a few thousand of them, else shown as one change.
std::string UnifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeLabel, std::string_view afterLabel);

// How many elements two sequences (lines, or the bytes of a line) share at their start and, after
// that, at their end.
template <typename Sequence>
std::pair<std::size_t, std::size_t> SharedEnds(const Sequence& a, const Sequence& b) {
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    return {prefix, suffix};
}
