#include "files/line_delta.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "files/text_diff.h"

namespace files {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t feed = text.find('\n', begin);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        lines.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

void PutNumber(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

std::optional<std::uint64_t> TakeNumber(std::string_view& in) {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64 && !in.empty(); shift += 7) {
        const auto byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return value;
    }
    return std::nullopt;
}

// An instruction is a number whose two low bits say what it does with the rest, n:
// 0: copy n base lines, from the base line number that follows;
// 1: take the next n bytes as they are;
// 2: base line n with its middle replaced: its first p and last s bytes kept around the m bytes
//    that follow the numbers p, s and m.
enum Instruction : std::uint64_t { kCopy = 0, kBytes = 1, kEdit = 2 };

// A changed value keeps the rest of its line: worth an edit when this much of it stays.
constexpr std::size_t kMinKeptBytes = 8;

class DeltaWriter {
  public:
    void Copy(std::size_t line) {
        if (copyCount_ > 0 && copyStart_ + copyCount_ == line) {
            ++copyCount_;
            return;
        }
        Flush();
        copyStart_ = line;
        copyCount_ = 1;
    }
    void Literal(std::string_view bytes) {
        if (copyCount_ > 0)
            Flush();
        literal_ += bytes;
    }
    void Edit(std::size_t line, std::size_t prefix, std::size_t suffix, std::string_view middle) {
        Flush();
        PutNumber(out_, (static_cast<std::uint64_t>(line) << 2) | kEdit);
        PutNumber(out_, prefix);
        PutNumber(out_, suffix);
        PutNumber(out_, middle.size());
        out_ += middle;
    }
    std::string Finish() {
        Flush();
        return std::move(out_);
    }

  private:
    void Flush() {
        if (copyCount_ > 0) {
            PutNumber(out_, (static_cast<std::uint64_t>(copyCount_) << 2) | kCopy);
            PutNumber(out_, copyStart_);
            copyCount_ = 0;
        }
        if (!literal_.empty()) {
            PutNumber(out_, (static_cast<std::uint64_t>(literal_.size()) << 2) | kBytes);
            out_ += literal_;
            literal_.clear();
        }
    }

    std::string out_;
    std::string literal_;
    std::size_t copyStart_ = 0;
    std::size_t copyCount_ = 0;
};

}  // namespace

std::string LineDelta(std::string_view base, std::string_view target) {
    const std::vector<std::string_view> baseLines = Lines(base);
    std::unordered_map<std::string_view, std::vector<std::uint32_t>> where;
    for (std::uint32_t i = 0; i < baseLines.size(); ++i)
        where[baseLines[i]].push_back(i);

    // Lines are taken in order: the next base line when it matches, else the first equal line at
    // or after it, else an equal line before it, else the next base line with its middle changed
    // when most of it stays, else the line's bytes. A settings write replaces values in place, so
    // this finds every unchanged line and most of every changed one without a full difference.
    DeltaWriter writer;
    std::size_t next = 0;
    for (const std::string_view line : Lines(target)) {
        if (next < baseLines.size() && baseLines[next] == line) {
            writer.Copy(next++);
            continue;
        }
        if (const auto found = where.find(line); found != where.end()) {
            const std::vector<std::uint32_t>& at = found->second;
            const auto after = std::lower_bound(at.begin(), at.end(), next);
            if (after != at.end()) {
                writer.Copy(*after);
                next = *after + 1;
            } else {
                writer.Copy(at.front());  // an earlier line again: the place in the base stays
            }
            continue;
        }
        if (next < baseLines.size()) {
            const auto [prefix, suffix] = SharedEnds(baseLines[next], line);
            if (prefix + suffix >= kMinKeptBytes) {
                writer.Edit(next++, prefix, suffix,
                            line.substr(prefix, line.size() - prefix - suffix));
                continue;
            }
        }
        writer.Literal(line);
    }
    return writer.Finish();
}

std::optional<std::string> ApplyLineDelta(std::string_view base, std::string_view delta) {
    const std::vector<std::string_view> baseLines = Lines(base);
    std::string target;
    const auto bytes = [&](std::uint64_t count) -> std::optional<std::string_view> {
        if (count > delta.size())
            return std::nullopt;
        const std::string_view taken = delta.substr(0, count);
        delta.remove_prefix(count);
        return taken;
    };
    while (!delta.empty()) {
        const std::optional<std::uint64_t> instruction = TakeNumber(delta);
        if (!instruction)
            return std::nullopt;
        const std::uint64_t n = *instruction >> 2;
        switch (*instruction & 3) {
            case kCopy: {
                const std::optional<std::uint64_t> start = TakeNumber(delta);
                if (!start || *start > baseLines.size() || n > baseLines.size() - *start)
                    return std::nullopt;
                for (std::uint64_t i = *start; i < *start + n; ++i)
                    target += baseLines[i];
                break;
            }
            case kBytes: {
                const auto taken = bytes(n);
                if (!taken)
                    return std::nullopt;
                target += *taken;
                break;
            }
            case kEdit: {
                const auto prefix = TakeNumber(delta);
                const auto suffix = TakeNumber(delta);
                const auto length = TakeNumber(delta);
                if (n >= baseLines.size() || !prefix || !suffix || !length)
                    return std::nullopt;
                const std::string_view line = baseLines[n];
                const auto middle = bytes(*length);
                if (!middle || *prefix > line.size() || *suffix > line.size() - *prefix)
                    return std::nullopt;
                target.append(line.substr(0, *prefix))
                    .append(*middle)
                    .append(line.substr(line.size() - *suffix));
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return target;
}

}  // namespace files
