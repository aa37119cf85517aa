#include "files/key_changes.h"

#include "core/setting_catalogue.h"
#include "files/file_text.h"
#include "files/profile_store.h"

namespace {

// A default no value text can be: a value ends at its line break.
constexpr std::string_view kAbsent = "\n";

std::optional<std::string> ValueOf(const ProfileStore& store, const char* section,
                                   const char* key) {
    std::string text = store.ReadWhole(section, key, kAbsent);
    if (text == kAbsent)
        return std::nullopt;
    return text;
}

// The value before its comment, and the whole text without the white space before the comment.
struct IniValue {
    std::string value;
    std::string whole;
};

IniValue SplitComment(const std::string& text) {
    const std::size_t semicolon = text.find(';');
    if (semicolon == std::string::npos)
        return {text, text};
    const std::string value(files::TrimWhiteSpace(std::string_view(text).substr(0, semicolon)));
    return {value, value + text.substr(semicolon)};
}

}  // namespace

std::vector<KeyChange> ChangedIniKeys(std::string_view before, std::string_view after) {
    const ProfileStore old{std::string(before)};
    const ProfileStore now{std::string(after)};
    std::vector<KeyChange> changes;
    for (const SettingRow* row : RowsOf(FileOf::Ini)) {
        if (row->iniWrite == IniWrite::Never)
            continue;  // the acquisition program's own values
        std::optional<std::string> a = ValueOf(old, row->section, row->key);
        std::optional<std::string> b = ValueOf(now, row->section, row->key);
        if (a && b) {
            IniValue x = SplitComment(*a);
            IniValue y = SplitComment(*b);
            if (x.whole == y.whole)
                continue;
            if (x.value != y.value) {
                a = std::move(x.value);
                b = std::move(y.value);
            } else {
                a = std::move(x.whole);
                b = std::move(y.whole);
            }
        } else if (a || b) {
            std::optional<std::string>& present = a ? a : b;
            present = SplitComment(*present).value;
        } else {
            continue;
        }
        changes.push_back({row->section, row->key, std::move(a), std::move(b)});
    }
    return changes;
}

std::vector<KeyChange> ChangedConfigKeys(std::string_view before, std::string_view after) {
    const ProfileStore old{std::string(before)};
    const ProfileStore now{std::string(after)};
    std::vector<KeyChange> changes;
    for (const SettingRow* row : RowsOf(FileOf::Config)) {
        std::optional<std::string> a = ValueOf(old, row->section, row->key);
        std::optional<std::string> b = ValueOf(now, row->section, row->key);
        if (a != b)
            changes.push_back({row->section, row->key, std::move(a), std::move(b)});
    }
    return changes;
}
