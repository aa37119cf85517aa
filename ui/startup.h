// Before the window: the command line (--help, --version, --dir) and the working folder.
#pragma once

#include <QString>
#include <functional>
#include <iosfwd>
#include <optional>

class QSettings;

struct TStartOptions {
    // Set when the program is done before any window: the exit status.
    std::optional<int> exitCode;
    // --dir was given and the program has moved into that folder.
    bool dirGiven = false;
    // The command line holds what only the application object knows (Qt's own options such as
    // -platform, --help-all): it is read again once the application has taken those out.
    bool deferred = false;
    // --choose-folder: ask for the working folder first, whatever is remembered (the desktop
    // file's action "choose the working folder").
    bool chooseFolder = false;
};

// Exit status for a command line that cannot be followed (unknown option, missing folder).
inline constexpr int kUsageExitStatus = 2;

// Answers --help and --version on `out`, reports a wrong command line on `err`, and moves into
// the folder given with --dir. Before the application object exists (`beforeApplication`), so
// that all this works without a display, anything it does not know is deferred rather than
// refused; afterwards it is refused.
TStartOptions ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err,
                               bool beforeApplication);

// Started without --dir from the home folder (or the root folder, where a launcher may start
// it), the window works in the folder remembered in `remembered`, asking for one with `ask`
// (given the folder to start in) when none is remembered or it is gone. Started anywhere else, it
// works where it was started.
void SettleWorkingFolder(QSettings& remembered, const QString& home,
                         const std::function<QString(const QString&)>& ask);

// The question: a folder dialog named "WorkingFolderDialog"; an empty text when cancelled.
QString AskForWorkingFolder(const QString& startIn);

// The key under which the working folder is remembered.
inline constexpr const char kWorkingFolderKey[] = "workingFolder";
