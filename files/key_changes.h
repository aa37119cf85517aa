// Which settings two versions of a settings file hold differently, key by key: what a write of
// exam_ddc.ini changed, and how a configuration differs from another.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct KeyChange {
    std::string section;
    std::string key;
    std::optional<std::string> before;  // none: the file had no such key
    std::optional<std::string> after;

    bool operator==(const KeyChange&) const = default;
};

// The owned keys of exam_ddc.ini whose values differ between the two versions of the file, in the
// order they are written. A value is its text without the comment after it (from the first ";"),
// and the white space before the comment does not count: the write sets that to its own tabs,
// which is no change a reader cares about. Should the values be equal while the texts differ
// otherwise (a file name holding ";"), the whole texts are shown.
std::vector<KeyChange> ChangedIniKeys(std::string_view before, std::string_view after);

// The configuration keys whose value texts differ between two configuration files, in the
// configuration's own order.
std::vector<KeyChange> ChangedConfigKeys(std::string_view before, std::string_view after);
