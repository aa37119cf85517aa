// The acquisition program's initialization file (exam_ddc.ini).
#pragma once

#include <string>

// Reads DirFileBufSize and InternalClockValue into Settings; false when the file is not there.
bool ReadIni(const std::string& name, std::string* error = nullptr);
// Writes the 49 owned keys, carrying each value's comment over; false (with a reason) when the
// file cannot be written, in which case the file on disk is unchanged.
bool WriteIni(const std::string& name, std::string* error = nullptr);
