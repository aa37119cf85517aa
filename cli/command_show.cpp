// tessaro-cli show: the settings as the window shows them when it opens.
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/config_input.h"
#include "cli/setting_text.h"
#include "cli/terminal_text.h"
#include "core/recording_size.h"
#include "files/config_keys.h"
#include "files/file_text.h"

namespace cli {
namespace {

// The version of show --json's layout; a change that would mislead an older reader raises it.
constexpr int kJsonFormat = 1;

struct StatusText {
    RecordingSizeStatus status;
    const char* name;  // in JSON
    const char* why;   // in the text
};
// clang-format off
const StatusText kStatusTexts[] = {
    {RecordingSizeStatus::Ok,              "ok",               ""},
    {RecordingSizeStatus::NoChannels,      "no-channels",      "no channel is enabled in the active mode"},
    {RecordingSizeStatus::NoBuffer,        "no-buffer",        "exam_ddc.ini gives no buffer size (DirFileBufSize)"},
    {RecordingSizeStatus::NegativeRequest, "negative-request", "fewer than 0 samples per channel are asked for"},
    {RecordingSizeStatus::TooLarge,        "too-large",        "the recording does not fit 32-bit numbers"},
    {RecordingSizeStatus::UnknownMode,     "unknown-mode",     "EnableDDC is neither 0 nor 1"},
};
// clang-format on

const StatusText& TextOf(RecordingSizeStatus status) {
    for (const StatusText& text : kStatusTexts) {
        if (text.status == status)
            return text;
    }
    return kStatusTexts[0];
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string Row(const std::string& key, const std::string& value, const std::string& unit,
                const std::string& meaning) {
    std::string line = Padded(key, 24) + Padded(value, 20) + " " + Padded(unit, 8) + meaning;
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line + "\n";
}

class ShowCommand : public Command {
  public:
    explicit ShowCommand(CLI::App& parent) {
        app = parent.add_subcommand(
            "show", "Print every setting and the recording size, as the window opens them");
        Describe(
            *app,
            "Load as the window does when it opens in the working directory (the defaults, then "
            "CONFIG, then DirFileBufSize and InternalClockValue from exam_ddc.ini) and print every "
            "setting: its key in the configuration file, its value as the file spells it, its "
            "unit and meaning (after a warning naming the keys CONFIG lacks, read as 0); then the "
            "recording size (buffers, actual samples per channel, file "
            "size).");
        app->add_option("CONFIG", config_,
                        "Configuration file read in place of std.cfg; it must exist (a missing "
                        "std.cfg gives the defaults, as in the window); - reads it from standard "
                        "input");
        app->add_flag("--json", json_,
                      "Print one JSON object instead: \"format\": 1, then each setting by its "
                      "file key, numbers as numbers, masks also as \"0x\" text under <Key>Hex, "
                      "names as UTF-8 text with <Key>Encoding (\"utf-8\" or \"windows-1251\", "
                      "the encoding of the file's bytes) and, for a name that is not UTF-8, its "
                      "bytes in hexadecimal under <Key>Bytes; then the objects \"configuration\" (file, found, missingKeys: the keys the file lacked), \"exam_ddc.ini\" "
                      "(found, DirFileBufSize, InternalClockValue) and \"recording\" (status, "
                      "DirSamplesPerChannel, DirNumBufWrite, DirRealSamplesPerChannel, "
                      "DirFileSizeKB). Every top-level key that is no object goes back into set "
                      "as KEY=VALUE.");
    }

    int Run() override {
        const StartupFiles files = OpenAsWindowFrom(settings_, config_);
        const RecordingSizeStatus status =
            ComputeRecordingSize(settings_, settings_.DirSamplesPerChannel).status;
        if (json_)
            PrintJson(files, status);
        else
            PrintText(files, status);
        return kDone;
    }

  private:
    void PrintText(const StartupFiles& files, RecordingSizeStatus status) const {
        const std::string configName = config_.value_or(TSettings::StartupConfigName);
        std::string out =
            "Configuration: " + configName +
            (files.config == files::LoadStatus::Loaded ? "" : " (not found: the defaults)") + "\n";
        if (!files.configMissingKeys.empty()) {
            std::string list;
            for (const std::string& key : files.configMissingKeys)
                list += (list.empty() ? "" : ", ") + key;
            out += "warning config-missing-keys " + configName + " lacks " + list + "; read as 0\n";
        }
        out += std::string("Initialization file: ") + TSettings::IniFileName +
               (files.ini == files::LoadStatus::Loaded ? "" : " (not found: its defaults)") +
               "\n\n";
        out += Row("Key", "Value", "Unit", "Meaning");
        const auto texts = ConfigFileTexts(settings_);
        const auto rows = RowsOf(FileOf::Config);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const SettingNote note = NoteOf(*rows[i]);
            out += Row(rows[i]->key, texts[i], note.unit, note.meaning);
        }
        for (const SettingRow& row : SettingCatalogue()) {
            if (!row.iniRead)
                continue;
            const std::string value = TypeOf(row) == FieldType::Integer
                                          ? files::DecimalText(IntegerOf(row, settings_))
                                          : files::FixedText(RealOf(row, settings_), 1);
            out += Row(row.key, value, row.unit, row.meaning);
        }

        out += "\nRecording size\n";
        out += Row("  requested", files::DecimalText(settings_.DirSamplesPerChannel), "samples",
                   "per channel, asked for");
        if (status == RecordingSizeStatus::Ok) {
            out += Row("  DirNumBufWrite", files::DecimalText(settings_.DirNumBufWrite), "buffers",
                       "written to the file");
            out += Row("  actual", files::DecimalText(settings_.DirRealSamplesPerChannel),
                       "samples", "per channel, recorded in whole buffers");
            out += Row("  file size", files::DecimalText(settings_.DirFileSizeKB), "KB", "");
        } else {
            out += std::string("  no result: ") + TextOf(status).why + "\n";
        }
        Show(out, Reader::Person);
    }

    void PrintJson(const StartupFiles& files, RecordingSizeStatus status) const {
        nlohmann::ordered_json document = nlohmann::ordered_json::object();
        document["format"] = kJsonFormat;
        for (const SettingRow* row : RowsOf(FileOf::Config))
            PutJsonValue(document, *row, settings_);
        document["configuration"] = {
            {"file", config_.value_or(TSettings::StartupConfigName)},
            {"found", files.config == files::LoadStatus::Loaded},
            {"missingKeys", files.configMissingKeys},
        };
        document["exam_ddc.ini"] = {
            {"found", files.ini == files::LoadStatus::Loaded},
            {"DirFileBufSize", settings_.DirFileBufSize},
            {"InternalClockValue", settings_.InternalClockValue},
        };
        const bool ok = status == RecordingSizeStatus::Ok;
        document["recording"] = {
            {"status", TextOf(status).name},
            {"DirSamplesPerChannel", settings_.DirSamplesPerChannel},
            {"DirNumBufWrite", settings_.DirNumBufWrite},
            {"DirRealSamplesPerChannel", ok ? settings_.DirRealSamplesPerChannel : 0},
            {"DirFileSizeKB", settings_.DirFileSizeKB},
        };
        Show(JsonText(document));
    }

    std::optional<std::string> config_;
    bool json_ = false;
    TSettings settings_;
};

}  // namespace

std::unique_ptr<Command> MakeShowCommand(CLI::App& parent) {
    return std::make_unique<ShowCommand>(parent);
}

}  // namespace cli
