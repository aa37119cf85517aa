// libFuzzer target over the settings files: any bytes as a profile, a configuration file and an
// initialization file, read and written through the real files. Besides the sanitizers' findings,
// it traps when one of the layer's promises breaks:
// - a file read and not written comes out byte for byte;
// - a file is taken as a configuration exactly when it has one of the two sections, and a refused
//   one changes nothing;
// - a configuration file written from what was read reads back to the same file;
// - a save that fails leaves the file as it was, whether it was written atomically or in place;
// - a save in place cut off anywhere leaves the old or the new file once the next start has settled
//   it, and no rollback copy outlives a save;
// - WriteIni keeps every line that holds no key it writes byte for byte and in order, its values
//   read back as written, and a second WriteIni changes nothing and saves nothing;
// - after any write, the key reads back as written, and a fresh read of the new bytes agrees;
// - a configuration written from what was read keeps every number exactly;
// - WriteIni refuses, writing nothing, exactly when a name holds CR, LF or NUL or a real's text
//   would not fit 255 characters.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/setting_catalogue.h"
#include "core/settings.h"
#include "files/config_file.h"
#include "files/file_io.h"
#include "files/file_text.h"
#include "files/ini_file.h"
#include "files/profile_store.h"

namespace {

void Check(bool promise, const char* what) {
    if (!promise) {
        std::fprintf(stderr, "broken: %s\n", what);
        __builtin_trap();
    }
}

std::string ExpectedRead(std::string_view value) {
    value = files::TrimWhiteSpace(value.substr(0, value.find('\n')));
    return std::string(value.substr(0, ProfileStore::kMaxValueLength));
}

// The files on disk live in a private folder, made once and removed at exit; on tmpfs where there
// is one, since rewriting a file on ext4 waits for the disk.
std::string gFolder;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(gFolder, ignored);
}

std::string PathOf(const char* name) {
    if (gFolder.empty()) {
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/tessaro-fuzz-XXXXXX"
                                                              : "/tmp/tessaro-fuzz-XXXXXX";
        Check(::mkdtemp(pattern.data()) != nullptr, "a private folder can be made");
        gFolder = pattern;
        std::atexit(RemoveFolder);
        // The rollback copies of the saves in place go there too.
        ::setenv("XDG_STATE_HOME", (gFolder + "/state").c_str(), 1);
    }
    return gFolder + "/" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// The keys WriteIni writes.
const std::vector<std::string>& WrittenKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> lower;
        for (const SettingRow* row : RowsOf(FileOf::Ini))
            lower.push_back(LowerAscii(row->key));
        return lower;
    }();
    return keys;
}

// The lines of a file that neither hold a key WriteIni writes nor are one of the two headers it
// may add, by a rule simpler than the store's: a key line anywhere is left out, in any section.
// A byte-order mark is no part of the first line.
std::vector<std::string_view> KeptLines(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size() - 1) + 1;
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end);
        const std::string_view trimmed = files::TrimWhiteSpace(line);
        const std::size_t equals = line.find('=');
        if (!trimmed.starts_with('[') && !trimmed.starts_with(';') &&
            equals != std::string_view::npos) {
            const std::string key = LowerAscii(files::TrimWhiteSpace(line.substr(0, equals)));
            if (std::find(WrittenKeys().begin(), WrittenKeys().end(), key) != WrittenKeys().end())
                continue;
        }
        if (line == "[Option]\r\n" || line == "[device0_tessaro0]\r\n")
            continue;
        lines.push_back(line);
    }
    return lines;
}

bool NoRollbackCopies() {
    std::error_code ignored;
    return std::filesystem::directory_iterator(files::RollbackFolder(), ignored) ==
           std::filesystem::directory_iterator();
}

void AsProfile(const std::string& input) {
    ProfileStore store(input);
    Check(store.Bytes() == input, "an untouched file comes out byte for byte");
    Check(!store.Changed(), "reading changes nothing");
}

using RowValue = std::variant<int32_t, float, double, std::string>;
std::vector<RowValue> RowValues(const TSettings& s);

void CheckSameNumbers(const TSettings& a, const TSettings& b) {
    const std::vector<RowValue> x = RowValues(a), y = RowValues(b);
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!std::holds_alternative<std::string>(x[i]))
            Check(x[i] == y[i], "a configuration keeps every number exactly");
    }
}

