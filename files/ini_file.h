// The acquisition program's initialization file (exam_ddc.ini).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/settings.h"

class ProfileStore;

// Reads DirFileBufSize and InternalClockValue into the record; false when the file is not there.
bool ReadIni(const std::string& name, TSettings& settings, std::string* error = nullptr);
// Writes the 49 owned keys, carrying each value's comment over; false (with a reason) when the
// file cannot be written, in which case the file on disk is unchanged. True with a text in `error`
// is a warning: written, but not wholly confirmed (see files::WriteFileAtomically).
bool WriteIni(const std::string& name, const TSettings& settings, std::string* error = nullptr);

// The same on a file already in memory (WriteIni is one load, this, and one save).
void ReadIniFrom(const ProfileStore& store, TSettings& settings);

// The DirNumBufWrite the file holds, read as DirFileBufSize is read (its leading decimal number);
// none when the key is missing. Not taken into the record by ReadIni: the recording size computes
// it.
std::optional<int32_t> RecordedBuffersFrom(const ProfileStore& store);
void WriteIniTo(ProfileStore& store, const TSettings& settings);
