// tessaro-cli diff: two configurations compared setting by setting.
#include <string>
#include <variant>
#include <vector>

#include "cli/command.h"
#include "cli/config_input.h"
#include "cli/setting_text.h"
#include "cli/terminal_text.h"
#include "files/config_keys.h"

namespace cli {
namespace {

using Value = std::variant<int32_t, float, double, std::string>;

struct Loaded {
    std::vector<Value> values;
    std::vector<std::string> fileTexts;
    std::vector<std::string> exactTexts;
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
};

Value ValueOf(const SettingRow& row, const TSettings& settings) {
    switch (TypeOf(row)) {
        case FieldType::Integer:
            return IntegerOf(row, settings);
        case FieldType::Single:
            return SingleOf(row, settings);
        case FieldType::Double:
            return DoubleOf(row, settings);
        case FieldType::String:
            break;
    }
    return StringOf(row, settings);
}

Loaded Load(const std::string& config) {
    TSettings settings;
    LoadConfigurationFrom(settings, config, false);
    Loaded loaded;
    const auto fileTexts = ConfigFileTexts(settings);
    const auto rows = RowsOf(FileOf::Config);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        loaded.values.push_back(ValueOf(*rows[i], settings));
        loaded.fileTexts.push_back(fileTexts[i]);
        loaded.exactTexts.push_back(ExactText(*rows[i], settings));
        PutJsonValue(loaded.json, *rows[i], settings);
    }
    return loaded;
}

class DiffCommand : public Command {
  public:
    explicit DiffCommand(CLI::App& parent) {
        app = parent.add_subcommand("diff", "Compare two configuration files setting by setting");
        Describe(*app,
                 "Compare two configuration files setting by setting, not line by line: spellings "
                 "such as 0xFF and 255, or the letter case of keys, are no differences. Prints one "
                 "line per differing key, \"Key: a -> b\"; exit status 0 when none differs, 1 when "
                 "some do.");
        app->add_option("A", a_, "First configuration file; - reads it from standard input")
            ->required();
        app->add_option("B", b_, "Second configuration file; - reads it from standard input")
            ->required();
        app->add_flag(
            "--json", json_,
            "Print one JSON object keyed by differing key, each {\"a\": ..., \"b\": ...}");
    }

    int Run() override {
        const Loaded a = Load(a_);
        const Loaded b = Load(b_);
        std::string text;
        nlohmann::ordered_json document = nlohmann::ordered_json::object();
        const auto rows = RowsOf(FileOf::Config);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (a.values[i] == b.values[i])
                continue;
            const std::string key = rows[i]->key;
            // Reals the file spells alike (1.26 and 1.3 both as 1.3) are shown exactly.
            const bool sameSpelling = a.fileTexts[i] == b.fileTexts[i];
            std::string shownA =
                ForReader(sameSpelling ? a.exactTexts[i] : a.fileTexts[i], Reader::Person);
            std::string shownB =
                ForReader(sameSpelling ? b.exactTexts[i] : b.fileTexts[i], Reader::Person);
            // A name decoded from Windows-1251 may read as its UTF-8 spelling does.
            if (shownA == shownB && TypeOf(*rows[i]) == FieldType::String) {
                const char* encoding = "";
                DecodedName(a.fileTexts[i], &encoding);
                shownA += std::string(" (") + encoding + ")";
                DecodedName(b.fileTexts[i], &encoding);
                shownB += std::string(" (") + encoding + ")";
            }
            text += key + ": " + shownA + " -> " + shownB + "\n";
            nlohmann::ordered_json pair = nlohmann::ordered_json::object();
            for (const auto& [side, loaded] : {std::pair{"a", &a}, std::pair{"b", &b}}) {
                for (const auto& [name, value] : loaded->json.items()) {
                    if (name.starts_with(key) &&
                        (name == key || name == key + "Hex" || name == key + "Bytes" ||
                         name == key + "Encoding"))
                        pair[side + name.substr(key.size())] = value;
                }
            }
            document[key] = pair;
        }
        if (json_)
            Show(JsonText(document));
        else
            Show(text, Reader::Person);
        return text.empty() ? kDone : kDifferent;
    }

  private:
    std::string a_;
    std::string b_;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeDiffCommand(CLI::App& parent) {
    return std::make_unique<DiffCommand>(parent);
}

}  // namespace cli
