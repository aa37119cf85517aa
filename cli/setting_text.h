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

// The JSON of a setting: integers as numbers, masks also as "0x" text under "<Key>Hex", reals as
// numbers by their shortest text. A name goes as UTF-8 text: its bytes when they are UTF-8, else
// their Windows-1251 reading; "<Key>Encoding" says which ("utf-8" or "windows-1251"), and a name
// that is not UTF-8 also goes as its exact bytes in lower-case hexadecimal pairs under
// "<Key>Bytes", so no byte is lost. set takes all three back.
void PutJsonValue(nlohmann::ordered_json& object, const SettingRow& row, const TSettings& settings);
// The document dumped with two-blank indents and one final newline.
std::string JsonText(const nlohmann::ordered_json& document);

}  // namespace cli
