// tessaro-cli check: the window's pre-flight findings for a configuration, one a line or as JSON.
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/config_input.h"
#include "cli/setting_text.h"
#include "cli/terminal_text.h"
#include "core/checks.h"
#include "files/disk_view.h"

namespace cli {
namespace {

// Exit statuses of check: no finding, warnings only, any error (or a configuration that could not
// be loaded, which main reports).
constexpr int kNoFinding = 0;
constexpr int kWarningsOnly = 1;
constexpr int kErrors = 2;

class CheckCommand : public Command {
  public:
    explicit CheckCommand(CLI::App& parent) {
        app = parent.add_subcommand("check",
                                    "Print what would make a run fail, as the window marks it");
        Describe(*app,
                 "Load as the window does when it opens in the working directory (the defaults, "
                 "then CONFIG, then exam_ddc.ini) and run the window's pre-flight checks: NCO "
                 "frequencies against half the clock, channels of one ADC on the same NCO, the "
                 "data format, the comparator threshold, "
                 "the DDC program file, the recording folder, free space and size, the ADC of "
                 "each channel, the clock, values the window does not offer, exam_ddc.ini "
                 "itself (missing, lacking keys, sections or keys held twice) and the keys CONFIG "
                 "lacks (read as 0). One finding a line: severity, id, keys, then the message. "
                 "With --json, "
                 "an array of objects with id, severity, keys and message.\n"
                 "Exit status of check: 0 no finding, 1 warnings only, 2 any error or a "
                 "configuration that could not be loaded.");
        app->add_option("CONFIG", config_,
                        "Configuration file (default: std.cfg); - reads it from standard input");
        app->add_flag("--json", json_, "Print the findings as a JSON array");
    }

    int Run() override {
        const StartupFiles files = OpenAsWindowFrom(settings_, config_);
        const DiskView disk;
        const ConfigRead configRead = ConfigReadOf(files, config_);
        const std::vector<Finding> findings = RunChecks({settings_, disk, nullptr, &configRead});
        if (json_) {
            nlohmann::ordered_json document = nlohmann::ordered_json::array();
            for (const Finding& f : findings) {
                nlohmann::ordered_json item;
                item["id"] = f.id;
                item["severity"] = SeverityName(f.severity);
                item["keys"] = f.keys;
                item["message"] = f.message;
                document.push_back(std::move(item));
            }
            Show(JsonText(document));
        } else {
            for (const Finding& f : findings) {
                std::string keys;
                for (const std::string& key : f.keys)
                    keys += (keys.empty() ? "" : ",") + key;
                Show(std::string(SeverityName(f.severity)) + " " + f.id + " " + keys + ": " +
                     f.message + "\n");
            }
        }
        const std::optional<Severity> worst = WorstSeverity(findings);
        if (!worst)
            return kNoFinding;
        return *worst == Severity::Error ? kErrors : kWarningsOnly;
    }

  private:
    std::optional<std::string> config_;
    bool json_ = false;
    TSettings settings_;
};

}  // namespace

std::unique_ptr<Command> MakeCheckCommand(CLI::App& parent) {
    return std::make_unique<CheckCommand>(parent);
}

}  // namespace cli
