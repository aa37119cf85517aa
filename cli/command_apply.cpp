// tessaro-cli apply: exam_ddc.ini written as the window's "Записать файл инициализации" does.
#include <optional>
#include <string>

#include "cli/command.h"
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
            "comment kept, every other byte stays. The configuration is not saved.");
        app->add_option("--config", config_,
                        "Configuration file read in place of std.cfg; it must exist")
            ->option_text("FILE");
        app->add_flag("--dry-run", dryRun_,
                      "Write nothing; print the lines that would change as a unified diff");
    }

    int Run() override {
        OpenAsWindow(settings_, config_);
        std::string error;
        if (!dryRun_) {
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
        Print(
            UnifiedDiff(preview.before, preview.after, preview.exists ? name : "/dev/null", name));
        return kDone;
    }

  private:
    std::optional<std::string> config_;
    TSettings settings_;
    bool dryRun_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeApplyCommand(CLI::App& parent) {
    return std::make_unique<ApplyCommand>(parent);
}

}  // namespace cli