// Settings as a configuration file gives them, any numbers and strings with any bytes, made
// stable: strings of at most 255 bytes.
void SettingsFrom(TSettings& Settings, const std::string& input) {
    Settings = TSettings{};
    ReadConfigFrom(ProfileStore(input), Settings);
    const TSettings first = Settings;
    ReadConfigFrom(ProfileStore(ConfigText(Settings)), Settings);
    CheckSameNumbers(first, Settings);
    const std::string second = ConfigText(Settings);
    ReadConfigFrom(ProfileStore(second), Settings);
    Check(ConfigText(Settings) == second, "a written configuration file reads back to itself");
    Settings.DirNumBufWrite = static_cast<int32_t>(input.size() * 2654435761u);
}

void AsConfigurationFile(TSettings& Settings, const std::string& input) {
    const std::string before = ConfigText(Settings);
    const std::string path = PathOf("fuzz.cfg");
    WriteFile(path, input);
    const ProfileStore store(input);
    const bool taken = store.HasSection("Option") || store.HasSection("device0_tessaro0");
    Check(ReadConfig(path, Settings) == taken,
          "a file is a configuration when it has a settings section");
    if (!taken)
        Check(ConfigText(Settings) == before, "a refused configuration changes nothing");
    Check(ReadIni(path, Settings), "an existing initialization file reads");

    Check(WriteConfig(path, Settings), "a configuration file is written");
    Check(ReadFile(path) == ConfigText(Settings),
          "the configuration file holds the settings' text");
    // The first file may hold a string the reader cut at 255 bytes before a blank, which the next
    // read drops; from then on the file is stable.
    Check(ReadConfig(path, Settings), "a written configuration reads");
    const std::string second = ConfigText(Settings);
    Check(WriteConfig(path, Settings) && ReadConfig(path, Settings),
          "a configuration file is written and read");
    Check(ConfigText(Settings) == second, "a written configuration reads back to itself");
}

// The values of the configuration's rows in a record.
std::vector<RowValue> RowValues(const TSettings& s) {
    std::vector<RowValue> values;
    for (const SettingRow* row : RowsOf(FileOf::Config)) {
        switch (TypeOf(*row)) {
            case FieldType::Integer:
                values.emplace_back(IntegerOf(*row, s));
                break;
            case FieldType::Single:
                values.emplace_back(SingleOf(*row, s));
                break;
            case FieldType::Double:
                values.emplace_back(DoubleOf(*row, s));
                break;
            case FieldType::String:
                values.emplace_back(StringOf(*row, s));
                break;
        }
    }
    return values;
}

// What the initialization file's text of a real reads back as (one or two decimals).
RowValue AsIniText(const SettingRow& row, const RowValue& value) {
    const int decimals = row.ini == ValueFormat::Real2 ? 2 : 1;
    if (const auto* single = std::get_if<float>(&value))
        return files::ToSingle(files::RealFromText(files::FixedText(*single, decimals)));
    if (const auto* real = std::get_if<double>(&value))
        return files::RealFromText(files::FixedText(*real, decimals));
    return value;
}

// What the keys read back as after WriteIni, read as the configuration reads them, against the
// settings they were written from.
void CheckWrittenValues(const TSettings& written, const std::string& out) {
    const std::vector<RowValue> expected = RowValues(written);
    const ProfileStore store(out);
    TSettings read = written;
    ReadConfigFrom(store, read);
    const std::vector<RowValue> back = RowValues(read);
    const auto rows = RowsOf(FileOf::Config);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SettingRow& row = *rows[i];
        if (row.ini == ValueFormat::None)
            continue;
        if (const auto* value = std::get_if<std::string>(&expected[i])) {
            // Read whole: the value, then the white space and ";" of its comment.
            const std::string text = store.ReadWhole(row.section, row.key, "");
            std::string_view rest(text);
            Check(rest.starts_with(*value), "a string reads back as written");
            rest = files::TrimWhiteSpace(rest.substr(value->size()));
            Check(rest.empty() || rest.starts_with(';'), "a string is followed by its comment");
            continue;
        }
        RowValue want = expected[i];
        if (row.iniWrite == IniWrite::DataFormat) {
            if (written.EnableDDC != 0 && written.EnableDDC != 1)
                continue;  // the line stays as it was
            want = written.EnableDDC == 1 ? written.DataFormat : written.AdcDataFormat;
        }
        Check(back[i] == AsIniText(row, want), "a number reads back as written");
    }
    Check(files::IntegerFromText(store.Read("Option", "DirNumBufWrite", "")) ==
              written.DirNumBufWrite,
          "DirNumBufWrite reads back as written");
}

