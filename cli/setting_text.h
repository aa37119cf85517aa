// How tessaro-cli presents a setting: unit and meaning, value texts and JSON values.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "core/setting_catalogue.h"

namespace cli {

struct SettingNote {
    std::string unit;  // empty for a plain count or a choice
    std::string meaning;
};
SettingNote NoteOf(const SettingRow& row);

// The present value of the row's setting as plain text: integers in decimal, masks as "0x" and
// lower-case digits, reals in the shortest decimal text that reads back as the same value, strings
// as their bytes.
std::string ExactText(const SettingRow& row, const TSettings& settings);

// JSON carries 8-bit names safely this way: a string that is valid UTF-8 (ASCII included) goes as
// it is; any other (a name in a single-byte code page) goes with each byte that is not UTF-8 shown
// as U+FFFD, and its exact bytes follow under "<Key>Bytes" as lower-case hexadecimal pairs, so no
// byte is lost or recoded. Set such a name back from those bytes.
void PutJsonValue(nlohmann::ordered_json& object, const SettingRow& row, const TSettings& settings);
// Dumps with the replacement above; the result is always valid UTF-8.
std::string JsonText(const nlohmann::ordered_json& document);

}  // namespace cli
