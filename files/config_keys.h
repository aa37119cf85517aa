// Settings named by their configuration key: set from a text by the window's rules, and spelled
// as the configuration file spells them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/setting_catalogue.h"

// The configuration row of `key`, in any letter case; null when the configuration has no such key.
const SettingRow* FindConfigSetting(std::string_view key);

// Sets the row's setting in `settings` from `text` as the window takes it: numbers by the
// typed-number grammar with a point as the decimal separator ("0x" hexadecimal for integers and
// masks), only the values the window offers for lists and masks, strings by the string rules.
// Throws SettingsError with the window's message and changes nothing when the text is refused.
void SetSettingFromText(const SettingRow& row, TSettings& settings, std::string_view text);

// Each configuration row's value text as WriteConfig spells it for the record, in the file's order.
std::vector<std::string> ConfigFileTexts(const TSettings& settings);
