// The journal in a build without SQLite (the Windows cross-build, for which no SQLite package
// exists): every write goes on as it would, and asking for the journal says why there is none.
#include "files/journal.h"

#include "files/file_io_shared.h"

namespace {

constexpr const char* kUnavailable = "the journal is not available in this build";

}  // namespace

struct Journal::Impl {};

bool JournalAvailable() {
    return false;
}

Journal::Journal(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Journal::~Journal() = default;

std::unique_ptr<Journal> Journal::Open(const std::string& path, Access access, std::string* error,
                                       int) {
    files::detail::Fail(error, access == Access::Append ? "write" : "read", path, kUnavailable);
    return nullptr;
}

std::optional<std::int64_t> Journal::Append(const JournalRecord&, std::string* error) {
    if (error)
        *error = kUnavailable;
    return std::nullopt;
}

bool Journal::List(const JournalQuery&, std::vector<JournalSummary>& entries, std::string* error) {
    entries.clear();
    if (error)
        *error = kUnavailable;
    return false;
}

std::optional<JournalEntry> Journal::Get(std::int64_t, std::string* error) {
    if (error)
        *error = kUnavailable;
    return std::nullopt;
}

std::optional<std::int64_t> AppendToJournal(const std::string& path, const JournalRecord&,
                                            std::string* error) {
    files::detail::Fail(error, "write", path, kUnavailable);
    return std::nullopt;
}
