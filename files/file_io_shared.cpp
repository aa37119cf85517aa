#include "files/file_io_shared.h"

#include <chrono>

namespace files {
namespace detail {

WriteFault& Fault() {
    static WriteFault fault;
    return fault;
}

FileOperationCounts& Counts() {
    static FileOperationCounts counts;
    return counts;
}

bool Fail(std::string* error, const char* verb, const std::string& path, const std::string& why) {
    if (error)
        *error = std::string("cannot ") + verb + " \"" + path + "\": " + why;
    return false;
}

std::string UniqueSuffix(unsigned long long processId) {
    static unsigned counter = 0;
    unsigned long long seed = static_cast<unsigned long long>(
                                  std::chrono::steady_clock::now().time_since_epoch().count()) ^
                              (processId << 32) ^ (++counter * 0x9E3779B97F4A7C15ull);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix += kLetters[seed % 36];
        seed /= 36;
    }
    return suffix;
}

}  // namespace detail

void SetWriteFaultForTesting(const WriteFault& fault) {
    detail::Fault() = fault;
}

FileOperationCounts& FileOperationCountsForTesting() {
    return detail::Counts();
}

}  // namespace files
