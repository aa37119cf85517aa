// Rollback copies of the files written in place, and the settling of the writes that were killed
// before they finished.
//
// A copy is one file in RollbackFolder() named after the identity of the file it keeps,
// "<device>-<inode>.rollback" in hexadecimal, so that a read or save of a file finds its copy with
// one look-up. It holds, in this order:
//   "tessaro-master rollback 1\n"
//   "path <length>\n" <the file's absolute path> "\n"
//   "identity <device> <inode> <size> <seconds> <nanoseconds>\n"   (before the write)
//   "old <length>\n" <the old bytes> "\n"
//   "new <length>\n" <the new bytes> "\n"
//   "check <FNV-1a 64 of all of the above, 16 hexadecimal digits>\n"
// A copy that does not read so (cut short by a kill while it was written) was never flushed, so
// no byte of its file was written yet: it is removed.
//
// A write in place writes the new bytes from the start, then cuts off the rest of a longer old
// file. Killed anywhere on the way, every byte of the file is the old or the new one at its place
// and its size lies between the two sizes; a file that holds anything else has been changed since,
// by someone else, and is left alone.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_io.h"
#include "files/file_io_posix.h"
#include "files/file_io_shared.h"

namespace files {
namespace detail {
namespace {

constexpr std::string_view kMagic = "tessaro-master rollback 1\n";
constexpr std::string_view kSuffix = ".rollback";

struct Record {
    std::string path;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    timespec time{};
    std::string old;
    std::string next;
};

std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

std::string Hex(std::uint64_t value, int width = 0) {
    char buffer[17];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
    std::string text(buffer, end);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

std::string CopyName(std::uint64_t device, std::uint64_t inode) {
    return Hex(device) + "-" + Hex(inode) + std::string(kSuffix);
}

bool IsCopyName(std::string_view name) {
    if (!name.ends_with(kSuffix))
        return false;
    name.remove_suffix(kSuffix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size())
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return c == '-' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

std::string Serialize(const std::string& path, const struct stat& info, std::string_view old,
                      std::string_view next) {
    std::string text(kMagic);
    text += "path " + std::to_string(path.size()) + "\n" + path + "\n";
    text += "identity " + std::to_string(info.st_dev) + " " + std::to_string(info.st_ino) + " " +
            std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + " " +
            std::to_string(info.st_mtim.tv_nsec) + "\n";
    text += "old " + std::to_string(old.size()) + "\n";
    text.append(old).append("\n");
    text += "new " + std::to_string(next.size()) + "\n";
    text.append(next).append("\n");
    text += "check " + Hex(Checksum(text), 16) + "\n";
    return text;
}

// Reads the copy's fields in order; every one must be there and well formed.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}
    bool Literal(std::string_view literal) {
        if (!text_.starts_with(literal))
            return false;
        text_.remove_prefix(literal.size());
        return true;
    }
    template <typename Number>
    bool Value(Number& value, char after) {
        const auto [end, ec] = std::from_chars(text_.data(), text_.data() + text_.size(), value);
        if (ec != std::errc() || end == text_.data() + text_.size() || *end != after)
            return false;
        text_.remove_prefix(static_cast<std::size_t>(end - text_.data()) + 1);
        return true;
    }
    // "<key> <length>\n" <bytes> "\n"
    bool Bytes(std::string_view key, std::string& bytes) {
        std::size_t length = 0;
        if (!Literal(key) || !Literal(" ") || !Value(length, '\n') || text_.size() <= length ||
            text_[length] != '\n')
            return false;
        bytes.assign(text_.substr(0, length));
        text_.remove_prefix(length + 1);
        return true;
    }
    std::size_t Consumed(std::string_view whole) const { return whole.size() - text_.size(); }
    bool AtEnd() const { return text_.empty(); }

  private:
    std::string_view text_;
};

std::optional<Record> Parse(std::string_view text) {
    Record r;
    Reader in(text);
    std::int64_t seconds = 0, nanoseconds = 0;
    if (!in.Literal(kMagic) || !in.Bytes("path", r.path) || !in.Literal("identity ") ||
        !in.Value(r.device, ' ') || !in.Value(r.inode, ' ') || !in.Value(r.size, ' ') ||
        !in.Value(seconds, ' ') || !in.Value(nanoseconds, '\n') || !in.Bytes("old", r.old) ||
        !in.Bytes("new", r.next))
        return std::nullopt;
    const std::uint64_t sum = Checksum(text.substr(0, in.Consumed(text)));
    std::uint64_t check = 0;
    const std::string_view rest = text.substr(in.Consumed(text));
    if (!rest.starts_with("check ") || rest.size() != 6 + 16 + 1 || rest.back() != '\n' ||
        std::from_chars(rest.data() + 6, rest.data() + 22, check, 16).ptr != rest.data() + 22 ||
        check != sum || r.size != r.old.size() || r.path.empty() || r.path[0] != '/')
        return std::nullopt;
    r.time.tv_sec = static_cast<time_t>(seconds);
    r.time.tv_nsec = static_cast<long>(nanoseconds);
    return r;
}

// Whether a write in place of `next` over `old`, killed anywhere, can have left `now`.
bool IsMixture(std::string_view now, std::string_view old, std::string_view next) {
    if (now.size() < std::min(old.size(), next.size()) ||
        now.size() > std::max(old.size(), next.size()))
        return false;
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (!(i < old.size() && now[i] == old[i]) && !(i < next.size() && now[i] == next[i]))
            return false;
    }
    return true;
}

// Makes the folder and the folders above it that are missing, for this user only.
bool MakeFolders(const std::string& folder, int& code) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            code = errno;
            return false;
        }
        if (slash == std::string::npos)
            return true;
    }
}

