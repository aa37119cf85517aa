#include "cli/command.h"

#include "cli/console.h"
#include "files/config_file.h"
#include "files/native_path.h"

namespace cli {

const char* const kCommonHelp =
    "--dir DIR, before or after the subcommand, runs it in DIR as the window's working "
    "directory.\n"
    "Numbers take a point as the decimal separator, whatever the locale.\n"
    "Exit status: 0 done (or no difference, no finding, no conflict), 1 differences found (diff),\n"
    "warnings only (check) or channels in each other's way (plan), 2 refused or failed (or an\n"
    "error found by check).\n"
    "Errors go to stderr, one line each, naming the file and the reason.\n";

void Describe(CLI::App& app, const std::string& details) {
    app.footer(details + "\n\n" + kCommonHelp);
}

void Print(std::string_view text) {
    WriteText(stdout, text);
}

void Notice(std::string message) {
    for (char& c : message) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    message = "tessaro-cli: " + message + "\n";
    std::fwrite(message.data(), 1, message.size(), stderr);
}

namespace {

// Whether something is at the name. One the system cannot tell about (a folder that may not be
// searched, a path through a regular file) is a Failure: taken for missing, the defaults would
// replace what is there.
bool Exists(const std::string& name) {
    std::string reason;
    const files::NameState state = files::StateOf(name, &reason);
    if (state == files::NameState::Unknown)
        throw Failure("cannot read \"" + name + "\": " + reason);
    return state == files::NameState::Present;
}

std::string NotFound(const std::string& name) {
    return "cannot read \"" + name + "\": No such file or directory";
}

}  // namespace

StartupFiles OpenAsWindow(TSettings& settings, const std::optional<std::string>& config) {
    settings = TSettings{};
    if (config && !Exists(*config))
        throw Failure(NotFound(*config));
    const StartupFiles files =
        LoadStartupFiles(settings, config.value_or(TSettings::StartupConfigName));
    if (files.config == files::LoadStatus::Failed)
        throw Failure(files.configError);
    if (files.ini == files::LoadStatus::Failed)
        throw Failure(files.iniError);
    return files;
}

ConfigRead ConfigReadOf(const StartupFiles& files, const std::optional<std::string>& config) {
    return {config.value_or(TSettings::StartupConfigName), files.configMissingKeys};
}

void LoadConfiguration(TSettings& settings, const std::string& config, bool mayBeMissing) {
    settings = TSettings{};
    if (!Exists(config)) {
        if (mayBeMissing)
            return;
        throw Failure(NotFound(config));
    }
    std::string error;
    if (!ReadConfig(config, settings, &error))
        throw Failure(error);
}

}  // namespace cli
