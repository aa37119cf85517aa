// tessaro-cli: the editor's settings from scripts, by the same core and files as the window.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command.h"
#include "cli/console.h"
#include "cli/terminal_text.h"
#include "core/errors.h"
#include "files/file_io.h"
#include "files/native_path.h"
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
    cli::WriteText(stderr, message);
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
    app.set_version_flag("--version", std::string(kProgram) + " " + kTessaroVersionText,
                         "Print the program's name and version and exit");
    app.require_subcommand(1, 1);
    // --dir may stand before or after the subcommand.
    app.fallthrough();
    std::string dir;
    app.add_option("--dir", dir,
                   "Working directory, as the window's: std.cfg, exam_ddc.ini and every relative "
                   "file name are taken from there (default: the current directory)")
        ->option_text("DIR");
    bool quiet = false;
    bool raw = false;
    app.add_flag("-q,--quiet", quiet, "Print nothing but errors; the exit status tells the rest");
    app.add_flag("--raw", raw,
                 "Print names and comments as the files' bytes, also on a terminal (where text in "
                 "Windows-1251 is otherwise shown decoded)");
    app.footer(cli::kCommonHelp);

    std::vector<std::unique_ptr<cli::Command>> commands;
    commands.push_back(cli::MakeShowCommand(app));
    commands.push_back(cli::MakeSetCommand(app));
    commands.push_back(cli::MakeApplyCommand(app));
    commands.push_back(cli::MakeDiffCommand(app));
    commands.push_back(cli::MakeCheckCommand(app));
    commands.push_back(cli::MakeGetCommand(app));
    commands.push_back(cli::MakePlanCommand(app));

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        PrintError(cli::ParseErrorText(app, e));
        return cli::kRefused;
    }
    cli::SetQuiet(quiet);
    cli::SetRaw(raw);

    try {
        if (!dir.empty()) {
            std::error_code error;
            std::filesystem::current_path(files::NativePath(dir), error);
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