void AsInitializationFile(const TSettings& written, const std::string& input) {
    const std::string path = PathOf("fuzz.ini");
    WriteFile(path, input);
    bool holdable = true;
    for (const SettingRow* row : RowsOf(FileOf::Ini)) {
        if (TypeOf(*row) == FieldType::String)
            holdable =
                holdable && StringOf(*row, written).find_first_of(std::string_view("\r\n\0", 3)) ==
                                std::string::npos;
        else if (row->ini == ValueFormat::Real1 || row->ini == ValueFormat::Real2)
            holdable = holdable && files::FixedText(RealOf(*row, written),
                                                    row->ini == ValueFormat::Real2 ? 2 : 1)
                                           .size() <= 255;
    }
    if (!holdable) {
        Check(!WriteIni(path, written), "what the file cannot hold is refused");
        Check(ReadFile(path) == input, "a refused write leaves the file as it was");
        return;
    }
    // A disk that fills up midway: the save fails, or there was nothing to save, and the file is
    // as it was either way. Every other input is written in place, as in a read-only folder.
    const bool inPlace = input.size() % 2 == 1;
    files::SetWriteFaultForTesting({.failAfterBytes = input.size() % 977, .writeInPlace = inPlace});
    WriteIni(path, written);
    files::SetWriteFaultForTesting({});
    Check(ReadFile(path) == input, "a failed save leaves the file as it was");
    Check(NoRollbackCopies(), "a failed save that put the old bytes back leaves no copy");
    files::SetWriteFaultForTesting({.writeInPlace = inPlace});
    Check(WriteIni(path, written), "an initialization file is written");
    files::SetWriteFaultForTesting({});
    const std::string out = ReadFile(path);
    Check(NoRollbackCopies(), "a save leaves no rollback copy");

    // A save in place killed after any number of bytes, then the next start.
    WriteFile(path, input);
    files::SetWriteFaultForTesting(
        {.writeInPlace = true,
         .interruptInPlaceAfterBytes = (input.size() * 7) % (out.size() + 2)});
    WriteIni(path, written);
    files::SetWriteFaultForTesting({});
    files::RecoverInterruptedSaves();
    const std::string settled = ReadFile(path);
    Check(settled == input || settled == out, "a cut-off save in place is settled whole");
    Check(NoRollbackCopies(), "the next start leaves no rollback copy");
    WriteFile(path, out);

    // A last line without a line break gets one when something is added after it.
    const std::string ended = input + "\r\n";
    const std::vector<std::string_view> kept = KeptLines(out);
    Check(kept == KeptLines(input) || (!input.ends_with('\n') && kept == KeptLines(ended)),
          "WriteIni keeps every other line byte for byte and in order");
    Check(input.starts_with("\xEF\xBB\xBF") == out.starts_with("\xEF\xBB\xBF"),
          "a byte-order mark stays as it was");
    CheckWrittenValues(written, out);
    const int saves = files::FileOperationCountsForTesting().writes;
    Check(WriteIni(path, written), "an initialization file is written again");
    Check(files::FileOperationCountsForTesting().writes == saves,
          "a second WriteIni saves nothing");
    Check(ReadFile(path) == out, "a second WriteIni changes nothing");
}

void AsWrites(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    struct Write {
        std::string section, key, value;
    };
    std::vector<Write> writes;
    const int count = provider.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < count; ++i) {
        Write w;
        w.section = provider.ConsumeRandomLengthString(24);
        w.key = provider.ConsumeRandomLengthString(24);
        w.value = provider.ConsumeRandomLengthString(300);
        writes.push_back(std::move(w));
    }
    const std::string file = provider.ConsumeRemainingBytesAsString();
    ProfileStore store(file);
    for (const Write& w : writes) {
        if (!store.Write(w.section, w.key, w.value))
            continue;
        Check(store.Read(w.section, w.key, "") == ExpectedRead(w.value), "a key reads as written");
    }
    const ProfileStore fresh(store.Bytes());
    Check(fresh.Bytes() == store.Bytes(), "written bytes read back whole");
    for (const Write& w : writes) {
        Check(
            fresh.ReadWhole(w.section, w.key, "\x01") == store.ReadWhole(w.section, w.key, "\x01"),
            "a fresh read agrees with the store");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    AsProfile(input);
    TSettings settings;
    SettingsFrom(settings, input);
    const TSettings fromInput = settings;
    AsConfigurationFile(settings, input);
    AsInitializationFile(fromInput, input);
    AsWrites(data, size);
    return 0;
}
