// tessaro-cli apply: exam_ddc.ini written as the window's "Записать файл инициализации" does.
#include <optional>
#include <string>

#include <vector>

#include "cli/command.h"
#include "core/checks.h"
#include "files/disk_view.h"
#include "files/session.h"
#include "files/text_diff.h"

namespace cli {
namespace {

class ApplyCommand : public Command {
  public:
    explicit ApplyCommand(CLI::App& parent) {
        app = parent.add_subcommand("apply", "Write exam_ddc.ini as the window's button does");
        Describe(
            *app,
            "Write exam_ddc.ini in the working directory byte for byte as the window does when "
            "it has opened there and its button \"write the initialization file\" is pressed: "
            "the recording size is computed first, each owned key's value is replaced and its "
            "comment kept, every other byte stays. The configuration is not saved. Where check "
            "would report an error, nothing is written and the exit status is 2, unless "
            "--force.");
        app->add_option("--config", config_,
                        "Configuration file read in place of std.cfg; it must exist")
            ->option_text("FILE");
        app->add_flag("--dry-run", dryRun_,
                      "Write nothing; print the lines that would change as a unified diff (and "
                      "on stderr that the write would be refused, with exit status 2, when it "
                      "would be)");
        app->add_flag("--force", force_,
                      "Write even when check reports an error (the window asks first)");
    }

    int Run() override {
        const StartupFiles files = OpenAsWindow(settings_, config_);
        // The write stops where check would report an error, as the window asks before it.
        const DiskView disk;
        const ConfigRead configRead = ConfigReadOf(files, config_);
        const std::vector<Finding> stoppers =
            force_ ? std::vector<Finding>{}
                   : WriteStoppers(RunChecks({settings_, disk, nullptr, &configRead}));
        std::string error;
        if (!dryRun_) {
            if (!stoppers.empty())
                throw Failure(Refusal(stoppers, "not written"));
            if (!WriteInitializationFile(settings_, &error))
                throw Failure(error);
            return kDone;
        }
        InitializationFilePreview preview;
        if (!PreviewInitializationFile(settings_, preview, &error))
            throw Failure(error);
        const std::string name = TSettings::IniFileName;
        Print(
            UnifiedDiff(preview.before, preview.after, preview.exists ? name : "/dev/null", name));
        // The diff is what a forced write would do; the status says what apply itself would.
        if (!stoppers.empty())
            throw Failure(Refusal(stoppers, "would not be written"));
        return kDone;
    }

  private:
    static std::string Refusal(const std::vector<Finding>& stoppers, const char* what) {
        std::string text = std::string(TSettings::IniFileName) + " " + what + ": check reports " +
                           std::to_string(stoppers.size()) +
                           (stoppers.size() == 1 ? " error" : " errors");
        for (const Finding& f : stoppers)
            text += "; " + f.id + ": " + f.message;
        return text + " (--force writes anyway)";
    }

    std::optional<std::string> config_;
    TSettings settings_;
    bool dryRun_ = false;
    bool force_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeApplyCommand(CLI::App& parent) {
    return std::make_unique<ApplyCommand>(parent);
}

}  // namespace cli
