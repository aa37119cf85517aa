// tessaro-cli get: the values of some settings, one a line, for a script.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/config_input.h"
#include "cli/setting_text.h"
#include "cli/terminal_text.h"
#include "core/setting_catalogue.h"

namespace cli {
namespace {

class GetCommand : public Command {
  public:
    explicit GetCommand(CLI::App& parent) {
        app = parent.add_subcommand("get", "Print the values of settings by key, one a line");
        Describe(*app,
                 "Load as the window does when it opens in the working directory (the defaults, "
                 "then CONFIG, then exam_ddc.ini and the recording size) and print the value of "
                 "each KEY in the order given, one a line, spelled as set takes it back: integers "
                 "in decimal, masks as 0x and lower-case hexadecimal, reals in the shortest text "
                 "that reads back as the same value, names as their bytes (decoded from "
                 "Windows-1251 on a UTF-8 terminal, unless --raw). Keys are those of the "
                 "configuration file in any letter case, DirFileBufSize and InternalClockValue "
                 "from exam_ddc.ini, and the recording's DirSamplesPerChannel, DirNumBufWrite, "
                 "DirRealSamplesPerChannel and DirFileSizeKB. An unknown key prints nothing and "
                 "exits with 2.");
        app->add_option("CONFIG", config_,
                        "Configuration file; it must exist; - reads it from standard input")
            ->required();
        app->add_option("KEY", keys_, "Keys of the values to print")->required()->expected(1, -1);
    }

    int Run() override {
        std::vector<const SettingRow*> rows;
        for (const std::string& key : keys_) {
            const SettingRow* row = FindSetting(key);
            // The record's own counts (no meaning for a user) are no settings.
            if (row == nullptr || row->meaning.empty())
                throw Failure(key + " is not a key of a setting");
            rows.push_back(row);
        }
        OpenAsWindowFrom(settings_, config_);
        std::string out;
        for (const SettingRow* row : rows)
            out += ExactText(*row, settings_) + "\n";
        Show(out);
        return kDone;
    }

  private:
    std::string config_;
    std::vector<std::string> keys_;
    TSettings settings_;
};

}  // namespace

std::unique_ptr<Command> MakeGetCommand(CLI::App& parent) {
    return std::make_unique<GetCommand>(parent);
}

}  // namespace cli
