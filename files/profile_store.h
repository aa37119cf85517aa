// Keyed reading and writing of INI-style text files ("profiles"), as the settings files need it.
//
// The file is kept as its lines, as bytes, and every line that is not written stays byte for byte
// (line endings, blank and comment lines, 8-bit text, a byte-order mark). The rules:
// - Lines end at LF. White space is what the C library's isspace means in the "C" locale (blank,
//   tab, CR, VT, FF), so the CR of a CR LF line belongs to no name or value.
// - A section header is a line "[name]", white space around it allowed; the name is the text
//   between the brackets, as it is.
// - A key line holds "=" and does not start with ";" (after white space); its key is the text
//   before the first "=", its value the text after it, both without the white space around them.
//   Lines before the first header belong to no section.
// - Sections and keys match without regard to ASCII letter case; the first matching section, and
//   the first matching key in it, count for reading and writing alike.
// - A written line is the key as the caller spells it, "=", the value and CR LF. A missing key goes
//   right after its section's last key line (right after the header when there is none); a
//   missing section goes at the end of the file. A last line without a line break (LF) gets CR LF
//   before anything is added after it.
// A UTF-8 byte-order mark at the start of the file is kept, and is not part of the first line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/file_io.h"

class ProfileStore {
  public:
    // What the platform's profile read returns at most: a 256-byte buffer less its terminator.
    static constexpr std::size_t kMaxValueLength = 255;

    ProfileStore();  // an empty file
    explicit ProfileStore(std::string bytes);

    enum class LoadResult { Loaded, Missing, Failed };
    // Reads the file at `path` (one read). Missing and Failed leave an empty store; `error` (when
    // not null) receives the reason.
    LoadResult Load(const std::string& path, std::string* error = nullptr);

    // The value text of `key` in `section`, at most kMaxValueLength bytes; `defaultText` (cut to
    // that length too) when the section or the key is missing.
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultText) const;
    // The same, whole, however long the value is.
    std::string ReadWhole(std::string_view section, std::string_view key,
                          std::string_view defaultText) const;

    // Makes the key's line read key "=" value. A value is cut at its first line break, so that it
    // stays one line. Refused (false, nothing changed) when the section or key could not be read
    // back: a line break in either, or a key holding "=" or starting with ";" or "[".
    bool Write(std::string_view section, std::string_view key, std::string_view value);

    // The file as it stands now.
    std::string Bytes() const;
    // True once a write has changed a byte.
    bool Changed() const { return changed_; }
    // Replaces the file at `path` with Bytes() in one atomic write.
    bool Save(const std::string& path, std::string* error = nullptr) const;

  private:
    enum class LineKind : std::uint8_t { Other, Header, Key };
    struct Line {
        std::uint32_t chunk;  // index into chunks_
        LineKind kind;
        std::size_t begin;  // offset in the chunk
        std::size_t size;   // bytes, line break included
    };
    // A section: its header line first. Block 0 holds the lines before the first header.
    struct Block {
        std::vector<Line> lines;
        std::size_t lastKey = kNone;  // index of the last key line
        // Lower-cased key -> index of its first line, built when the section is first searched.
        // Key lines never move: new lines go after the last one.
        mutable bool indexed = false;
        mutable std::unordered_map<std::string, std::size_t> keys;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    struct Parsed {
        LineKind kind = LineKind::Other;
        std::string_view name;   // header name or key
        std::string_view value;  // key lines
    };
    static Parsed ParseLine(std::string_view text);

    std::string_view Text(const Line& line) const;
    Parsed Parse(const Line& line) const;
    Line AddChunk(std::string text);
    void SetText(Line& line, std::string text);  // a chunk of the line's own
    std::size_t FindSection(std::string_view section) const;
    std::size_t FindKey(const Block& block, std::string_view key) const;
    const Line* FindLine(std::string_view section, std::string_view key) const;
    void EnsureLineBreak(Line& line);
    Line* LastLine();

    // chunks_[0]: the bytes as loaded; every line written since has a chunk of its own.
    std::vector<std::string> chunks_;
    bool byteOrderMark_ = false;  // the loaded bytes start with one, kept outside the first line
    std::vector<Block> blocks_;
    // Lower-cased section name -> index of its first block, built on the first search.
    mutable bool sectionsIndexed_ = false;
    mutable std::unordered_map<std::string, std::size_t> sections_;
    bool changed_ = false;
};

// Loads the file at `path` and hands it to `apply`; false (with a reason in `error`) when the file
// is missing or cannot be read, and then `apply` does not run.
template <typename Apply>
bool ReadProfile(const std::string& path, std::string* error, Apply apply) {
    return files::FailingOnOutOfMemory("read", path, error, [&] {
        ProfileStore store;
        if (store.Load(path, error) != ProfileStore::LoadResult::Loaded)
            return false;
        apply(store);
        return true;
    });
}
