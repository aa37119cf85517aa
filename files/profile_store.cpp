#include "files/profile_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/digits.h"
#include "files/file_io.h"
#include "files/file_text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using files::TrimWhiteSpace;

enum class LineKind { Other, Header, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // header name or key
    std::string_view value;  // key lines
};

ParsedLine ParseLine(std::string_view text) {
    // The line break is white space like any other.
    const std::string_view trimmed = TrimWhiteSpace(text);
    if (trimmed.starts_with('[')) {
        const std::string_view inside = trimmed.substr(1);
        return {LineKind::Header, inside.substr(0, inside.find(']')), {}};
    }
    if (trimmed.starts_with(';'))
        return {};
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {LineKind::Key, TrimWhiteSpace(text.substr(0, equals)),
            TrimWhiteSpace(text.substr(equals + 1))};
}

// FNV-1a of the name in lower case.
std::uint32_t NameHash(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (char c : name)
        hash = (hash ^ static_cast<unsigned char>(LowerAscii(c))) * 16777619u;
    return hash;
}

// Calls `line(begin, end)` for every line of `data` from `begin` on; `end` is past its LF.
template <typename OnLine>
void ForEachLine(std::string_view data, std::size_t begin, OnLine line) {
    while (begin < data.size()) {
        const void* lineFeed = std::memchr(data.data() + begin, '\n', data.size() - begin);
        const std::size_t end =
            lineFeed
                ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - data.data()) + 1
                : data.size();
        line(begin, end);
        begin = end;
    }
}

// Appends a written line, first ending the last line when it has no line break.
void AppendLine(std::string& out, std::size_t start, std::string_view line) {
    if (out.size() > start && out.back() != '\n')
        out += "\r\n";
    out += line;
}

}  // namespace

ProfileStore::ProfileStore() : ProfileStore(std::string()) {}

ProfileStore::ProfileStore(std::string bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() >= (std::size_t{1} << 31))
        throw std::length_error("a profile of 2 GiB or more");
    const std::string_view data(bytes_);
    if (data.starts_with(kByteOrderMark))
        start_ = kByteOrderMark.size();
    // Counted first, so that the list takes no more memory than it needs.
    std::size_t count = 0;
    ForEachLine(data, start_, [&](std::size_t begin, std::size_t end) {
        if (ParseLine(data.substr(begin, end - begin)).kind != LineKind::Other)
            ++count;
    });
    lines_.reserve(count);
    ForEachLine(data, start_, [&](std::size_t begin, std::size_t end) {
        const LineKind kind = ParseLine(data.substr(begin, end - begin)).kind;
        if (kind != LineKind::Other) {
            lines_.push_back(Line{static_cast<std::uint32_t>(begin), kind == LineKind::Header,
                                  static_cast<std::uint32_t>(end)});
        }
    });
}

files::LoadStatus ProfileStore::Load(const std::string& path, std::string* error) {
    std::string bytes;
    const files::LoadStatus status = files::ReadWholeFile(path, bytes, error);
    *this = ProfileStore(std::move(bytes));
    return status;
}

std::string_view ProfileStore::LoadedText(std::uint32_t line) const {
    const Line& l = lines_[line];
    return std::string_view(bytes_).substr(l.begin, l.end - l.begin);
}

ProfileStore::LoadedSection& ProfileStore::FindLoaded(std::string_view section) const {
    for (LoadedSection& known : loadedSections_) {
        if (SameIgnoringAsciiCase(known.name, section))
            return known;
    }
    LoadedSection found;
    found.name = section;
    const auto count = static_cast<std::uint32_t>(lines_.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        if (lines_[i].header && SameIgnoringAsciiCase(ParseLine(LoadedText(i)).name, section)) {
            found.header = found.lastLine = i;
            found.end = i + 1;
            for (; found.end < count && !lines_[found.end].header; ++found.end)
                found.lastLine = found.end;
            break;
        }
    }
    loadedSections_.push_back(std::move(found));
    return loadedSections_.back();
}

std::size_t ProfileStore::FindAdded(std::string_view section) const {
    for (std::size_t i = 0; i < addedSections_.size(); ++i) {
        if (SameIgnoringAsciiCase(addedSections_[i].name, section))
            return i;
    }
    return std::string::npos;
}

std::uint32_t ProfileStore::FindLoadedKey(LoadedSection& section, std::string_view key) const {
    if (!section.indexed) {
        section.keys.reserve(section.end - section.header - 1);
        for (std::uint32_t i = section.header + 1; i < section.end; ++i)
            section.keys.emplace_back(NameHash(ParseLine(LoadedText(i)).name), i);
        std::sort(section.keys.begin(), section.keys.end());
        section.indexed = true;
    }
    key = TrimWhiteSpace(key);
    const std::uint32_t hash = NameHash(key);
    const auto first = std::lower_bound(section.keys.begin(), section.keys.end(),
                                        std::pair<std::uint32_t, std::uint32_t>(hash, 0));
    for (auto it = first; it != section.keys.end() && it->first == hash; ++it) {
        if (SameIgnoringAsciiCase(ParseLine(LoadedText(it->second)).name, key))
            return it->second;
    }
    return kNone;
}

