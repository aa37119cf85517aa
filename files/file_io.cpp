#include "files/file_io.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace files {
namespace {

WriteFault gFault;
FileOperationCounts gCounts;

// strerror follows LC_MESSAGES, which Qt takes from the environment; the reason stays English.
std::string ErrorText(int error) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (cLocale != locale_t{})
        return strerror_l(error, cLocale);
    return "error " + std::to_string(error);
}

bool Fail(std::string* error, const char* verb, const std::string& path, const std::string& why) {
    if (error)
        *error = std::string("cannot ") + verb + " \"" + path + "\": " + why;
    return false;
}

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
    static unsigned counter = 0;
    unsigned long long seed = static_cast<unsigned long long>(
                                  std::chrono::steady_clock::now().time_since_epoch().count()) ^
                              (static_cast<unsigned long long>(::getpid()) << 32) ^
                              (++counter * 0x9E3779B97F4A7C15ull);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix += kLetters[seed % 36];
        seed /= 36;
    }
    return suffix;
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

void SetWriteFaultForTesting(const WriteFault& fault) {
    gFault = fault;
}

FileOperationCounts& FileOperationCountsForTesting() {
    return gCounts;
}

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    bytes.clear();
    // Non-blocking, so that a FIFO in place of the file cannot hang the program.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        const int code = errno;
        FailErrno(error, "read", path, code);
        return code == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    ++gCounts.reads;
    struct stat info;
    if (::fstat(file.get(), &info) != 0) {
        FailErrno(error, "read", path, errno);
        return ReadStatus::Failed;
    }
    if (S_ISDIR(info.st_mode)) {
        FailErrno(error, "read", path, EISDIR);
        return ReadStatus::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        Fail(error, "read", path, "not a regular file");
        return ReadStatus::Failed;
    }
    if (static_cast<std::size_t>(info.st_size) > kMaxFileBytes) {
        Fail(error, "read", path, "file too large");
        return ReadStatus::Failed;
    }
    // The size is a hint: the file may change while it is read, so read until the end.
    std::string data(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == data.size()) {
            if (data.size() > kMaxFileBytes) {
                Fail(error, "read", path, "file too large");
                return ReadStatus::Failed;
            }
            data.resize(data.size() * 2);
        }
        ssize_t n = ::read(file.get(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FailErrno(error, "read", path, errno);
            return ReadStatus::Failed;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    bytes = std::move(data);
    return ReadStatus::Ok;
}

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

    const std::string folder = FolderPrefix(target);
    // A name near the 255-byte limit must still leave room for the temporary file's name.
    const std::string base = target.substr(folder.size(), 200);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "." + base + ".tmp" + UniqueSuffix();
        // A new file gets the permissions a plain create would give (0666 less the umask).
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                    exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return FailErrno(error, "write", path, errno);
    }
    if (fd < 0)
        return FailErrno(error, "write", path, EEXIST);
    FileDescriptor file(fd);
    bool keepTemporary = false;
    auto abandon = [&](int failure) {
        if (!keepTemporary)
            ::unlink(temporary.c_str());
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

    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon(errno);
    // The folder is not synced (as Qt's QSaveFile does not): the rename reaches the disk with the
    // file system's next commit, and until then a crash leaves the old file, whole.
    ++gCounts.writes;
    return true;
}

}  // namespace files
