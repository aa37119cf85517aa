#include "files/profile_store.h"

#include <cstring>
#include <utility>

#include "files/file_io.h"
#include "files/file_text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using files::TrimWhiteSpace;

// Letter case is folded for ASCII only: other bytes belong to a code page we do not know.
std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace

ProfileStore::ProfileStore() : ProfileStore(std::string()) {}

ProfileStore::ProfileStore(std::string bytes) {
    chunks_.push_back(std::move(bytes));
    blocks_.emplace_back();
    const std::string& data = chunks_[0];
    std::size_t begin = 0;
    if (std::string_view(data).starts_with(kByteOrderMark)) {
        byteOrderMark_ = true;
        begin = kByteOrderMark.size();
    }
    while (begin < data.size()) {
        const void* lineFeed = std::memchr(data.data() + begin, '\n', data.size() - begin);
        const std::size_t end =
            lineFeed
                ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - data.data()) + 1
                : data.size();
        Line line{0, LineKind::Other, begin, end - begin};
        line.kind = Parse(line).kind;
        if (line.kind == LineKind::Header)
            blocks_.emplace_back();
        Block& block = blocks_.back();
        if (line.kind == LineKind::Key)
            block.lastKey = block.lines.size();
        block.lines.push_back(line);
        begin = end;
    }
}

ProfileStore::LoadResult ProfileStore::Load(const std::string& path, std::string* error) {
    std::string bytes;
    const files::ReadStatus status = files::ReadWholeFile(path, bytes, error);
    *this = ProfileStore(std::move(bytes));
    switch (status) {
        case files::ReadStatus::Ok:
            return LoadResult::Loaded;
        case files::ReadStatus::Missing:
            return LoadResult::Missing;
        case files::ReadStatus::Failed:
            break;
    }
    return LoadResult::Failed;
}

ProfileStore::Parsed ProfileStore::ParseLine(std::string_view text) {
    // The line break is white space like any other.
    const std::string_view trimmed = TrimWhiteSpace(text);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']')
        return {LineKind::Header, trimmed.substr(1, trimmed.size() - 2), {}};
    if (trimmed.starts_with(';'))
        return {};
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {LineKind::Key, TrimWhiteSpace(text.substr(0, equals)),
            TrimWhiteSpace(text.substr(equals + 1))};
}

std::string_view ProfileStore::Text(const Line& line) const {
    return std::string_view(chunks_[line.chunk]).substr(line.begin, line.size);
}

ProfileStore::Parsed ProfileStore::Parse(const Line& line) const {
    return ParseLine(Text(line));
}

ProfileStore::Line ProfileStore::AddChunk(std::string text) {
    const LineKind kind = ParseLine(text).kind;
    const std::size_t size = text.size();
    chunks_.push_back(std::move(text));
    return Line{static_cast<std::uint32_t>(chunks_.size() - 1), kind, 0, size};
}

std::size_t ProfileStore::FindSection(std::string_view section) const {
    if (!sectionsIndexed_) {
        for (std::size_t b = 1; b < blocks_.size(); ++b)
            sections_.try_emplace(Lower(Parse(blocks_[b].lines[0]).name), b);
        sectionsIndexed_ = true;
    }
    const auto found = sections_.find(Lower(section));
    return found == sections_.end() ? kNone : found->second;
}

std::size_t ProfileStore::FindKey(const Block& block, std::string_view key) const {
    if (!block.indexed) {
        for (std::size_t i = 1; i < block.lines.size(); ++i) {
            if (block.lines[i].kind == LineKind::Key)
                block.keys.try_emplace(Lower(Parse(block.lines[i]).name), i);
        }
        block.indexed = true;
    }
    const auto found = block.keys.find(Lower(TrimWhiteSpace(key)));
    return found == block.keys.end() ? kNone : found->second;
}

const ProfileStore::Line* ProfileStore::FindLine(std::string_view section,
                                                 std::string_view key) const {
    const std::size_t b = FindSection(section);
    if (b == kNone)
        return nullptr;
    const std::size_t k = FindKey(blocks_[b], key);
    return k == kNone ? nullptr : &blocks_[b].lines[k];
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
    const Line* line = FindLine(section, key);
    return std::string(line ? Parse(*line).value : defaultText);
}

void ProfileStore::SetText(Line& line, std::string text) {
    if (line.chunk == 0) {
        line = AddChunk(std::move(text));
        return;
    }
    line.kind = ParseLine(text).kind;
    line.size = text.size();
    chunks_[line.chunk] = std::move(text);
}

void ProfileStore::EnsureLineBreak(Line& line) {
    const std::string_view text = Text(line);
    if (text.ends_with('\n'))
        return;
    std::string ended(text);
    ended += "\r\n";
    SetText(line, std::move(ended));
}

ProfileStore::Line* ProfileStore::LastLine() {
    for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
        if (!block->lines.empty())
            return &block->lines.back();
    }
    return nullptr;
}

bool ProfileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view keyName = TrimWhiteSpace(key);
    if (section.find('\n') != std::string_view::npos || key.find('\n') != std::string_view::npos ||
        key.find('=') != std::string_view::npos || keyName.starts_with(';') ||
        keyName.starts_with('[')) {
        return false;
    }
    value = value.substr(0, value.find('\n'));
    std::string text;
    text.reserve(key.size() + value.size() + 3);
    text.append(key).append("=").append(value).append("\r\n");

    const std::size_t b = FindSection(section);
    if (b == kNone) {
        if (Line* last = LastLine())
            EnsureLineBreak(*last);
        std::string header("[");
        header.append(section).append("]\r\n");
        Block block;
        block.lines.push_back(AddChunk(std::move(header)));
        block.lines.push_back(AddChunk(std::move(text)));
        block.lastKey = 1;
        blocks_.push_back(std::move(block));
        if (sectionsIndexed_)
            sections_.try_emplace(Lower(section), blocks_.size() - 1);
        changed_ = true;
        return true;
    }

    Block& block = blocks_[b];
    const std::size_t k = FindKey(block, key);
    if (k != kNone) {
        Line& line = block.lines[k];
        if (Text(line) == text)
            return true;
        SetText(line, std::move(text));
        changed_ = true;
        return true;
    }

    const std::size_t at = block.lastKey == kNone ? 1 : block.lastKey + 1;
    EnsureLineBreak(block.lines[at - 1]);
    block.lines.insert(block.lines.begin() + static_cast<std::ptrdiff_t>(at),
                       AddChunk(std::move(text)));
    block.lastKey = at;
    if (block.indexed)
        block.keys.try_emplace(Lower(keyName), at);
    changed_ = true;
    return true;
}

std::string ProfileStore::Bytes() const {
    std::size_t size = byteOrderMark_ ? kByteOrderMark.size() : 0;
    for (const Block& block : blocks_) {
        for (const Line& line : block.lines)
            size += line.size;
    }
    std::string bytes;
    bytes.reserve(size);
    if (byteOrderMark_)
        bytes.append(kByteOrderMark);
    for (const Block& block : blocks_) {
        for (const Line& line : block.lines)
            bytes.append(Text(line));
    }
    return bytes;
}

bool ProfileStore::Save(const std::string& path, std::string* error) const {
    return files::WriteFileAtomically(path, Bytes(), error);
}
