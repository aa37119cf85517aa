// Whole-file reading and crash-safe replacement of the settings files.
#pragma once

#include <cstddef>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// permissions are kept (and, for root, its owner). A file that may not be written (read-only, a
// folder in its place, a missing folder) is refused, and so are bytes beyond kMaxFileBytes, which
// no read would take back.
//
// Symbolic links: on POSIX systems a link is followed and its target replaced, and a link whose
// target is missing ("dangling") is refused rather than followed into creating a file wherever it
// points (an unmounted share, say); on Windows a link in the target's place is replaced itself.
//
// False with `error` (`cannot write "x.cfg": Permission denied`) when the file was not written.
// True when it was; `error` (when not null) is then empty, or holds a warning when the bytes were
// written but something after that could not be confirmed: the folder's flush after the rename, or
// the final close of a file written in place (`"x.cfg" was written, but ...`). Callers show such a
// warning and treat the save as done.
//
// Temporary files left by a save that was killed are removed by the next save of the same file.
// Where no temporary file can be made (a read-only folder holding a writable file, as shared lab
// folders are, or a file system with short names) the file is written in place instead: first a
// rollback copy of its old bytes and of its identity goes to RollbackFolder() and is flushed, then
// the new bytes are written over the old without growing the file ahead of them, the rest is cut
// off, the file is flushed and the copy removed. A failure puts the old bytes and size back; a
// save that was killed midway is undone from the copy by the next read or save of the file, or by
// RecoverInterruptedSaves at the start of a program. Without a rollback copy no file is written
// in place.
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

// Where the rollback copies of writes in place are kept: "$XDG_STATE_HOME/tessaro-master/rollback"
// (an absolute XDG_STATE_HOME; else "$HOME/.local/state/..."), on Windows
// "%LOCALAPPDATA%\\tessaro-master\\rollback". Empty when none of these variables is set.
std::string RollbackFolder();

// Settles the saves in place that were killed or cut off before they finished, as both programs do
// when they start: a file holding a mixture of its old and new bytes gets its old bytes (and size
// and modification time) back; one that holds the whole of either is left so. A file that has
// changed since (other bytes, or another file under its name) is left as it is and its copy
// dropped, and a file that cannot be reached now keeps its copy for the next start. Copies that a
// running save holds are not touched. Returns what the user should be told, one message a file:
//   "x.ini": a save of this file was interrupted; the bytes it held before were put back
// The Windows side never writes in place and returns nothing.
std::vector<std::string> RecoverInterruptedSaves();

// Test hooks: faults injected into WriteFileAtomically, and counts of the file operations done.
enum class Flush {
    File,      // the temporary file, or the file written in place
    Folder,    // the folder after the rename
    Rollback,  // a rollback copy, and its folder
};
struct WriteFault {
    // The writes (of the temporary file, or in place) fail with "No space left on device" after
    // this many bytes.
    std::optional<std::size_t> failAfterBytes{};
    // What happens once the temporary file is written and flushed, before the rename.
    enum class Interruption { Continue, Stop, Abort };
    using BeforeRename = Interruption;
    Interruption beforeRename = Interruption::Continue;
    // Putting the old bytes back in place (after a failed write, or at the next start) fails at
    // once with "No space left on device", as on a disk that keeps failing.
    bool diskKeepsFailing = false;
    // This flush fails with "Input/output error" (and is not done).
    std::optional<Flush> failFlush{};
    // The final close of a file written in place fails with "Input/output error".
    bool failFinalClose = false;
    // The file is written in place, as if no temporary file could be made beside it.
    bool writeInPlace = false;
    // A write in place is interrupted as `inPlaceInterruption` says once this many bytes are
    // written: 0 right after the rollback copy, the new size before the rest of a longer old
    // file is cut off, one more after that cut (before the flush).
    std::optional<std::size_t> interruptInPlaceAfterBytes{};
    Interruption inPlaceInterruption = Interruption::Stop;
    // Every write of 64 KiB or less takes this many microseconds longer, as on a slow disk.
    unsigned slowWriteMicroseconds = 0;
};
// Stop: returns false as if the process had died there, leaving the temporary file (or the file
// written in place and its rollback copy) behind. Abort: the process aborts there.
void SetWriteFaultForTesting(const WriteFault& fault);

struct FileOperationCounts {
    int reads = 0;            // ReadWholeFile calls that opened the file
    int writes = 0;           // WriteFileAtomically calls that replaced a file
    int inPlace = 0;          // of these, the ones that wrote it in place
    int fileFlushes = 0;      // flushes done of a temporary file or a file written in place
    int folderSyncs = 0;      // flushes done of a folder after a rename
    int rollbackFlushes = 0;  // flushes done of rollback copies and their folder
};
FileOperationCounts& FileOperationCountsForTesting();

}  // namespace files
