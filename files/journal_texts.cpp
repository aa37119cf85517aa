#include "files/journal_texts.h"

#include <string_view>
#include <vector>

#include "files/line_delta.h"

namespace files::journal_texts {

using sql::Statement;

namespace {

// A text is stored whole again after this many deltas in a row, so that reading any text back
// rebuilds it from at most this many.
constexpr int kMaxDeltaDepth = 64;

std::int64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return static_cast<std::int64_t>(hash);
}

}  // namespace

// A stored text whole again: its chain of deltas followed back to a whole text and replayed.
std::string LoadText(sqlite3* db, std::int64_t id) {
    Statement read(db, "SELECT base, data, size, hash FROM blobs WHERE id = ?1");
    std::vector<std::string> deltas;
    std::int64_t size = -1;
    std::int64_t hash = 0;
    for (std::int64_t next = id;;) {
        read.Bind(1, next);
        if (!read.Step() || deltas.size() > kMaxDeltaDepth)
            throw DamagedText();
        if (size < 0) {
            size = read.Int(2);
            hash = read.Int(3);
        }
        deltas.push_back(read.Bytes(1));
        const bool whole = read.IsNull(0);
        next = read.Int(0);
        read.Reset();
        if (whole)
            break;
    }
    std::string text = std::move(deltas.back());
    for (std::size_t i = deltas.size() - 1; i-- > 0;) {
        std::optional<std::string> rebuilt = files::ApplyLineDelta(text, deltas[i]);
        if (!rebuilt)
            throw DamagedText();
        text = std::move(*rebuilt);
    }
    if (static_cast<std::int64_t>(text.size()) != size || Fnv1a(text) != hash)
        throw DamagedText();
    return text;
}

namespace {

// A damaged text in an old entry does not stop new entries: it is equal to nothing, and no base.
bool LoadTextIfWhole(sqlite3* db, std::int64_t id, std::string& text) {
    try {
        text = LoadText(db, id);
        return true;
    } catch (const DamagedText&) {
        return false;
    }
}

bool EqualText(sqlite3* db, std::int64_t id, const std::string& bytes) {
    std::string text;
    return LoadTextIfWhole(db, id, text) && text == bytes;
}

// The id of a stored text equal to `bytes`, stored now if there is none: as a delta against
// `base` (the same kind of text of the entry before) where that is shorter.
std::int64_t StoreText(sqlite3* db, const std::string& bytes, std::optional<std::int64_t> base) {
    const std::int64_t hash = Fnv1a(bytes);
    const auto size = static_cast<std::int64_t>(bytes.size());
    {
        Statement same(db, "SELECT id FROM blobs WHERE hash = ?1 AND size = ?2");
        same.Bind(1, hash).Bind(2, size);
        while (same.Step()) {
            if (EqualText(db, same.Int(0), bytes))
                return same.Int(0);
        }
    }

    std::optional<std::string> data;
    int depth = 0;
    if (base) {
        Statement read(db, "SELECT depth FROM blobs WHERE id = ?1");
        read.Bind(1, *base);
        std::string baseText;
        if (read.Step() && read.Int(0) < kMaxDeltaDepth && LoadTextIfWhole(db, *base, baseText)) {
            std::string delta = files::LineDelta(baseText, bytes);
            // Kept only when it is shorter and gives the bytes back exactly.
            if (delta.size() < bytes.size() && files::ApplyLineDelta(baseText, delta) == bytes) {
                data = std::move(delta);
                depth = static_cast<int>(read.Int(0)) + 1;
            }
        }
    }
    Statement insert(
        db, "INSERT INTO blobs (hash, size, base, depth, data) VALUES (?1, ?2, ?3, ?4, ?5)");
    insert.Bind(1, hash).Bind(2, size).Bind(4, depth);
    if (data)
        insert.Bind(3, *base).BindBytes(5, data);
    else
        insert.BindBytes(3, std::nullopt).BindBytes(5, bytes);
    insert.Step();
    return sqlite3_last_insert_rowid(db);
}

// The texts of the newest entry: the bases of the next entry's deltas.
std::optional<TextIds> NewestTexts(sqlite3* db, const char* table) {
    Statement newest(db, std::string("SELECT config_blob, ini_blob FROM ") + table +
                             " ORDER BY id DESC LIMIT 1");
    if (!newest.Step())
        return std::nullopt;
    return TextIds{newest.Int(0), newest.Int(1)};
}

}  // namespace

TextIds StoreTexts(sqlite3* db, const std::string& configText, const std::string& iniBytes,
                   const char* table) {
    const std::optional<TextIds> before = NewestTexts(db, table);
    TextIds ids;
    ids.config = StoreText(db, configText, before ? std::optional(before->config) : std::nullopt);
    ids.ini = StoreText(db, iniBytes, before ? std::optional(before->ini) : std::nullopt);
    return ids;
}

}  // namespace files::journal_texts
