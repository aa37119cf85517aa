// What every subcommand of tessaro-cli shares: its place in the program, the exit statuses, the
// output streams and the load the window does when it opens.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/checks.h"
#include "files/session.h"

namespace cli {

// Exit statuses, as diff(1) has them.
inline constexpr int kDone = 0;       // done, or no difference
inline constexpr int kDifferent = 1;  // differences found
inline constexpr int kRefused = 2;    // refused or failed

// A refusal or a failure: main prints its message as one line on stderr and exits with kRefused.
class Failure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One subcommand: it declares its arguments on its own CLI::App, and runs once they are parsed,
// in the working directory (--dir) already entered.
class Command {
  public:
    virtual ~Command() = default;
    CLI::App* app = nullptr;
    virtual int Run() = 0;
};

// Each subcommand has a source file of its own with one of these; main lists them.
std::unique_ptr<Command> MakeShowCommand(CLI::App& parent);
std::unique_ptr<Command> MakeSetCommand(CLI::App& parent);
std::unique_ptr<Command> MakeApplyCommand(CLI::App& parent);
std::unique_ptr<Command> MakeDiffCommand(CLI::App& parent);
std::unique_ptr<Command> MakeCheckCommand(CLI::App& parent);
std::unique_ptr<Command> MakeGetCommand(CLI::App& parent);
std::unique_ptr<Command> MakePlanCommand(CLI::App& parent);

// What the program and each subcommand's --help end with: exit statuses, errors, numbers.
extern const char* const kCommonHelp;
// A subcommand's --help: what it does in detail, then kCommonHelp.
void Describe(CLI::App& app, const std::string& details);

// Bytes to stdout as they are (file names and comments are 8-bit text, never recoded).
void Print(std::string_view text);

// A notice on stderr, one line as an error is, that does not change the exit status: a save that
// was done but not wholly confirmed, an interrupted save undone at the start.
void Notice(std::string message);

// `settings` as a freshly opened window holds them in the working directory: the defaults, then
// `config` (std.cfg when not given), exam_ddc.ini and the recording size. A configuration named on
// the command line must exist; std.cfg may be missing, as at the window's first start. Any file
// that is there but cannot be read is a Failure: a script must not go on with defaults where the
// user's settings were meant.
StartupFiles OpenAsWindow(TSettings& settings, const std::optional<std::string>& config);

// The configuration OpenAsWindow read and the keys it lacked, as the checks take it.
ConfigRead ConfigReadOf(const StartupFiles& files, const std::optional<std::string>& config);

// `settings` as a configuration file alone gives them: the defaults, then `config`, which must
// exist unless `mayBeMissing`. Throws Failure when it cannot be read.
void LoadConfiguration(TSettings& settings, const std::string& config, bool mayBeMissing);

}  // namespace cli
