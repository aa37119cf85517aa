#include "files/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "files/file_io_shared.h"

namespace files {
namespace {

WriteFault& gFault = detail::Fault();
FileOperationCounts& gCounts = detail::Counts();

// strerror follows LC_MESSAGES, which Qt takes from the environment; the reason stays English.
std::string ErrorText(int error) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (cLocale != locale_t{})
        return strerror_l(error, cLocale);
    return "error " + std::to_string(error);
}

using detail::Fail;

bool FailErrno(std::string* error, const char* verb, const std::string& path, int code) {
    return Fail(error, verb, path, ErrorText(code));
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
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
    // Closes now and reports the error close gives (a delayed write error, on some file systems).
    int Close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

// Everything up to and including the last '/', or "" for a bare name.
std::string FolderPrefix(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symbolic links in the last component so that the link's target is what gets replaced.
// A dangling link resolves to the path it names, which is then created.
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

// Writes all bytes, honouring the injected "disk full" fault.
int WriteAll(int fd, std::string_view bytes) {
    std::size_t allowed = bytes.size();
    if (gFault.failAfterBytes && *gFault.failAfterBytes < allowed)
        allowed = *gFault.failAfterBytes;
    std::size_t done = 0;
    while (done < allowed) {
        ssize_t n = ::write(fd, bytes.data() + done, allowed - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return done < bytes.size() ? ENOSPC : 0;
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
    if (static_cast<std::size_t>(info.st_size) > kMaxFileBytes) {
        Fail(error, "read", path, "file too large");
        return LoadStatus::Failed;
    }
    // The size is a hint: the file may change while it is read, so read until the end.
    std::string data(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == data.size()) {
            if (data.size() > kMaxFileBytes) {
                Fail(error, "read", path, "file too large");
                return LoadStatus::Failed;
            }
            data.resize(data.size() * 2);
        }
        ssize_t n = ::read(file.get(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FailErrno(error, "read", path, errno);
            return LoadStatus::Failed;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    bytes = std::move(data);
    return LoadStatus::Loaded;
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

// Reads the whole of an open file from its start, up to `limit` bytes; false when it cannot.
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

// Writes the file in place when no temporary file can be made beside it: the old bytes are kept
// in memory, the room for the new ones is claimed first (a full disk then changes nothing), the
// new bytes are written over the old and the rest cut off, and the file is flushed. Should a write
// fail all the same, the old bytes are put back as far as the disk lets us. Not atomic: a crash
// midway leaves a mixed file, which is why this serves only where the atomic save cannot.
bool WriteInPlace(int folder, const std::string& name, const std::string& path,
                  std::string_view bytes, std::string* error) {
    FileDescriptor file(
        ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666));
    if (file.get() < 0)
        return FailErrno(error, "write", path, errno);
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return FailErrno(error, "write", path, errno);
    if (!S_ISREG(info.st_mode))
        return Fail(error, "write", path, "not a regular file");
    std::string old;
    const bool canRestore = ReadOpenFile(file.get(), kMaxFileBytes, old);
    const auto oldSize = static_cast<off_t>(info.st_size);
    const auto newSize = static_cast<off_t>(bytes.size());

    if (newSize > oldSize) {
        const int failure = ::posix_fallocate(file.get(), 0, newSize);
        if (failure == ENOSPC || failure == EDQUOT || failure == EFBIG) {
            [[maybe_unused]] int ignored = ::ftruncate(file.get(), oldSize);
            return FailErrno(error, "write", path, failure);
        }
        // Other failures: the file system claims no room ahead; the writes below still tell.
    }
    int failure = WriteAll(file.get(), bytes);
    if (failure == 0 && newSize < oldSize && ::ftruncate(file.get(), newSize) != 0)
        failure = errno;
    if (failure == 0 && ::fsync(file.get()) != 0)
        failure = errno;
    if (failure != 0) {
        if (canRestore && ::lseek(file.get(), 0, SEEK_SET) == 0) {
            const WriteFault fault = gFault;
            gFault = {};
            if (WriteAll(file.get(), old) == 0 && ::ftruncate(file.get(), oldSize) == 0)
                ::fsync(file.get());
            gFault = fault;
        }
        return FailErrno(error, "write", path, failure);
    }
    if (int closeFailure = file.Close())
        return FailErrno(error, "write", path, closeFailure);
    ++gCounts.writes;
    ++gCounts.inPlace;
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
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
    } else if (errno != ENOENT) {
        return FailErrno(error, "write", path, errno);
    }

    const std::string folderPath = FolderPrefix(target);
    const std::string name = target.substr(folderPath.size());
    bool canSyncFolder = true;
    FileDescriptor folder(OpenFolder(folderPath, canSyncFolder, code));
    if (folder.get() < 0)
        return FailErrno(error, "write", path, code);
    if (canSyncFolder)
        RemoveLeftovers(folder.get(), name);

    std::string temporary;
    // A new file gets the permissions a plain create would give (0666 less the umask).
    const int fd = CreateTemporary(folder.get(), name, exists ? 0600 : 0666, temporary, code);
    if (fd < 0) {
        if (WritesInPlaceAfter(code))
            return WriteInPlace(folder.get(), name, path, bytes, error);
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
    if (int failure = WriteAll(file.get(), bytes))
        return abandon(failure);
    if (::fsync(file.get()) != 0)
        return abandon(errno);
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
    // Until the folder reaches the disk, a power cut may bring the old file back. Some file
    // systems cannot flush a folder (EINVAL); there the rename is as safe as they make it.
    if (canSyncFolder && ::fsync(folder.get()) != 0 && errno != EINVAL)
        return FailErrno(error, "write", path, errno);
    ++gCounts.writes;
    if (canSyncFolder)
        ++gCounts.folderSyncs;
    return true;
}

}  // namespace files
