// What the two sides of files/file_io.h (POSIX and Windows) share: the test hooks' state, the
// failure text, the read loop and the temporary files' random suffix.
#pragma once

#include <cstddef>
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

// Reads a whole file through `readSome(buffer, capacity)`, which returns how many bytes it read,
// 0 at the end, or a negative number after it has said why in `error`. The size is a hint: the file
// may change while it is read, so it is read until the end, and never past kMaxFileBytes.
template <class ReadSome>
LoadStatus ReadToEnd(std::size_t sizeHint, const std::string& path, std::string& bytes,
                     std::string* error, ReadSome readSome) {
    if (sizeHint > kMaxFileBytes) {
        Fail(error, "read", path, "file too large");
        return LoadStatus::Failed;
    }
    std::string data(sizeHint + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == data.size()) {
            if (data.size() > kMaxFileBytes) {
                Fail(error, "read", path, "file too large");
                return LoadStatus::Failed;
            }
            data.resize(data.size() * 2);
        }
        const long long n = readSome(data.data() + done, data.size() - done);
        if (n < 0)
            return LoadStatus::Failed;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    bytes = std::move(data);
    return LoadStatus::Loaded;
}

// Eight letters and digits, different for each call and each process.
std::string UniqueSuffix(unsigned long long processId);

}  // namespace files::detail
