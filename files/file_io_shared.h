// What the two sides of files/file_io.h (POSIX and Windows) share: the test hooks' state, the
// failure text and the temporary files' random suffix.
#pragma once

#include <string>

#include "files/file_io.h"

namespace files::detail {

WriteFault& Fault();
FileOperationCounts& Counts();

// Gives `error` (when not null) "cannot <verb> "<path>": <why>" and returns false.
bool Fail(std::string* error, const char* verb, const std::string& path, const std::string& why);

// The first step of every save: empties `error` (when not null), and refuses (false, with the
// reason) bytes beyond kMaxFileBytes, which no read would take back.
bool AdmitWrite(const std::string& path, std::size_t bytes, std::string* error);

// Eight letters and digits, different for each call and each process.
std::string UniqueSuffix(unsigned long long processId);

}  // namespace files::detail
