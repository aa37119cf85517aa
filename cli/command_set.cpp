// tessaro-cli set: settings changed by key, checked as the window checks them, and saved.
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/checks.h"
#include "core/errors.h"
#include "core/number_text.h"
#include "files/config_file.h"
#include "files/config_keys.h"

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
            "window offers, DDCChannelMask never 0. All or nothing: the first refused assignment "
            "is reported with its key and CONFIG stays as it was. A CONFIG that does not exist "
            "yet starts from the defaults. exam_ddc.ini is neither read nor written.");
        app->add_option("CONFIG", config_, "Configuration file to change")->required();
        app->add_option("KEY=VALUE", assignments_, "Assignments, applied in order")
            ->required()
            ->expected(1, -1);
    }

    int Run() override {
        LoadConfiguration(settings_, config_, true);
        for (const std::string& assignment : assignments_) {
            const std::size_t equals = assignment.find('=');
            if (equals == std::string::npos)
                throw Failure(config_ + ": '" + assignment + "' is not KEY=VALUE");
            const std::string key = assignment.substr(0, equals);
            const SettingRow* row = FindConfigSetting(key);
            if (row == nullptr)
                throw Failure(config_ + ": " + key + " is not a key of a configuration file");
            try {
                const std::string_view text = std::string_view(assignment).substr(equals + 1);
                SetSettingFromText(*row, settings_, text);
                NotePrecision(*row, text);
            } catch (const SettingsError& e) {
                // The message names the key already when it is about the key's own values.
                const std::string message = e.what();
                throw Failure(config_ + ": " +
                              (message.starts_with(row->key) ? "" : row->key + std::string(": ")) +
                              message);
            }
        }
        std::string error;
        if (!WriteConfig(config_, settings_, &error))
            throw Failure(error);
        if (!error.empty())
            Notice(error);
        // Saved as asked; what single precision kept instead is said as check says it.
        for (const Finding& f : precision_) {
            Print(std::string(SeverityName(f.severity)) + " " + f.id + " " + f.keys[0] + ": " +
                  f.message + "\n");
        }
        return kDone;
    }

  private:
    // A frequency held in single precision that keeps another whole number of hertz than given.
    void NotePrecision(const SettingRow& row, std::string_view text) {
        if (TypeOf(row) != FieldType::Single)
            return;
        const std::string key = row.key;
        if (key != "FreqNC0" && !key.starts_with("FrequencyNCO"))
            return;
        std::erase_if(precision_, [&](const Finding& f) { return f.keys[0] == key; });
        if (auto f = NcoPrecisionFinding(key, ParseReal(text, '.'), SingleOf(row, settings_)))
            precision_.push_back(std::move(*f));
    }

    std::vector<Finding> precision_;
    TSettings settings_;
    std::string config_;
    std::vector<std::string> assignments_;
};

}  // namespace

std::unique_ptr<Command> MakeSetCommand(CLI::App& parent) {
    return std::make_unique<SetCommand>(parent);
}

}  // namespace cli
