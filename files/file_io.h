// Whole-file reading and crash-safe replacement of the settings files.
#pragma once

#include <cstddef>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace files {

// A settings file is a few kilobytes; anything beyond this is refused rather than loaded. A file of
// bare line breaks costs some 25 bytes of line bookkeeping per byte, so this keeps it near 400 MB.
inline constexpr std::size_t kMaxFileBytes = 16u << 20;

enum class ReadStatus { Ok, Missing, Failed };

// Reads the whole regular file at `path` into `bytes`. Missing: the file does not exist. Missing
// and Failed leave `bytes` empty and give `error` (when not null) a reason such as
// `cannot read "x.cfg": No such file or directory`.
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string* error);

// Replaces the file at `path` with `bytes` or changes nothing: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the original. The original's
// permissions are kept; a symbolic link is followed and its target replaced. A file that may not
// be written (read-only, a folder in its place, a missing folder) is refused. False with `error`
// (`cannot write "x.cfg": Permission denied`) when anything fails.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// Runs a file operation that returns success; running out of memory on the way (a huge file)
// becomes a reported failure, `cannot <verb> "<path>": out of memory`, instead of a crash.
template <typename Operation>
bool FailingOnOutOfMemory(const char* verb, const std::string& path, std::string* error,
                          Operation operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        if (error)
            *error = std::string("cannot ") + verb + " \"" + path + "\": out of memory";
        return false;
    }
}

// Test hooks: faults injected into WriteFileAtomically, and counts of the file operations done.
struct WriteFault {
    // The temporary file's writes fail with "No space left on device" after this many bytes.
    std::optional<std::size_t> failAfterBytes;
    // What happens once the temporary file is written and flushed, before the rename.
    enum class BeforeRename { Continue, Stop, Abort } beforeRename = BeforeRename::Continue;
};
// Stop: returns false as if the process had died there, leaving the temporary file behind.
// Abort: the process aborts there.
void SetWriteFaultForTesting(const WriteFault& fault);

struct FileOperationCounts {
    int reads = 0;   // ReadWholeFile calls that opened the file
    int writes = 0;  // WriteFileAtomically calls that renamed a file into place
};
FileOperationCounts& FileOperationCountsForTesting();

}  // namespace files
