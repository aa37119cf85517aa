#include "files/file_io_shared.h"

#include <chrono>
#include <cstdlib>

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

bool AdmitWrite(const std::string& path, std::size_t bytes, std::string* error) {
    if (error)
        error->clear();
    if (bytes <= kMaxFileBytes)
        return true;
    return Fail(error, "write", path,
                "file too large (" + std::to_string(bytes) +
                    " bytes; a settings file is read back " + "only up to " +
                    std::to_string(kMaxFileBytes >> 20) + " MiB)");
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

std::string RollbackFolder() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    return local && *local ? std::string(local) + "\\tessaro-master\\rollback" : std::string();
#else
    // A relative XDG_STATE_HOME is to be ignored, as the base directory rules say.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/tessaro-master/rollback";
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.local/state/tessaro-master/rollback"
                         : std::string();
#endif
}

#ifdef _WIN32
// Windows saves never write in place, so no save leaves anything to settle.
std::vector<std::string> RecoverInterruptedSaves() {
    return {};
}
#endif

FileOperationCounts& FileOperationCountsForTesting() {
    return detail::Counts();
}

}  // namespace files
