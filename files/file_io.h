// Whole-file reading and crash-safe replacement of the settings files.
#pragma once

#include <cstddef>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace files {

// A settings file is a few kilobytes; anything beyond this is refused rather than loaded. The
// profile store notes only header and key lines, eight bytes each, so the most hostile file of this
// size (nothing but two-byte headers or keys) costs some 100 MB in all while it is rewritten.
inline constexpr std::size_t kMaxFileBytes = 16u << 20;

// How a load went, for every reader of the files: the file was read, it is not there, or it is
// there and could not be read (the reason goes with it).
enum class LoadStatus { Loaded, Missing, Failed };

// Reads the whole regular file at `path` into `bytes`. Missing: the file does not exist. Missing
// and Failed leave `bytes` empty and give `error` (when not null) a reason such as
// `cannot read "x.cfg": No such file or directory`.
LoadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string* error);

// Replaces the file at `path` with `bytes` or changes nothing: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the original, and the folder is
// flushed too, so that a power cut after the return cannot bring the old file back. The original's
// permissions are kept; a symbolic link is followed and its target replaced. A file that may not
// be written (read-only, a folder in its place, a missing folder) is refused. False with `error`
// (`cannot write "x.cfg": Permission denied`) when anything fails.
//
// Temporary files left by a save that was killed are removed by the next save of the same file.
// Where no temporary file can be made (a read-only folder holding a writable file, as shared lab
// folders are, or a file system with short names) the file is written in place instead; a failure
// then is reported too, and the old bytes are put back as far as the disk allows.
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
    int reads = 0;        // ReadWholeFile calls that opened the file
    int writes = 0;       // WriteFileAtomically calls that replaced a file
    int inPlace = 0;      // of these, the ones that wrote it in place
    int folderSyncs = 0;  // folders flushed after a rename
};
FileOperationCounts& FileOperationCountsForTesting();

}  // namespace files
