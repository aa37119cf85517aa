// tessaro-cli set: settings changed by key, checked as the window checks them, and saved.
#include <string>
#include <vector>

#include "cli/assignments.h"
#include "cli/command.h"
#include "cli/terminal_text.h"
#include "core/checks.h"
#include "files/config_file.h"

namespace cli {
namespace {

class SetCommand : public Command {
  public:
    explicit SetCommand(CLI::App& parent) {
        app = parent.add_subcommand(
            "set", "Change settings of a configuration file by key, as the window checks them");
        Describe(
            *app,
            "Apply the assignments KEY=VALUE in order to CONFIG and save it as the window saves "
            "(a new file replaces the old one whole). Keys are the configuration file's, in any "
            "letter case; values are checked as the window checks them: numbers with a point as "
            "separator, masks also as 0x hexadecimal, lists and switches only with the values the "
            "window offers, DDCChannelMask never 0. A value CONFIG holds already is never "
            "refused, even one the window does not offer: what show --json printed can always "
            "be set back. The keys show --json adds are taken too: <Key>Hex, <Key>Encoding "
            "(utf-8 or windows-1251: the name is given in UTF-8 and stored in that encoding), "
            "<Key>Bytes (the exact bytes in hexadecimal) and format=1. DirSamplesPerChannel is "
            "checked, but a configuration does not keep it (apply takes it). All or nothing: the "
            "first refused assignment is reported with its key and CONFIG stays as it was. A "
            "CONFIG that does not exist yet starts from the defaults. exam_ddc.ini is neither "
            "read nor written. What single precision keeps of a frequency is said on stderr.");
        app->add_option("CONFIG", config_, "Configuration file to change")->required();
        app->add_option("KEY=VALUE", assignments_, "Assignments, applied in order")
            ->required()
            ->expected(1, -1);
    }

    int Run() override {
        LoadConfiguration(settings_, config_, true);
        const Assigned assigned = ApplyAssignments(settings_, assignments_, config_);
        std::string error;
        if (!WriteConfig(config_, settings_, &error))
            throw Failure(error);
        if (!error.empty())
            Notice(error);
        // Saved as asked; what single precision kept instead is said as check says it.
        for (const Finding& f : assigned.precision) {
            Note(std::string(SeverityName(f.severity)) + " " + f.id + " " + f.keys[0] + ": " +
                 f.message + "\n");
        }
        if (assigned.samplesPerChannel) {
            Note(
                "note: DirSamplesPerChannel is not kept in a configuration file; "
                "\"apply DirSamplesPerChannel=N\" writes it into exam_ddc.ini\n");
        }
        return kDone;
    }

  private:
    TSettings settings_;
    std::string config_;
    std::vector<std::string> assignments_;
};

}  // namespace

std::unique_ptr<Command> MakeSetCommand(CLI::App& parent) {
    return std::make_unique<SetCommand>(parent);
}

}  // namespace cli
