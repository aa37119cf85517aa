// tessaro-cli: the editor's settings from scripts, by the same core and files as the window.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command.h"
#include "core/errors.h"
#include "files/file_io.h"
#include "tessaro_version.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr const char* kProgram = "tessaro-cli";

// One line on stderr: a message holding line breaks would read as several errors.
void PrintError(std::string message) {
    for (char& c : message) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    message = std::string(kProgram) + ": " + message + "\n";
    std::fwrite(message.data(), 1, message.size(), stderr);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The files' CR LF and 8-bit bytes reach the output unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    CLI::App app(
        "Shows, sets and compares the editor's configurations and writes exam_ddc.ini exactly as "
        "the window does, with the window's rules.",
        kProgram);
    app.set_version_flag("--version", kTessaroVersionText, "Print the version and exit");
    app.require_subcommand(1, 1);
    // --dir may stand before or after the subcommand.
    app.fallthrough();
    std::string dir;
    app.add_option("--dir", dir,
                   "Working directory, as the window's: std.cfg, exam_ddc.ini and every relative "
                   "file name are taken from there (default: the current directory)")
        ->option_text("DIR");
    app.footer(cli::kCommonHelp);

    std::vector<std::unique_ptr<cli::Command>> commands;
    commands.push_back(cli::MakeShowCommand(app));
    commands.push_back(cli::MakeSetCommand(app));
    commands.push_back(cli::MakeApplyCommand(app));
    commands.push_back(cli::MakeDiffCommand(app));
    commands.push_back(cli::MakeCheckCommand(app));

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        PrintError(e.what() + std::string(" (see --help)"));
        return cli::kRefused;
    }

    try {
        if (!dir.empty()) {
            std::error_code error;
            std::filesystem::current_path(dir, error);
            if (error)
                throw cli::Failure("cannot enter \"" + dir + "\": " + error.message());
        }
        // Saves in place that a kill cut off, by this program or the window, are undone first.
        for (const std::string& message : files::RecoverInterruptedSaves())
            cli::Notice(message);
        for (const auto& command : commands) {
            if (command->app->parsed())
                return command->Run();
        }
    } catch (const cli::Failure& e) {
        PrintError(e.what());
    } catch (const SettingsError& e) {
        PrintError(e.what());
    } catch (const std::exception& e) {
        PrintError(e.what());
    }
    return cli::kRefused;
}
