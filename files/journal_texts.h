// How the journal keeps its texts (configurations and initialization files): each distinct text
// once, in the table `blobs`, most of them as a line delta against the same kind of text of the
// entry before, and every so often whole, so that rebuilding any text takes a bounded number of
// steps. A text's size and hash are kept to find equal texts and to check a rebuilt one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/sqlite_access.h"

namespace files::journal_texts {

// A stored text that cannot be rebuilt: a damaged journal, not a failure of the moment.
class DamagedText : public sql::DbError {
  public:
    DamagedText() : DbError("a stored text of the journal is missing or damaged", SQLITE_CORRUPT) {}
};

// The text stored under `id`; throws DamagedText when it cannot be rebuilt.
std::string LoadText(sqlite3* db, std::int64_t id);

struct TextIds {
    std::int64_t config = 0;
    std::int64_t ini = 0;
};
// The ids of an entry's configuration and initialization file, each stored unless an equal text
// is there already; `entries` is the table whose newest entry's texts serve as delta bases.
TextIds StoreTexts(sqlite3* db, const std::string& configText, const std::string& iniBytes,
                   const char* entries);

}  // namespace files::journal_texts
