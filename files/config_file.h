// The editor's own configuration files (.cfg), driven by ParamTable.
#pragma once

#include <array>
#include <string>

#include "core/settings.h"

enum class ParamKind { Int = 0, Float = 1, Double = 2, String = 3, Hex = 4 };

struct ParamRow {
    const char* section;
    ParamKind kind;
    void* field;  // the Settings field of the row; its type follows `kind`
    const char* key;
};

extern const std::array<ParamRow, 50> ParamTable;

// Names are used as given, relative to the working directory at the moment of the call.
// Both return false when the file cannot be read or written; `error` (when given) then
// receives a short reason for the user. A failed read or write changes nothing.
bool ReadConfig(const std::string& name, std::string* error = nullptr);
bool WriteConfig(const std::string& name, std::string* error = nullptr);
