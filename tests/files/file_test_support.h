// Shared pieces of the settings-file tests: a private working folder per test, byte-exact file
// access, fixtures, and a decimal-comma locale.
#pragma once

#include <gtest/gtest.h>
#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <locale>
#include <string>
#include <vector>

#include "core/settings.h"
#include "files/file_io.h"

namespace file_tests {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string Fixture(const std::string& name) {
    const std::string path = std::string(TESSARO_TEST_DATA_DIR) + "/files/" + name;
    if (!std::filesystem::exists(path))
        ADD_FAILURE() << "missing fixture " << path;
    return ReadBytes(path);
}

inline bool RunningAsRoot() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

// A new empty folder under the system's temporary folder.
inline std::filesystem::path MakeScratchFolder() {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
#ifdef _WIN32
    auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt, seed = seed * 6364136223846793005ull + 1) {
        const auto folder = temp / ("tessaro-files-" + std::to_string(seed % 1000000007ull));
        if (std::filesystem::create_directory(folder))
            return folder;
    }
    return {};
#else
    std::string pattern = temp / "tessaro-files-XXXXXX";
    return ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
#endif
}

// Runs `body` without root's rights, which ignore read-only folders and files: as root, in a child
// process that has become the user "nobody" (its result comes back through a pipe); otherwise in
// this process. The body must not use the test macros; it returns what the test then checks.
inline std::string AsOrdinaryUser(const std::function<std::string()>& body) {
#ifdef _WIN32
    return body();
#else
    if (!RunningAsRoot())
        return body();
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return "no user \"nobody\" to run as";
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const std::string result =
            ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0
                ? body()
                : "cannot become \"nobody\"";
        [[maybe_unused]] ssize_t written = ::write(pipeEnds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
#endif
}

// Hands a path to "nobody" when running as root, so that AsOrdinaryUser's body may write it.
inline void GiveToOrdinaryUser([[maybe_unused]] const std::string& path) {
#ifndef _WIN32
    if (const passwd* nobody = RunningAsRoot() ? ::getpwnam("nobody") : nullptr) {
        EXPECT_EQ(::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0) << path;
    }
#endif
}

// Every test runs in a fresh folder of its own (ctest runs tests in parallel), made the working
// directory, with a record of its own holding the defaults and no injected fault. Rollback copies
// of writes in place go to a second fresh folder (XDG_STATE_HOME), which "nobody" may write too.
class FileTest : public ::testing::Test {
  protected:
    TSettings Settings;

    void SetUp() override {
        previous_ = std::filesystem::current_path();
        folder_ = MakeScratchFolder();
        ASSERT_FALSE(folder_.empty());
        state_ = MakeScratchFolder();
        ASSERT_FALSE(state_.empty());
        GiveToOrdinaryUser(state_.string());
#ifndef _WIN32
        ::setenv("XDG_STATE_HOME", state_.c_str(), 1);
#endif
        std::filesystem::current_path(folder_);
        files::SetWriteFaultForTesting({});
        files::FileOperationCountsForTesting() = {};
    }
    void TearDown() override {
        files::SetWriteFaultForTesting({});
        std::filesystem::current_path(previous_);
        // Folders a test made read-only must be writable again to be removed.
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(folder_, ignored)) {
            if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(folder_, ignored);
        std::filesystem::remove_all(state_, ignored);
    }

    // Names in the folder, the temporary files a failed save must not leave behind included.
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

#ifndef _WIN32
    // The rollback copies kept now (file names).
    std::vector<std::string> RollbackCopies() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(files::RollbackFolder()), ignored))
            names.push_back(entry.path().filename().string());
        return names;
    }
#endif

    std::filesystem::path folder_;
    std::filesystem::path state_;
    std::filesystem::path previous_;
};

// Switches the C library and the C++ global locale to one that writes "1,5", for the life of the
// object; `active()` is false when the system has none (the test then fails: these tests must run
// wherever the suite runs, and scripts/install-deps.sh generates ru_RU.UTF-8).
class CommaLocale {
  public:
    CommaLocale() {
        previousC_ = std::setlocale(LC_ALL, nullptr);
        previousCpp_ = std::locale();
        for (const char* name :
             {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8",
              "ru_RU.CP1251", "uk_UA.UTF-8", "Russian_Russia.1251"}) {
            if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
                try {
                    std::locale::global(std::locale(name));
                } catch (const std::runtime_error&) {
                }
                active_ = true;
                return;
            }
        }
        std::setlocale(LC_ALL, previousC_.c_str());
    }
    ~CommaLocale() {
        std::locale::global(previousCpp_);
        std::setlocale(LC_ALL, previousC_.c_str());
    }
    bool active() const { return active_; }

  private:
    std::string previousC_;
    std::locale previousCpp_;
    bool active_ = false;
};

#define REQUIRE_COMMA_LOCALE(locale)                                                            \
    if (!(locale).active())                                                                     \
    GTEST_FAIL() << "no locale with a decimal comma is installed (scripts/install-deps.sh, or " \
                    "localedef -i ru_RU -f UTF-8 ru_RU.UTF-8)"

}  // namespace file_tests
