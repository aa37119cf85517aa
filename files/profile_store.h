// Keyed reading and writing of INI-style text files ("profiles"), as the settings files need it.
//
// The file is kept as its bytes, and every line that is not written stays byte for byte (line
// endings, blank and comment lines, 8-bit text, a byte-order mark). The rules:
// - Lines end at LF. White space is what the C library's isspace means in the "C" locale (blank,
//   tab, CR, VT, FF), so the CR of a CR LF line belongs to no name or value.
// - A section header is a line whose text, white space around it aside, starts with "[". Its name
//   runs from there to the first "]", as it is (blanks inside the brackets belong to it); whatever
//   follows ("[Option]  ; main options") is no part of it and stays as it is. A header without "]"
//   names the rest of its line.
// - A key line is any other line that holds "=" and does not start with ";" (after white space);
//   its key is the text before the first "=", its value the text after it, both without the white
//   space around them. Lines before the first header belong to no section.
// - Sections and keys match without regard to ASCII letter case; the first matching section, and
//   the first matching key in it, count for reading and writing alike.
// - A written line is the key as the caller spells it, "=", the value and CR LF. A missing key goes
//   right after its section's last key line (right after the header when there is none); a
//   missing section goes at the end of the file. A last line without a line break (LF) gets CR LF
//   before anything is added after it.
// A UTF-8 byte-order mark at the start of the file is kept, and is not part of the first line.
//
// Only header and key lines are noted apart from the bytes, eight bytes each (and eight more for a
// key line of a section looked up), so that even a hostile file of nothing but short headers or
// keys costs a few times its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "files/file_io.h"

class ProfileStore {
  public:
    // What the platform's profile read returns at most: a 256-byte buffer less its terminator.
    static constexpr std::size_t kMaxValueLength = 255;

    ProfileStore();  // an empty file
    // Throws std::length_error for 2 GiB or more, far beyond what Load reads.
    explicit ProfileStore(std::string bytes);

    // Reads the file at `path` (one read). Missing and Failed leave an empty store; `error` (when
    // not null) receives the reason.
    files::LoadStatus Load(const std::string& path, std::string* error = nullptr);

    // True when the file has a header of that section.
    bool HasSection(std::string_view section) const;

    // The value text of `key` in `section`, at most kMaxValueLength bytes; `defaultText` (cut to
    // that length too) when the section or the key is missing.
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultText) const;
    // The same, whole, however long the value is.
    std::string ReadWhole(std::string_view section, std::string_view key,
                          std::string_view defaultText) const;

    // Makes the key's line read key "=" value. A value is cut at its first line break, so that it
    // stays one line. Refused (false, nothing changed) when the section or key could not be read
    // back: a line break in either, a section holding "]", or a key holding "=" or starting with
    // ";" or "[".
    bool Write(std::string_view section, std::string_view key, std::string_view value);

    // The file as it stands now.
    std::string Bytes() const;
    // True once a write has changed a byte.
    bool Changed() const { return changed_; }
    // Replaces the file at `path` with Bytes() in one atomic write (files::WriteFileAtomically:
    // true with a text in `error` is a warning).
    bool Save(const std::string& path, std::string* error = nullptr) const;

  private:
    // A header or key line of the loaded bytes.
    struct Line {
        std::uint32_t begin : 31;  // offset in bytes_
        std::uint32_t header : 1;
        std::uint32_t end;  // one past its line break
    };
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // A section of the loaded bytes, noted when first looked up (the loaded lines never change).
    struct LoadedSection {
        std::string name;              // as first looked up
        std::uint32_t header = kNone;  // kNone: no such section in the loaded bytes
        std::uint32_t end = 0;         // index of the next header, or lines_.size()
        std::uint32_t lastLine = 0;    // its last key line, or the header: new keys go after it
        // Its key lines by the hash of their key, sorted, made on the first key lookup.
        bool indexed = false;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;
    };
    // A section added at the end: its header line, then its key lines.
    struct AddedSection {
        std::string name;
        std::vector<std::string> lines;
    };

    std::string_view LoadedText(std::uint32_t line) const;
    LoadedSection& FindLoaded(std::string_view section) const;
    std::size_t FindAdded(std::string_view section) const;  // index in addedSections_, or npos
    // The loaded key line of `key` in a loaded section, or kNone.
    std::uint32_t FindLoadedKey(LoadedSection& section, std::string_view key) const;
    // The present text of a key's line, if there is one.
    std::optional<std::string_view> KeyText(std::string_view section, std::string_view key) const;

    std::string bytes_;        // as loaded
    std::size_t start_ = 0;    // 3 when the bytes start with a byte-order mark
    std::vector<Line> lines_;  // the loaded header and key lines, in file order
    mutable std::vector<LoadedSection> loadedSections_;
    // Written lines: the new text of a loaded key line, and lines added after a loaded line.
    std::unordered_map<std::uint32_t, std::string> replaced_;
    std::unordered_map<std::uint32_t, std::vector<std::string>> added_;
    std::vector<AddedSection> addedSections_;
    bool changed_ = false;
};

// Loads the file at `path` and hands it to `apply`; false (with a reason in `error`) when the file
// is missing or cannot be read, and then `apply` does not run.
template <typename Apply>
bool ReadProfile(const std::string& path, std::string* error, Apply apply) {
    return files::FailingOnOutOfMemory("read", path, error, [&] {
        ProfileStore store;
        if (store.Load(path, error) != files::LoadStatus::Loaded)
            return false;
        apply(store);
        return true;
    });
}
