#include "files/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "files/file_io_posix.h"
#include "files/file_io_shared.h"

namespace files {
namespace {

WriteFault& gFault = detail::Fault();
FileOperationCounts& gCounts = detail::Counts();

}  // namespace

namespace detail {

int FileDescriptor::Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
}

// strerror follows LC_MESSAGES, which Qt takes from the environment; the reason stays English.
std::string ErrorText(int error) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (cLocale != locale_t{})
        return strerror_l(error, cLocale);
    return "error " + std::to_string(error);
}

int WriteAt(int fd, std::string_view bytes, off_t offset, std::optional<std::size_t> failAfter) {
    const std::size_t allowed = failAfter ? std::min(*failAfter, bytes.size()) : bytes.size();
    // A slow disk (a test hook) takes its writes in pieces.
    const std::size_t piece = gFault.slowWriteMicroseconds ? std::size_t{64} << 10 : SIZE_MAX;
    std::size_t done = 0;
    while (done < allowed) {
        if (gFault.slowWriteMicroseconds)
            ::usleep(gFault.slowWriteMicroseconds);
        const ssize_t n = ::pwrite(fd, bytes.data() + done, std::min(allowed - done, piece),
                                   offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return done < bytes.size() ? ENOSPC : 0;
}

int FlushTo(int fd, Flush what) {
    if (gFault.failFlush == what)
        return EIO;
    if (::fsync(fd) != 0)
        return errno;
    switch (what) {
        case Flush::File:
            ++gCounts.fileFlushes;
            break;
        case Flush::Folder:
            ++gCounts.folderSyncs;
            break;
        case Flush::Rollback:
            ++gCounts.rollbackFlushes;
            break;
    }
    return 0;
}

bool ReadOpenFile(int fd, std::size_t limit, std::string& bytes) {
    struct stat info;
    if (::fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) > limit)
        return false;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void RestoreModificationTime(int fd, const timespec& time) {
    const timespec times[2] = {{0, UTIME_OMIT}, time};
    [[maybe_unused]] int ignored = ::futimens(fd, times);
}

}  // namespace detail

namespace {

using detail::ErrorText;
using detail::Fail;
using detail::FileDescriptor;
using detail::FlushTo;
using detail::ReadOpenFile;
using detail::WriteAt;

bool FailErrno(std::string* error, const char* verb, const std::string& path, int code) {
    return Fail(error, verb, path, ErrorText(code));
}

// Everything up to and including the last '/', or "" for a bare name.
std::string FolderPrefix(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symbolic links in the last component so that the link's target is what gets replaced.
// A dangling link resolves to the missing path it names (which the save then refuses).
bool ResolveLinks(const std::string& path, std::string& resolved, int& code) {
    resolved = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info;
        if (::lstat(resolved.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;  // not a link; a missing file or other error shows in the next steps
        std::string target(static_cast<std::size_t>(info.st_size) + 1, '\0');
        ssize_t length = ::readlink(resolved.c_str(), target.data(), target.size());
        if (length < 0) {
            code = errno;
            return false;
        }
        if (static_cast<std::size_t>(length) >= target.size()) {
            continue;  // the link changed under us: read it again
        }
        target.resize(static_cast<std::size_t>(length));
        resolved = (!target.empty() && target[0] == '/') ? target : FolderPrefix(resolved) + target;
    }
    code = ELOOP;
    return false;
}

std::string UniqueSuffix() {
    return detail::UniqueSuffix(static_cast<unsigned long long>(::getpid()));
}

}  // namespace

LoadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    bytes.clear();
    // Non-blocking, so that a FIFO in place of the file cannot hang the program.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        const int code = errno;
        FailErrno(error, "read", path, code);
        return code == ENOENT ? LoadStatus::Missing : LoadStatus::Failed;
    }
    ++gCounts.reads;
    struct stat info;
    if (::fstat(file.get(), &info) != 0) {
        FailErrno(error, "read", path, errno);
        return LoadStatus::Failed;
    }
    if (S_ISDIR(info.st_mode)) {
        FailErrno(error, "read", path, EISDIR);
        return LoadStatus::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        Fail(error, "read", path, "not a regular file");
        return LoadStatus::Failed;
    }
    // A write in place of this file that was killed is undone first, so that what is read is the
    // file's old bytes rather than a mixture. One that is running now is not waited for.
    std::string busy;
    if (detail::SettleCopyOf(info.st_dev, info.st_ino, busy) && ::fstat(file.get(), &info) != 0) {
        FailErrno(error, "read", path, errno);
        return LoadStatus::Failed;
    }
    const int fd = file.get();
    return detail::ReadToEnd(static_cast<std::size_t>(info.st_size), path, bytes, error,
                             [&](char* buffer, std::size_t capacity) -> long long {
                                 for (;;) {
                                     const ssize_t n = ::read(fd, buffer, capacity);
                                     if (n >= 0 || errno != EINTR) {
                                         if (n < 0)
                                             FailErrno(error, "read", path, errno);
                                         return n;
                                     }
                                 }
                             });
}

namespace {

// The temporary files of a save of `name` are "." + name + ".tmp" + eight letters or digits; the
// name is cut to leave room for the rest within the 255-byte limit of a name.
std::string TemporaryPrefix(const std::string& name) {
    return "." + name.substr(0, 200) + ".tmp";
}

bool IsLeftoverName(std::string_view entry, std::string_view prefix) {
    if (entry.size() != prefix.size() + 8 || !entry.starts_with(prefix))
        return false;
    for (char c : entry.substr(prefix.size())) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Removes the temporary files that earlier saves of this file left behind when they were killed.
// A save holds a lock on its temporary file until the rename, and the lock goes with the process,
// so a file that can be locked belongs to no running save. Failures only leave a leftover.
void RemoveLeftovers(int folder, const std::string& name) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    DIR* entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return;
    }
    const std::string prefix = TemporaryPrefix(name);
    while (const dirent* entry = ::readdir(entries)) {
        if (!IsLeftoverName(entry->d_name, prefix))
            continue;
        FileDescriptor leftover(
            ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info;
        if (leftover.get() < 0 || ::fstat(leftover.get(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (::flock(leftover.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
}

// Creates and locks a new temporary file for the save of `name`; -1 with `code` on failure.
int CreateTemporary(int folder, const std::string& name, mode_t mode, std::string& temporary,
                    int& code) {
    const std::string prefix = TemporaryPrefix(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = prefix + UniqueSuffix();
        FileDescriptor file(::openat(folder, temporary.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode));
        if (file.get() < 0) {
            if (errno == EEXIST)
                continue;
            code = errno;
            return -1;
        }
        if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK)
                continue;  // another save's clean-up took it for a leftover and removes it
            // No locks on this file system: no clean-up can lock a leftover either, so none
            // removes this file while it is written.
        } else {
            // A clean-up may have locked and removed the file between its creation and the lock.
            struct stat mine, named;
            if (::fstat(file.get(), &mine) != 0 ||
                ::fstatat(folder, temporary.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
                mine.st_ino != named.st_ino || mine.st_dev != named.st_dev) {
                continue;
            }
        }
        return file.Release();
    }
    code = EEXIST;
    return -1;
}

// Opens the folder that holds the file, so that the temporary file's name is taken relative to
// it (a path near the 4095-byte limit leaves no room for a longer temporary name) and the folder
// itself can be flushed. A folder that may be searched but not read is opened for names only.
int OpenFolder(const std::string& folder, bool& canSync, int& code) {
    const char* name = folder.empty() ? "." : folder.c_str();
    canSync = true;
    int fd = ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
    if (fd < 0 && errno == EACCES) {
        canSync = false;
        fd = ::open(name, O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
#endif
    if (fd < 0)
        code = errno;
    return fd;
}

// Errors of the temporary file's creation after which the file is written in place instead: the
// folder may not be written (a shared folder whose files are writable), or the file system takes
// shorter names than the temporary one.
bool WritesInPlaceAfter(int code) {
    return code == EACCES || code == EPERM || code == EROFS || code == ENAMETOOLONG;
}

// The path as the rollback copy names it: from the root, whatever the working folder is then.
bool AbsolutePath(const std::string& path, std::string& absolute) {
    if (!path.empty() && path[0] == '/') {
        absolute = path;
        return true;
    }
    std::string here(4096, '\0');
    while (!::getcwd(here.data(), here.size())) {
        if (errno != ERANGE)
            return false;
        here.resize(here.size() * 2);
    }
    here.resize(std::strlen(here.c_str()));
    absolute = here + (here.ends_with('/') ? "" : "/") + path;
    return true;
}

// Puts the old bytes, size and time back after a write in place failed; false when the disk did
// not let it all happen (the rollback copy then stays for the next start).
bool PutBack(int fd, const std::string& old, const struct stat& info) {
    int failure =
        WriteAt(fd, old, 0, gFault.diskKeepsFailing ? std::optional<std::size_t>(0) : std::nullopt);
    // Cut back to the old size even when the bytes did not all go: nothing stays beyond it.
    if (::ftruncate(fd, static_cast<off_t>(old.size())) != 0 && failure == 0)
        failure = errno;
    if (failure == 0)
        failure = FlushTo(fd, Flush::File);
    if (failure == 0)
        detail::RestoreModificationTime(fd, info.st_mtim);
    return failure == 0;
}

// Writes the file in place when no temporary file can be made beside it. The old bytes go to a
// rollback copy first (see files/file_rollback.cpp); room for a longer file is claimed without
// growing it (a full disk then changes nothing, and a kill leaves no padding), the new bytes are
// written over the old from the start and the rest of a longer old file is cut off, the file is
// flushed and the copy removed. A failure puts the old bytes back; a kill is settled from the copy.
bool WriteInPlace(int folder, const std::string& name, const std::string& target,
                  const std::string& path, std::string_view bytes, std::string* error) {
    bool created = false;
    FileDescriptor file(::openat(folder, name.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
    if (file.get() < 0 && errno == ENOENT) {
        // Only where the folder takes new files but not the temporary file's longer name.
        file.Reset(::openat(folder, name.c_str(),
                            O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666));
        created = file.get() >= 0;
    }
    if (file.get() < 0)
        return FailErrno(error, "write", path, errno);
    // Until the first byte is written, a failure leaves the file as it was, or no file at all.
    auto giveUp = [&](bool failed) {
        if (created)
            ::unlinkat(folder, name.c_str(), 0);
        return failed;
    };
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return giveUp(FailErrno(error, "write", path, errno));
    if (!S_ISREG(info.st_mode))
        return giveUp(Fail(error, "write", path, "not a regular file"));
    // (A copy a killed write in place of this file left was settled before it was opened.)
    std::string old, absolute, why;
    if (!ReadOpenFile(file.get(), kMaxFileBytes, old))
        return giveUp(Fail(error, "write", path, "its present bytes cannot be read to be kept"));
    if (!AbsolutePath(target, absolute))
        return giveUp(FailErrno(error, "write", path, errno));
    detail::RollbackCopy copy;
    if (!copy.Keep(absolute, info, old, bytes, why))
        return giveUp(Fail(error, "write", path, why));

    const auto oldSize = static_cast<off_t>(old.size());
    const auto newSize = static_cast<off_t>(bytes.size());
#ifdef FALLOC_FL_KEEP_SIZE
    if (newSize > oldSize && ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, newSize) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        const int failure = errno;
        copy.Drop();
        return giveUp(FailErrno(error, "write", path, failure));
    }
    // Other failures: the file system claims no room ahead; the writes below still tell.
#endif
    // The test hook's interruption: as if the process died here, or dies here.
    const std::size_t stop = gFault.interruptInPlaceAfterBytes.value_or(SIZE_MAX);
    auto interrupt = [&] {
        if (gFault.inPlaceInterruption == WriteFault::Interruption::Abort)
            std::abort();
        return FailErrno(error, "write", path, EINTR);
    };
    int failure = WriteAt(file.get(), bytes.substr(0, std::min(stop, bytes.size())), 0,
                          gFault.failAfterBytes);
    if (failure == 0 && stop <= bytes.size())
        return interrupt();
    if (failure == 0 && newSize < oldSize && ::ftruncate(file.get(), newSize) != 0)
        failure = errno;
    if (failure == 0 && stop == bytes.size() + 1)
        return interrupt();
    if (failure == 0)
        failure = FlushTo(file.get(), Flush::File);
    if (failure != 0) {
        if (!PutBack(file.get(), old, info)) {
            return Fail(error, "write", path,
                        ErrorText(failure) +
                            "; the bytes it held before could not all be put back, and are put "
                            "back from \"" +
                            copy.Path() + "\" at the next start");
        }
        copy.Drop();
        return giveUp(FailErrno(error, "write", path, failure));
    }
    copy.Drop();
    ++gCounts.writes;
    ++gCounts.inPlace;
    const int closeFailure = gFault.failFinalClose ? EIO : file.Close();
    if (closeFailure != 0 && error) {
        *error = "\"" + path + "\" was written, but closing it failed (" + ErrorText(closeFailure) +
                 "): check that it holds what was saved";
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    if (!detail::AdmitWrite(path, bytes.size(), error))
        return false;
    std::string target;
    int code = 0;
    if (!ResolveLinks(path, target, code))
        return FailErrno(error, "write", path, code);

    struct stat original;
    const bool exists = ::stat(target.c_str(), &original) == 0;
    if (exists) {
        if (S_ISDIR(original.st_mode))
            return FailErrno(error, "write", path, EISDIR);
        if (!S_ISREG(original.st_mode))
            return Fail(error, "write", path, "not a regular file");
        // The rename would replace a read-only file; refuse it as writing in place would.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return FailErrno(error, "write", path, errno);
        // A write in place of this file that was killed is undone before anything else.
        std::string why;
        if (!detail::SettleCopyOf(original.st_dev, original.st_ino, why))
            return Fail(error, "write", path, why);
    } else if (errno != ENOENT) {
        return FailErrno(error, "write", path, errno);
    } else if (target != path) {
        // A link to nothing: wherever it points (an unmounted share, say) is no place to create.
        return Fail(error, "write", path,
                    "it is a symbolic link to \"" + target + "\", which does not exist");
    }

    const std::string folderPath = FolderPrefix(target);
    const std::string name = target.substr(folderPath.size());
    bool canSyncFolder = true;
    FileDescriptor folder(OpenFolder(folderPath, canSyncFolder, code));
    if (folder.get() < 0)
        return FailErrno(error, "write", path, code);
    if (canSyncFolder)
        RemoveLeftovers(folder.get(), name);

    if (gFault.writeInPlace)
        return WriteInPlace(folder.get(), name, target, path, bytes, error);
    std::string temporary;
    // A new file gets the permissions a plain create would give (0666 less the umask).
    const int fd = CreateTemporary(folder.get(), name, exists ? 0600 : 0666, temporary, code);
    if (fd < 0) {
        if (WritesInPlaceAfter(code))
            return WriteInPlace(folder.get(), name, target, path, bytes, error);
        return FailErrno(error, "write", path, code);
    }
    FileDescriptor file(fd);
    bool keepTemporary = false;
    auto abandon = [&](int failure) {
        if (!keepTemporary)
            ::unlinkat(folder.get(), temporary.c_str(), 0);
        return FailErrno(error, "write", path, failure);
    };

    if (exists) {
        if (::fchmod(file.get(), original.st_mode & 07777) != 0)
            return abandon(errno);
        if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
            // Only root may give the file away; for others the new file is theirs, as it would be
            // after any editor's save.
            [[maybe_unused]] int ignored = ::fchown(file.get(), original.st_uid, original.st_gid);
        }
    }
    if (int failure = WriteAt(file.get(), bytes, 0, gFault.failAfterBytes))
        return abandon(failure);
    if (int failure = FlushTo(file.get(), Flush::File))
        return abandon(failure);
    // The lock stays with a second descriptor until the rename, so that no clean-up takes the
    // file for a leftover; closing the first still reports a delayed write error.
    const FileDescriptor lock(::dup(file.get()));
    if (int failure = file.Close())
        return abandon(failure);

    switch (gFault.beforeRename) {
        case WriteFault::BeforeRename::Continue:
            break;
        case WriteFault::BeforeRename::Stop:
            keepTemporary = true;
            return abandon(EINTR);
        case WriteFault::BeforeRename::Abort:
            std::abort();
    }

    if (::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) != 0)
        return abandon(errno);
    ++gCounts.writes;
    // Until the folder reaches the disk, a power cut may bring the old file back. Some file
    // systems cannot flush a folder (EINVAL); there the rename is as safe as they make it.
    if (canSyncFolder) {
        const int failure = FlushTo(folder.get(), Flush::Folder);
        if (failure != 0 && failure != EINVAL && error) {
            *error = "\"" + path + "\" was written, but its folder could not be flushed to disk (" +
                     ErrorText(failure) + "): a power cut now may bring the old file back";
        }
    }
    return true;
}

}  // namespace files
