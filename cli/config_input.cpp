#include "cli/config_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/command.h"
#include "files/config_file.h"
#include "files/profile_store.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace cli {
namespace {

// As the files layer's limit on a configuration: no real one comes near it.
constexpr std::size_t kMaxStreamBytes = 64u << 20;

std::string ShownName(const std::string& name) {
    return name == "-" ? "standard input" : "\"" + name + "\"";
}

std::string ReadStream(const std::string& name) {
#ifdef _WIN32
    // The configuration's CR LF and 8-bit bytes arrive unchanged.
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
    if (file == nullptr)
        throw Failure("cannot read " + ShownName(name) + ": " + std::strerror(errno));
    std::string bytes;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
        if (bytes.size() > kMaxStreamBytes)
            break;
    }
    const bool failed = std::ferror(file) != 0;
    const int code = errno;
    if (file != stdin)
        std::fclose(file);
    if (failed)
        throw Failure("cannot read " + ShownName(name) + ": " + std::strerror(code));
    if (bytes.size() > kMaxStreamBytes)
        throw Failure("cannot read " + ShownName(name) + ": file too large");
    return bytes;
}

void ReadStreamConfig(TSettings& settings, const std::string& name) {
    const ProfileStore store(ReadStream(name));
    if (!IsConfiguration(store)) {
        throw Failure("cannot read " + ShownName(name) +
                      ": not a configuration file (no [Option] or [device0_tessaro0] section)");
    }
    settings = TSettings{};
    ReadConfigFrom(store, settings);
}

}  // namespace

bool IsStream(const std::string& name) {
    if (name == "-")
        return true;
#ifdef _WIN32
    // A name there is in the ANSI code page and never goes to std::filesystem narrow; pipes there
    // are no files of a folder anyway.
    return false;
#else
    std::error_code ignored;
    const auto type = std::filesystem::status(name, ignored).type();
    return type == std::filesystem::file_type::fifo ||
           type == std::filesystem::file_type::character;
#endif
}

StartupFiles OpenAsWindowFrom(TSettings& settings, const std::optional<std::string>& config) {
    if (!config || !IsStream(*config))
        return OpenAsWindow(settings, config);
    ReadStreamConfig(settings, *config);
    StartupFiles files;
    files.config = files::LoadStatus::Loaded;
    LoadStartupIni(settings, files);
    if (files.ini == files::LoadStatus::Failed)
        throw Failure(files.iniError);
    return files;
}

void LoadConfigurationFrom(TSettings& settings, const std::string& config, bool mayBeMissing) {
    if (!IsStream(config))
        return LoadConfiguration(settings, config, mayBeMissing);
    ReadStreamConfig(settings, config);
}

}  // namespace cli
