// The acquisition program's initialization file (exam_ddc.ini).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/settings.h"

class ProfileStore;

// Reads DirFileBufSize and InternalClockValue into the record; false when the file is not there.
bool ReadIni(const std::string& name, TSettings& settings, std::string* error = nullptr);
// The file before a write (empty when there was none) and as the write leaves it.
struct IniBytes {
    std::string before;
    std::string after;
};
// Writes the 49 owned keys, carrying each value's comment over; false (with a reason) when the
// file cannot be written, in which case the file on disk is unchanged. True with a text in `error`
// is a warning: written, but not wholly confirmed (see files::WriteFileAtomically). `bytes`, when
// given, receives the file's bytes before and after.
bool WriteIni(const std::string& name, const TSettings& settings, std::string* error = nullptr,
              IniBytes* bytes = nullptr);

// False with the reason, `cannot write "<name>": <key> holds a CR character, which the file cannot
// hold`, when the record holds what the file cannot: a name with a CR, LF or NUL (read from a
// file; typed names refuse them), or a real whose text would be longer than the 255 characters a
// value is read back with. WriteIni then writes nothing.
bool IniWritable(const std::string& name, const TSettings& settings, std::string* error);

// The same on a file already in memory (WriteIni is one load, this, and one save).
void ReadIniFrom(const ProfileStore& store, TSettings& settings);

// The DirNumBufWrite the file holds, read as DirFileBufSize is read (its leading decimal number);
// none when the key is missing. Not taken into the record by ReadIni: the recording size computes
// it.
std::optional<int32_t> RecordedBuffersFrom(const ProfileStore& store);
void WriteIniTo(ProfileStore& store, const TSettings& settings);
