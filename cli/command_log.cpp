// tessaro-cli log and restore: the run journal, where every write of exam_ddc.ini is kept with the
// settings it came from.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command.h"
#include "cli/setting_text.h"
#include "cli/terminal_text.h"
#include "files/file_io.h"
#include "files/journal.h"

namespace cli {
namespace {

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string ValueOrNone(const std::optional<std::string>& value) {
    return value ? *value : "(none)";
}

// The journal in the working directory for reading; null when there is none yet.
std::unique_ptr<Journal> OpenJournal(bool mayBeMissing) {
    std::error_code ignored;
    if (mayBeMissing && JournalAvailable() &&
        !std::filesystem::exists(std::filesystem::symlink_status(kJournalFileName, ignored))) {
        return nullptr;
    }
    std::string error;
    std::unique_ptr<Journal> journal =
        Journal::Open(kJournalFileName, Journal::Access::Read, &error);
    if (!journal)
        throw Failure(error);
    return journal;
}

JournalEntry GetEntry(std::int64_t id) {
    std::string error;
    std::optional<JournalEntry> entry = OpenJournal(false)->Get(id, &error);
    if (!entry)
        throw Failure(error);
    return std::move(*entry);
}

nlohmann::ordered_json SummaryJson(const JournalSummary& entry) {
    nlohmann::ordered_json object = {
        {"id", entry.id},
        {"timeUtc", entry.timeUtc},
        {"utcOffsetMinutes", entry.utcOffsetMinutes},
        {"localTime", LocalTimeText(entry)},
    };
    PutJsonText(object, "configuration", entry.configName);
    object["changes"] = entry.changeCount;
    PutJsonText(object, "user", entry.writer.user);
    PutJsonText(object, "host", entry.writer.host);
    PutJsonText(object, "program", entry.writer.program);
    PutJsonText(object, "version", entry.writer.version);
    return object;
}

class LogCommand : public Command {
  public:
    explicit LogCommand(CLI::App& parent) {
        app = parent.add_subcommand("log", "List the writes of exam_ddc.ini kept in the journal");
        Describe(*app,
                 "Every write of exam_ddc.ini, by the window or by apply, is kept in the journal "
                 "tessaro-journal.sqlite in the working directory: when (UTC and the writer's "
                 "local time), by whom, from which configuration, the full settings, the exact "
                 "bytes written and the values that changed. log lists the writes, newest first: "
                 "id, local time, configuration, number of changed values, user@host, program "
                 "and version. No journal yet lists nothing.\n\n"
                 "log show ID prints one write: its values before and after; with --ini the "
                 "exam_ddc.ini it wrote and with --config its settings as a configuration file, "
                 "byte for byte. restore ID puts those settings back.");
        app->add_flag("--json", json_,
                      "Print a JSON array of objects instead (names that are not UTF-8 also as "
                      "hexadecimal bytes under <name>Bytes)");
        app->add_option("-n", limit_, "Only the newest N writes")
            ->option_text("N")
            ->check(CLI::Validator(
                [](const std::string& text) -> std::string {
                    std::size_t n = 0;
                    const char* end = text.data() + text.size();
                    const auto [stop, error] = std::from_chars(text.data(), end, n);
                    if (error == std::errc() && stop == end && n > 0)
                        return {};
                    return "takes a whole number from 1 up, not '" + text + "'";
                },
                "N"));
        app->add_option("--filter", filter_,
                        "Only writes whose time (UTC), configuration, user, host, program, version "
                        "or a changed key holds TEXT (letters in any case)")
            ->option_text("TEXT");

        show_ = app->add_subcommand("show", "Print one write of the journal");
        Describe(*show_,
                 "Print the write ID of the journal: when, by whom, from which configuration, and "
                 "each value it changed in exam_ddc.ini, before and after. --ini and --config "
                 "print the stored bytes exactly, for a file or a comparison.");
        show_->add_option("ID", id_, "The write's id, as log lists it")->required();
        auto* ini =
            show_->add_flag("--ini", ini_, "Print the exam_ddc.ini the write left, exactly");
        show_
            ->add_flag("--config", config_,
                       "Print the settings as the configuration file std.cfg holds them, exactly")
            ->excludes(ini);
        show_->add_flag("--json", showJson_, "Print one JSON object instead");
    }