int OpenFolder(const std::string& folder) {
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Opens and locks the copy `name`; -1 when it is gone, or (with `busy`) held by a running save.
int OpenLockedCopy(int folder, const std::string& name, bool& busy) {
    busy = false;
    FileDescriptor copy(
        ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat mine, named;
    if (copy.get() < 0 || ::fstat(copy.get(), &mine) != 0 || !S_ISREG(mine.st_mode))
        return -1;
    if (::flock(copy.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        busy = true;
        return -1;
    }
    // Removed by the save or a settling that held it until now.
    if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        named.st_ino != mine.st_ino || named.st_dev != mine.st_dev)
        return -1;
    return copy.Release();
}

enum class Outcome { None, Busy, Settled };

// Settles the copy `name` in the open rollback folder `folder` (whose path is `folderPath`),
// adding what the user should be told to `messages` when given.
Outcome Settle(int folder, const std::string& folderPath, const std::string& name,
               std::vector<std::string>* messages) {
    bool busy = false;
    FileDescriptor copy(OpenLockedCopy(folder, name, busy));
    if (copy.get() < 0)
        return busy ? Outcome::Busy : Outcome::None;
    std::string text;
    std::optional<Record> record;
    if (ReadOpenFile(copy.get(), 2 * kMaxFileBytes + 65536, text))
        record = Parse(text);
    auto drop = [&] {
        ::unlinkat(folder, name.c_str(), 0);
        return Outcome::Settled;
    };
    if (!record)
        return drop();  // cut short while it was written: the file was not touched yet
    auto tell = [&](const std::string& what) {
        if (messages)
            messages->push_back("\"" + record->path + "\": a save of this file was interrupted" +
                                what);
    };
    auto keep = [&](const std::string& why) {
        tell(", and the bytes it held before could not be put back (" + why +
             "); they are kept in \"" + folderPath + "/" + name + "\" for the next start");
        return Outcome::Settled;
    };

    FileDescriptor file(
        ::open(record->path.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (file.get() < 0 && errno == ENOENT) {
        // Gone, or on a share that is not there now: asked again at the next start.
        return keep("the file cannot be found");
    }
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0)
        return keep(ErrorText(errno));
    std::string now;
    const bool same = S_ISREG(info.st_mode) && info.st_dev == record->device &&
                      info.st_ino == record->inode && ReadOpenFile(file.get(), kMaxFileBytes, now);
    if (same && now == record->next)
        return drop();  // the write had finished
    if (same && now == record->old) {
        // It had not begun, or had written what was there already.
        RestoreModificationTime(file.get(), record->time);
        return drop();
    }
    if (!same || !IsMixture(now, record->old, record->next)) {
        tell(", and the file has changed since; it was left as it is");
        return drop();
    }
    const WriteFault& fault = Fault();
    int failure = WriteAt(file.get(), record->old, 0,
                          fault.diskKeepsFailing ? std::optional<std::size_t>(0) : std::nullopt);
    if (::ftruncate(file.get(), static_cast<off_t>(record->old.size())) != 0 && failure == 0)
        failure = errno;
    if (failure == 0)
        failure = FlushTo(file.get(), Flush::File);
    if (failure != 0)
        return keep(ErrorText(failure));
    RestoreModificationTime(file.get(), record->time);
    tell("; the bytes it held before were put back");
    return drop();
}

}  // namespace

bool RollbackCopy::Keep(const std::string& path, const struct stat& info, std::string_view old,
                        std::string_view next, std::string& why) {
    folder_ = RollbackFolder();
    if (folder_.empty()) {
        why = "no folder to keep its old bytes in while it is written in place (HOME is not set)";
        return false;
    }
    auto fail = [&](int code) {
        why = "its old bytes cannot be kept in \"" + folder_ + "\" while it is written in place (" +
              ErrorText(code) + ")";
        return false;
    };
    int code = 0;
    if (!MakeFolders(folder_, code))
        return fail(code);
    folderFd_.Reset(OpenFolder(folder_));
    if (folderFd_.get() < 0)
        return fail(errno);
    name_ = CopyName(info.st_dev, info.st_ino);
    const std::string text = Serialize(path, info, old, next);
    for (int attempt = 0; attempt < 3; ++attempt) {
        copy_.Reset(::openat(folderFd_.get(), name_.c_str(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (copy_.get() < 0) {
            if (errno != EEXIST)
                return fail(errno);
            // A copy nobody holds is what a killed save of this file left: settle it first.
            if (Settle(folderFd_.get(), folder_, name_, nullptr) == Outcome::Busy) {
                why = "another save of this file is under way";
                return false;
            }
            continue;
        }
        struct stat mine, named;
        if (::flock(copy_.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            continue;  // a settling took the empty file for a torn copy and removes it
        if (::fstat(copy_.get(), &mine) != 0 ||
            ::fstatat(folderFd_.get(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            mine.st_ino != named.st_ino || mine.st_dev != named.st_dev)
            continue;
        code = WriteAt(copy_.get(), text, 0, std::nullopt);
        if (code == 0)
            code = FlushTo(copy_.get(), Flush::Rollback);
        if (code == 0)
            code = FlushTo(folderFd_.get(), Flush::Rollback);
        if (code != 0) {
            Drop();
            return fail(code);
        }
        return true;
    }
    copy_.Reset(-1);
    return fail(EEXIST);
}

void RollbackCopy::Drop() {
    if (copy_.get() < 0)
        return;
    // Left unflushed: should a power cut bring the copy back, it finds the file whole and goes.
    ::unlinkat(folderFd_.get(), name_.c_str(), 0);
    copy_.Reset(-1);
}

bool SettleCopyOf(dev_t device, ino_t inode, std::string& why) {
    const std::string folderPath = RollbackFolder();
    if (folderPath.empty())
        return true;
    const std::string name = CopyName(device, inode);
    struct stat info;
    if (::stat((folderPath + "/" + name).c_str(), &info) != 0)
        return true;  // the common case: one look-up
    FileDescriptor folder(OpenFolder(folderPath));
    if (folder.get() < 0)
        return true;
    if (Settle(folder.get(), folderPath, name, nullptr) == Outcome::Busy) {
        why = "another save of this file is under way";
        return false;
    }
    return true;
}

}  // namespace detail

std::vector<std::string> RecoverInterruptedSaves() {
    std::vector<std::string> messages;
    const std::string folderPath = RollbackFolder();
    if (folderPath.empty())
        return messages;
    detail::FileDescriptor folder(detail::OpenFolder(folderPath));
    if (folder.get() < 0)
        return messages;
    std::vector<std::string> names;
    const int listing = ::dup(folder.get());
    DIR* entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return messages;
    }
    while (const dirent* entry = ::readdir(entries)) {
        if (detail::IsCopyName(entry->d_name))
            names.emplace_back(entry->d_name);
    }
    ::closedir(entries);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        detail::Settle(folder.get(), folderPath, name, &messages);
    return messages;
}

}  // namespace files
