// The editor's own configuration files (.cfg): the catalogue's configuration rows, in its order.
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"

class ProfileStore;

// Names are used as given, relative to the working directory at the moment of the call.
// Both return false when the file cannot be read or written; `error` (when given) then
// receives a short reason for the user. A failed read or write changes nothing. ReadConfig also
// refuses a file that is no configuration: one with neither an [Option] nor a
// [device0_tessaro0] section (a configuration lacking some keys reads, the missing ones as 0;
// `missingKeys`, when given, receives their names).
bool ReadConfig(const std::string& name, TSettings& settings, std::string* error = nullptr,
                std::vector<std::string>* missingKeys = nullptr);
// WriteConfig may return true with a warning in `error`, as files::WriteFileAtomically does.
bool WriteConfig(const std::string& name, const TSettings& settings, std::string* error = nullptr);

// The same on a file already in memory: every row's value is taken from `store` (missing keys
// read as "0"); returns the keys that were missing.
std::vector<std::string> ReadConfigFrom(const ProfileStore& store, TSettings& settings);
// Whether ReadConfig takes the file: it has an [Option] or a [device0_tessaro0] section.
bool IsConfiguration(const ProfileStore& store);
// The bytes WriteConfig writes for the record.
std::string ConfigText(const TSettings& settings);
