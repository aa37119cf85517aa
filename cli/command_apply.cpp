// tessaro-cli apply: exam_ddc.ini written as the window's "Записать файл инициализации" does.
#include <optional>
#include <string>
#include <vector>

#include "cli/assignments.h"
#include "cli/command.h"
#include "cli/terminal_text.h"
#include "core/checks.h"
#include "core/recording_size.h"
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
            "comment kept, every other byte stays. Assignments KEY=VALUE, as set takes them, "
            "change the settings first as the window's controls would; DirSamplesPerChannel=N "
            "asks for N samples per channel, as the window's field, and gives DirNumBufWrite by "
            "the window's calculation. The configuration is not saved. Where check would report "
            "an error, nothing is written and the exit status is 2, unless --force.\n"
            "The --dry-run patch is the files' bytes through a pipe (patch(1) applies it); on a "
            "terminal, lines in Windows-1251 are shown decoded unless --raw is given.");
        app->add_option("--config", config_,
                        "Configuration file read in place of std.cfg; it must exist")
            ->option_text("FILE");
        app->add_option("KEY=VALUE", assignments_,
                        "Settings changed before the write, as set takes them (the configuration "
                        "file is not saved)");
        app->add_flag("--dry-run", dryRun_,
                      "Write nothing; print the lines that would change as a unified diff (and "
                      "on stderr that the write would be refused, with exit status 2, when it "
                      "would be)");
        app->add_flag("--force", force_,
                      "Write even when check reports an error (the window asks first)");
    }

    int Run() override {
        const StartupFiles files = OpenAsWindow(settings_, config_);
        const std::string configName = config_.value_or(TSettings::StartupConfigName);
        if (ApplyAssignments(settings_, assignments_, configName).samplesPerChannel) {
            CountEnabledChannels(settings_);
            const RecordingSizeStatus status =
                ComputeRecordingSize(settings_, settings_.DirSamplesPerChannel).status;
            if (status == RecordingSizeStatus::TooLarge)
                throw Failure(configName + ": DirSamplesPerChannel " +
                              std::to_string(settings_.DirSamplesPerChannel) +
                              ": the recording does not fit 32-bit numbers");
        }
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
            if (!error.empty())
                Notice(error);
            return kDone;
        }
        InitializationFilePreview preview;
        if (!PreviewInitializationFile(settings_, preview, &error))
            throw Failure(error);
        const std::string name = TSettings::IniFileName;
        Show(UnifiedDiff(preview.before, preview.after, preview.exists ? name : "/dev/null", name));
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
    std::vector<std::string> assignments_;
};

}  // namespace

std::unique_ptr<Command> MakeApplyCommand(CLI::App& parent) {
    return std::make_unique<ApplyCommand>(parent);
}

}  // namespace cli
