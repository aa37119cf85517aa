// The editor's own configuration files (.cfg), driven by ParamTable.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

#include "core/settings.h"

class ProfileStore;

enum class ParamKind { Int = 0, Float = 1, Double = 2, String = 3, Hex = 4 };

// The Settings field of a row; its type follows the row's kind (Int and Hex: int32_t).
using ParamField = std::variant<int32_t*, float*, double*, std::string*>;

struct ParamRow {
    const char* section;
    ParamKind kind;
    ParamField field;
    const char* key;
};

extern const std::array<ParamRow, 50> ParamTable;

// Names are used as given, relative to the working directory at the moment of the call.
// Both return false when the file cannot be read or written; `error` (when given) then
// receives a short reason for the user. A failed read or write changes nothing. ReadConfig also
// refuses a file that is no configuration: one with neither an [Option] nor a
// [device0_tessaro0] section (a configuration lacking some keys reads, the missing ones as 0).
// WriteConfig may return true with a warning in `error`, as files::WriteFileAtomically does.
bool ReadConfig(const std::string& name, std::string* error = nullptr);
bool WriteConfig(const std::string& name, std::string* error = nullptr);

// The same on a file already in memory: every row's value is taken from `store` (missing keys
// read as "0"); and the bytes WriteConfig writes for the present Settings.
void ReadConfigFrom(const ProfileStore& store);
// Whether ReadConfig takes the file: it has an [Option] or a [device0_tessaro0] section.
bool IsConfiguration(const ProfileStore& store);
std::string ConfigText();