namespace {

// The first of `lines` from `first` on whose key is `key`, or null.
template <typename Lines>
auto FindAddedKey(Lines& lines, std::size_t first, std::string_view key) {
    key = TrimWhiteSpace(key);
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (SameIgnoringAsciiCase(ParseLine(lines[i]).name, key))
            return &lines[i];
    }
    return static_cast<decltype(&lines[0])>(nullptr);
}

}  // namespace

std::optional<std::string_view> ProfileStore::KeyText(std::string_view section,
                                                      std::string_view key) const {
    LoadedSection& loaded = FindLoaded(section);
    if (loaded.header != kNone) {
        const std::uint32_t line = FindLoadedKey(loaded, key);
        if (line != kNone) {
            const auto replaced = replaced_.find(line);
            return replaced != replaced_.end() ? std::string_view(replaced->second)
                                               : LoadedText(line);
        }
        const auto added = added_.find(loaded.lastLine);
        if (added == added_.end())
            return std::nullopt;
        if (const std::string* text = FindAddedKey(added->second, 0, key))
            return *text;
        return std::nullopt;
    }
    const std::size_t s = FindAdded(section);
    if (s == std::string::npos)
        return std::nullopt;
    if (const std::string* text = FindAddedKey(addedSections_[s].lines, 1, key))
        return *text;
    return std::nullopt;
}

bool ProfileStore::HasSection(std::string_view section) const {
    return FindLoaded(section).header != kNone || FindAdded(section) != std::string::npos;
}

std::string ProfileStore::Read(std::string_view section, std::string_view key,
                               std::string_view defaultText) const {
    std::string text = ReadWhole(section, key, defaultText);
    if (text.size() > kMaxValueLength)
        text.resize(kMaxValueLength);
    return text;
}

std::string ProfileStore::ReadWhole(std::string_view section, std::string_view key,
                                    std::string_view defaultText) const {
    const std::optional<std::string_view> text = KeyText(section, key);
    return std::string(text ? ParseLine(*text).value : defaultText);
}

bool ProfileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view keyName = TrimWhiteSpace(key);
    if (section.find_first_of("\n]") != std::string_view::npos ||
        key.find_first_of("\n=") != std::string_view::npos || keyName.starts_with(';') ||
        keyName.starts_with('[')) {
        return false;
    }
    value = value.substr(0, value.find('\n'));
    std::string text;
    text.reserve(key.size() + value.size() + 3);
    text.append(key).append("=").append(value).append("\r\n");

    // Sets `line` to the text unless it reads so already.
    auto replace = [&](std::string& line) {
        if (line != text) {
            line = std::move(text);
            changed_ = true;
        }
        return true;
    };

    LoadedSection& loaded = FindLoaded(section);
    if (loaded.header != kNone) {
        const std::uint32_t line = FindLoadedKey(loaded, key);
        if (line != kNone) {
            const auto replaced = replaced_.find(line);
            if (replaced != replaced_.end())
                return replace(replaced->second);
            if (LoadedText(line) == text)
                return true;
            replaced_.emplace(line, std::move(text));
            changed_ = true;
            return true;
        }
        std::vector<std::string>& added = added_[loaded.lastLine];
        if (std::string* existing = FindAddedKey(added, 0, key))
            return replace(*existing);
        added.push_back(std::move(text));
        changed_ = true;
        return true;
    }

    const std::size_t s = FindAdded(section);
    if (s == std::string::npos) {
        std::string header("[");
        header.append(section).append("]\r\n");
        addedSections_.push_back({std::string(section), {std::move(header), std::move(text)}});
        changed_ = true;
        return true;
    }
    std::vector<std::string>& lines = addedSections_[s].lines;
    if (std::string* existing = FindAddedKey(lines, 1, key))
        return replace(*existing);
    lines.push_back(std::move(text));
    changed_ = true;
    return true;
}

std::string ProfileStore::Bytes() const {
    // The written lines in file order; the loaded bytes between them are copied whole.
    std::vector<std::uint32_t> written;
    written.reserve(replaced_.size() + added_.size());
    std::size_t size = bytes_.size();
    for (const auto& [line, text] : replaced_) {
        written.push_back(line);
        size += text.size();
    }
    for (const auto& [line, texts] : added_) {
        if (!replaced_.contains(line))
            written.push_back(line);
        for (const std::string& text : texts)
            size += text.size() + 2;
    }
    for (const AddedSection& section : addedSections_) {
        for (const std::string& text : section.lines)
            size += text.size() + 2;
    }
    std::sort(written.begin(), written.end());

    std::string out;
    out.reserve(size);
    out.append(bytes_, 0, start_);
    std::size_t copied = start_;
    for (const std::uint32_t line : written) {
        const Line& l = lines_[line];
        if (const auto replaced = replaced_.find(line); replaced != replaced_.end()) {
            out.append(bytes_, copied, l.begin - copied).append(replaced->second);
        } else {
            out.append(bytes_, copied, l.end - copied);
        }
        copied = l.end;
        if (const auto added = added_.find(line); added != added_.end()) {
            for (const std::string& text : added->second)
                AppendLine(out, start_, text);
        }
    }
    out.append(bytes_, copied);
    for (const AddedSection& section : addedSections_) {
        for (const std::string& text : section.lines)
            AppendLine(out, start_, text);
    }
    return out;
}

bool ProfileStore::Save(const std::string& path, std::string* error) const {
    return files::WriteFileAtomically(path, Bytes(), error);
}