    int Run() override {
        if (show_->parsed())
            return ShowEntry();
        std::vector<JournalSummary> entries;
        if (const std::unique_ptr<Journal> journal = OpenJournal(true)) {
            std::string error;
            if (!journal->List({limit_, filter_}, entries, &error))
                throw Failure(error);
        }
        if (json_) {
            nlohmann::ordered_json list = nlohmann::ordered_json::array();
            for (const JournalSummary& entry : entries)
                list.push_back(SummaryJson(entry));
            Show(JsonText(list));
            return kDone;
        }
        // Columns as wide as their widest cell, two blanks apart.
        std::vector<std::array<std::string, 6>> rows;
        std::array<std::size_t, 6> widths{};
        for (const JournalSummary& entry : entries) {
            rows.push_back({std::to_string(entry.id), LocalTimeText(entry), entry.configName,
                            std::to_string(entry.changeCount) + " changed",
                            entry.writer.user + "@" + entry.writer.host,
                            entry.writer.program + " " + entry.writer.version});
            for (std::size_t i = 0; i < widths.size(); ++i)
                widths[i] = std::max(widths[i], rows.back()[i].size());
        }
        std::string out;
        for (const auto& row : rows) {
            for (std::size_t i = 0; i + 1 < row.size(); ++i)
                out += Padded(row[i], widths[i] + 2);
            out += row.back() + "\n";
        }
        Show(out, Reader::Person);
        return kDone;
    }

  private:
    int ShowEntry() {
        const JournalEntry entry = GetEntry(id_);
        // The stored bytes through a pipe; on a terminal, decoded for reading unless --raw.
        if (ini_) {
            Show(entry.iniBytes);
            return kDone;
        }
        if (config_) {
            Show(entry.configText);
            return kDone;
        }
        if (showJson_) {
            nlohmann::ordered_json object = SummaryJson(entry.summary);
            nlohmann::ordered_json changes = nlohmann::ordered_json::array();
            for (const KeyChange& change : entry.changes) {
                nlohmann::ordered_json one = {{"section", change.section}, {"key", change.key}};
                for (const auto& [name, value] :
                     {std::pair{"before", &change.before}, std::pair{"after", &change.after}}) {
                    if (*value)
                        PutJsonText(one, name, **value);
                    else
                        one[name] = nullptr;
                }
                changes.push_back(std::move(one));
            }
            object["changedValues"] = std::move(changes);
            Show(JsonText(object));
            return kDone;
        }
        const JournalSummary& s = entry.summary;
        std::string out = "write " + std::to_string(s.id) + "\n";
        out += "time           " + LocalTimeText(s) + " (" + s.timeUtc + ")\n";
        out += "configuration  " + s.configName + "\n";
        out += "written by     " + s.writer.user + "@" + s.writer.host + ", " + s.writer.program +
               " " + s.writer.version + "\n";
        out += "changed        " + std::to_string(entry.changes.size()) + " values\n";
        for (const KeyChange& change : entry.changes) {
            out += "  [" + change.section + "] " + change.key + ": " + ValueOrNone(change.before) +
                   " -> " + ValueOrNone(change.after) + "\n";
        }
        Show(out, Reader::Person);
        return kDone;
    }

    bool json_ = false;
    std::size_t limit_ = 0;
    std::string filter_;
    CLI::App* show_ = nullptr;
    std::int64_t id_ = 0;
    bool ini_ = false;
    bool config_ = false;
    bool showJson_ = false;
};

class RestoreCommand : public Command {
  public:
    explicit RestoreCommand(CLI::App& parent) {
        app = parent.add_subcommand(
            "restore", "Put the settings of a write in the journal back into a configuration");
        Describe(*app,
                 "Write the settings that the journal's write ID was made from into FILE (std.cfg "
                 "when not given), byte for byte as they were then; exam_ddc.ini is not touched. "
                 "apply then writes exam_ddc.ini from them, as the window does from std.cfg when "
                 "it opens.");
        app->add_option("ID", id_, "The write's id, as log lists it")->required();
        app->add_option("--config", config_, "The configuration file to write (default std.cfg)")
            ->option_text("FILE");
    }

    int Run() override {
        const JournalEntry entry = GetEntry(id_);
        std::string error;
        if (!files::WriteFileAtomically(config_, entry.configText, &error))
            throw Failure(error);
        return kDone;
    }

  private:
    std::int64_t id_ = 0;
    std::string config_ = TSettings::StartupConfigName;
};

}  // namespace

std::unique_ptr<Command> MakeLogCommand(CLI::App& parent) {
    return std::make_unique<LogCommand>(parent);
}

std::unique_ptr<Command> MakeRestoreCommand(CLI::App& parent) {
    return std::make_unique<RestoreCommand>(parent);
}

}  // namespace cli
