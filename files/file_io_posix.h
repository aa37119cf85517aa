// What the POSIX side of files/file_io.h shares between its saves and the rollback copies of its
// writes in place (files/file_rollback.cpp).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "files/file_io.h"

namespace files::detail {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now and reports the error close gives (a delayed write error, on some file systems).
    int Close();

  private:
    int fd_;
};

// strerror's text in the "C" locale, whatever the program's locale is.
std::string ErrorText(int error);

// Writes `bytes` at `offset` onward; 0 or the error. With `failAfter`, the writes stop there as a
// full disk stops them, "No space left on device".
int WriteAt(int fd, std::string_view bytes, off_t offset, std::optional<std::size_t> failAfter);

// fsync, honouring the injected flush fault and counting the flushes done; 0 or the error.
int FlushTo(int fd, Flush what);

// Reads the whole of an open file from its start, up to `limit` bytes; false when it cannot.
bool ReadOpenFile(int fd, std::size_t limit, std::string& bytes);

// Gives the file the modification time it had; nothing when that is not allowed.
void RestoreModificationTime(int fd, const timespec& time);

// A rollback copy of a file written in place (files/file_rollback.cpp). Kept from before the first
// byte is written until the write is done or undone, and locked all the while, so that no clean-up
// of another program takes it for the copy of a killed save.
class RollbackCopy {
  public:
    RollbackCopy() = default;
    RollbackCopy(const RollbackCopy&) = delete;
    RollbackCopy& operator=(const RollbackCopy&) = delete;
    // Leaves the copy on disk, as a process killed with it does.
    ~RollbackCopy() = default;

    // Keeps the old bytes and the new ones of the file at the absolute `path` that `info`
    // describes, flushed to disk with their folder; false with the reason otherwise.
    bool Keep(const std::string& path, const struct stat& info, std::string_view old,
              std::string_view next, std::string& why);
    // The copy is no longer needed: the write is done or undone.
    void Drop();
    std::string Path() const { return folder_ + "/" + name_; }

  private:
    std::string folder_;
    std::string name_;
    FileDescriptor folderFd_;
    FileDescriptor copy_;
};

// Settles a copy left by a killed write in place of the file with this identity, before the file
// is read or saved (silently: the start of a program is where it is told). False, with `why`, only
// when a save running now holds the copy.
bool SettleCopyOf(dev_t device, ino_t inode, std::string& why);

}  // namespace files::detail
