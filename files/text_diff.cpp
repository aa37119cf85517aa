#include "files/text_diff.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t feed = text.find('\n', begin);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        lines.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

enum class Op : std::uint8_t { Keep, Remove, Add };

// Longest common subsequence table for the middle part; beyond this many cells the middle part
// is one removal and one addition.
constexpr std::size_t kMaxTableCells = std::size_t{1} << 24;

// The edit script from a to b: Keep steps both, Remove steps a, Add steps b.
std::vector<Op> EditScript(const std::vector<std::string_view>& a,
                           const std::vector<std::string_view>& b) {
    const auto [prefix, suffix] = SharedEnds(a, b);
    const std::size_t n = a.size() - prefix - suffix;
    const std::size_t m = b.size() - prefix - suffix;

    std::vector<Op> script(prefix, Op::Keep);
    if (n > 0 && m > 0 && (n + 1) * (m + 1) <= kMaxTableCells) {
        // common[i][j]: length of the longest common subsequence of a[i..n) and b[j..m).
        std::vector<std::uint32_t> common((n + 1) * (m + 1), 0);
        auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& {
            return common[i * (m + 1) + j];
        };
        for (std::size_t i = n; i-- > 0;) {
            for (std::size_t j = m; j-- > 0;) {
                at(i, j) = a[prefix + i] == b[prefix + j] ? at(i + 1, j + 1) + 1
                                                          : std::max(at(i + 1, j), at(i, j + 1));
            }
        }
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && a[prefix + i] == b[prefix + j]) {
                script.push_back(Op::Keep);
                ++i;
                ++j;
            } else if (j == m || (i < n && at(i + 1, j) >= at(i, j + 1))) {
                script.push_back(Op::Remove);
                ++i;
            } else {
                script.push_back(Op::Add);
                ++j;
            }
        }
    } else {
        script.insert(script.end(), n, Op::Remove);
        script.insert(script.end(), m, Op::Add);
    }
    script.insert(script.end(), suffix, Op::Keep);
    return script;
}

void AppendLine(std::string& out, char mark, std::string_view line) {
    out += mark;
    out += line;
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

// "start,count" of a hunk side; an empty side names the line before it.
std::string Range(std::size_t first, std::size_t count) {
    const std::size_t start = count == 0 ? first : first + 1;
    return std::to_string(start) + "," + std::to_string(count);
}

}  // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeLabel, std::string_view afterLabel) {
    if (before == after)
        return {};
    constexpr std::size_t kContext = 3;
    const std::vector<std::string_view> a = SplitLines(before);
    const std::vector<std::string_view> b = SplitLines(after);
    const std::vector<Op> script = EditScript(a, b);

    std::string out;
    out.append("--- ").append(beforeLabel).append("\n");
    out.append("+++ ").append(afterLabel).append("\n");

    // Positions in a and b at each step of the script.
    std::vector<std::size_t> posA(script.size() + 1, 0);
    std::vector<std::size_t> posB(script.size() + 1, 0);
    for (std::size_t s = 0; s < script.size(); ++s) {
        posA[s + 1] = posA[s] + (script[s] != Op::Add ? 1 : 0);
        posB[s + 1] = posB[s] + (script[s] != Op::Remove ? 1 : 0);
    }
    std::size_t s = 0;
    while (s < script.size()) {
        if (script[s] == Op::Keep) {
            ++s;
            continue;
        }
        // A hunk: changes closer than twice the context join into one.
        const std::size_t first = s >= kContext ? s - kContext : 0;
        std::size_t last = s;  // one past the last change
        std::size_t scan = s;
        while (scan < script.size()) {
            if (script[scan] != Op::Keep) {
                last = ++scan;
                continue;
            }
            std::size_t keeps = 0;
            while (scan + keeps < script.size() && script[scan + keeps] == Op::Keep)
                ++keeps;
            if (scan + keeps == script.size() || keeps > 2 * kContext)
                break;
            scan += keeps;
        }
        const std::size_t end = std::min(script.size(), last + kContext);
        out.append("@@ -")
            .append(Range(posA[first], posA[end] - posA[first]))
            .append(" +")
            .append(Range(posB[first], posB[end] - posB[first]))
            .append(" @@\n");
        for (std::size_t k = first; k < end; ++k) {
            switch (script[k]) {
                case Op::Keep:
                    AppendLine(out, ' ', a[posA[k]]);
                    break;
                case Op::Remove:
                    AppendLine(out, '-', a[posA[k]]);
                    break;
                case Op::Add:
                    AppendLine(out, '+', b[posB[k]]);
                    break;
            }
        }
        s = end;
    }
    return out;
}
