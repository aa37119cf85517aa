// Kills saves written in place at random moments and counts what the kills leave, before and after
// the next start settles them. Not a test of the suite (it runs for a while and uses real kills):
// scripts/save-kill-loop.sh builds and runs it.
//
//   save_kill_loop [kills] [folder] [slow]
//
// A child process saves one file over and over in place, in turn 57 bytes, 1 MiB, 1.2 KiB and
// 4 MiB long (so that every save grows or shrinks it), and is killed with SIGKILL after a random
// wait. The file is then "old or new" when it holds one of the four texts whole, "padded" when it
// holds a NUL (none of the texts does) or is longer than the longest, and "mixed" otherwise. Then
// the next start settles it (RecoverInterruptedSaves, or every other time a read of the file) and
// it is counted again. With "slow", every write of 64 KiB takes a millisecond longer, as on a slow
// disk, so that more kills fall within a write. Exit status 1 when anything padded or mixed is left
// after that.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "files/file_io.h"

namespace {

std::string Text(std::size_t size, char seed) {
    std::string text = "[Option]\r\nDither= 0\r\n";
    for (int line = 0; text.size() + 40 < size; ++line) {
        text += "; line " + std::to_string(line) + " ";
        text += std::string(28, static_cast<char>('a' + (seed + line) % 26));
        text += "\r\n";
    }
    text.resize(size - 2, '.');
    return text + "\r\n";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Counts {
    int whole = 0, mixed = 0, padded = 0;
};

void Count(const std::string& bytes, const std::vector<std::string>& texts, Counts& counts) {
    std::size_t longest = 0;
    for (const std::string& text : texts) {
        if (bytes == text) {
            ++counts.whole;
            return;
        }
        longest = std::max(longest, text.size());
    }
    if (bytes.find('\0') != std::string::npos || bytes.size() > longest)
        ++counts.padded;
    else
        ++counts.mixed;
}

}  // namespace

int main(int argc, char** argv) {
    const int kills = argc > 1 ? std::atoi(argv[1]) : 400;
    const std::filesystem::path base = argc > 2 && *argv[2]
                                           ? std::filesystem::path(argv[2])
                                           : std::filesystem::temp_directory_path();
    const bool slow = argc > 3 && std::string(argv[3]) == "slow";
    std::string pattern = (base / "tessaro-kill-loop-XXXXXX").string();
    if (kills <= 0 || !::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "usage: save_kill_loop [kills] [folder] [slow]\n");
        return 2;
    }
    const std::filesystem::path folder = pattern;
    // The rollback copies go to a folder of the loop's own, not the user's.
    ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
    const std::string path = (folder / "exam_ddc.ini").string();
    const std::vector<std::string> texts = {Text(57, 0), Text(1 << 20, 1), Text(1238, 2),
                                            Text(4 << 20, 3)};
    if (!files::WriteFileAtomically(path, texts[0], nullptr))
        return 2;

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> wait(0, slow ? 200000 : 40000);  // microseconds
    Counts left, settled;
    int messages = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const pid_t child = ::fork();
        if (child == 0) {
            // Written in place whatever the folder allows (as root, a read-only folder would not
            // stop the atomic save).
            files::SetWriteFaultForTesting(
                {.writeInPlace = true, .slowWriteMicroseconds = slow ? 1000u : 0u});
            for (std::size_t next = static_cast<std::size_t>(kill);; ++next)
                files::WriteFileAtomically(path, texts[next % texts.size()], nullptr);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(wait(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        Count(ReadFile(path), texts, left);
        if (kill % 2 == 0) {
            messages += static_cast<int>(files::RecoverInterruptedSaves().size());
        } else {
            std::string bytes;
            files::ReadWholeFile(path, bytes, nullptr);
        }
        Count(ReadFile(path), texts, settled);
    }
    std::filesystem::remove_all(folder);

    std::printf("%d kills of saves in place, growing and shrinking (57 B to 4 MiB), in %s%s\n",
                kills, base.c_str(), slow ? ", slow disk" : "");
    std::printf("left by the kill:      old or new %d, padded %d, mixed %d\n", left.whole,
                left.padded, left.mixed);
    std::printf("after the next start:  old or new %d, padded %d, mixed %d (%d told)\n",
                settled.whole, settled.padded, settled.mixed, messages);
    return settled.padded + settled.mixed == 0 ? 0 : 1;
}
