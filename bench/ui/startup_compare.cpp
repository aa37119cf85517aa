// Runs the start-up programs in turn, each in a fresh process, and compares what the kernel
// counted for them: processor time (user and system) and peak resident memory.
//
//   startup_compare RUNS YARDSTICK PROGRAM
//
// Prints the medians and the ratios; exits 1 when the program costs more than twice the
// yardstick's processor time or more than 6 MB more memory at its peak.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Cost {
    double cpuMs = 0;
    double peakMb = 0;
};

bool Run(const char* path, Cost* cost) {
    const pid_t child = fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        execl(path, path, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return false;
    }
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    cost->cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    cost->peakMb = usage.ru_maxrss / 1024.0;  // Linux counts in kilobytes
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::atoi(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: %s RUNS YARDSTICK PROGRAM\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<double> cpu[2];
    std::vector<double> peak[2];
    // Alternated, so that neither profits alone from a warmer cache or a calmer machine.
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            Cost cost;
            if (!Run(argv[2 + p], &cost)) {
                std::fprintf(stderr, "%s did not start and end cleanly\n", argv[2 + p]);
                return 2;
            }
            cpu[p].push_back(cost.cpuMs);
            peak[p].push_back(cost.peakMb);
        }
    }
    const double cpuRatio = Median(cpu[1]) / Median(cpu[0]);
    const double extraMb = Median(peak[1]) - Median(peak[0]);
    std::printf("%-16s %12s %14s   (medians of %d runs)\n", "", "CPU ms", "peak RSS MB", runs);
    for (int p = 0; p < 2; ++p) {
        const std::string name =
            std::string(argv[2 + p]).substr(std::string(argv[2 + p]).find_last_of('/') + 1);
        std::printf("%-16s %12.1f %14.1f\n", name.c_str(), Median(cpu[p]), Median(peak[p]));
    }
    const bool met = cpuRatio <= 2.0 && extraMb <= 6.0;
    std::printf("CPU %.2f times (target at most 2), memory %+.1f MB (target at most +6): %s\n",
                cpuRatio, extraMb, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
