#include "core/checks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/frequency_plan.h"
#include "core/number_text.h"
#include "core/recording_size.h"
#include "core/setting_catalogue.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Number texts for messages: C notation, whatever the process locale.

std::string Shortest(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Shortest(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Whole hertz, as the window shows frequencies.
std::string Hertz(double value) {
    if (!std::isfinite(value)) {
        return Shortest(value);
    }
    char buffer[400];
    const double whole = std::round(value);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, whole == 0.0 ? 0.0 : whole,
                                      std::chars_format::fixed, 0);
    return std::string(buffer, result.ptr);
}

std::string Hex(int32_t value) {
    char buffer[16] = {'0', 'x'};
    const auto result =
        std::to_chars(buffer + 2, buffer + sizeof buffer, static_cast<uint32_t>(value), 16);
    std::string text(buffer, result.ptr);
    for (std::size_t i = 2; i < text.size(); ++i) {
        if (text[i] >= 'a' && text[i] <= 'f') {
            text[i] = static_cast<char>(text[i] - 'a' + 'A');
        }
    }
    return text;
}

FindingValue Number(std::string text) {
    return {std::move(text), true};
}
FindingValue Number(long long value) {
    return {std::to_string(value), true};
}
FindingValue Text(std::string text) {
    return {std::move(text), false};
}

void Add(std::vector<Finding>& findings, const char* id, const char* cause, Severity severity,
         std::vector<std::string> keys, std::string message, std::vector<FindingValue> values) {
    findings.push_back(
        {id, cause, severity, std::move(keys), std::move(message), std::move(values)});
}

bool DdcMode(const TSettings& s) {
    return s.EnableDDC != 0;
}

bool DirectRecording(const TSettings& s) {
    return s.WorkMode == 1;
}

// The recording size as the next refresh computes it, with the enabled channels counted here so
// that the result depends on the settings alone.
RecordingSize PlannedRecording(const TSettings& s) {
    TSettings counted = s;
    counted.EnabledDdcCount = BitCount(s.DDCChannelMask, kDdcChannels);
    counted.EnabledAdcCount = BitCount(s.ChannelMask, kAdcs);
    return ComputeRecordingSize(counted, s.DirSamplesPerChannel);
}

std::string NcoKey(int channel) {
    return "FrequencyNCO" + std::to_string(channel);
}

// ---------------------------------------------------------------------------------------------
// The rules.

void NcoRange(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    const double clock = ClockInUse(s);
    if (!DdcMode(s) || !ClockUsable(clock)) {
        return;
    }
    const double limit = clock / 2;
    const char* which = s.ClockSource == 0 ? "internal" : "external";
    for (int c = 0; c < kDdcChannels; ++c) {
        const double f = s.FrequencyNCO[c];
        if (!BitTest(s.DDCChannelMask, c) || (f >= 0.0 && f <= limit)) {
            continue;
        }
        Add(out, "nco-range", "", Severity::Warning, {NcoKey(c)},
            NcoKey(c) + ": " + Hertz(f) + " Hz is outside 0 ... " + Hertz(limit) +
                " Hz (half the " + which + " clock)",
            {Number(c), Number(Hertz(f)), Number(Hertz(limit))});
    }
}

void NcoPrecision(const CheckInput& in, std::vector<Finding>& out) {
    if (in.typed == nullptr) {
        return;
    }
    for (int c = 0; c < kDdcChannels; ++c) {
        if (in.typed->FrequencyNCO[c]) {
            if (auto f = NcoPrecisionFinding(NcoKey(c), *in.typed->FrequencyNCO[c],
                                             in.settings.FrequencyNCO[c])) {
                out.push_back(std::move(*f));
            }
        }
    }
    if (in.typed->FreqNC0) {
        if (auto f = NcoPrecisionFinding("FreqNC0", *in.typed->FreqNC0, in.settings.FreqNC0)) {
            out.push_back(std::move(*f));
        }
    }
}

// One finding for each channel that repeats the NCO of a lower-numbered channel on its ADC.
void NcoDuplicate(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    if (!DdcMode(s)) {
        return;
    }
    const FrequencyPlan plan = MakeFrequencyPlan(s, PlanOptions{});
    for (const AdcPlan& adc : plan.adcs) {
        for (const ChannelPair& pair : adc.duplicates) {
            // Of three channels alike, the third is named against the first only.
            const bool repeated =
                std::any_of(adc.duplicates.begin(), adc.duplicates.end(),
                            [&](const ChannelPair& other) { return other.second == pair.first; });
            if (repeated) {
                continue;
            }
            const std::string hertz = Hertz(s.FrequencyNCO[pair.first]);
            Add(out, "nco-duplicate", "", Severity::Warning,
                {NcoKey(pair.first), NcoKey(pair.second)},
                NcoKey(pair.first) + " and " + NcoKey(pair.second) + " are both " + hertz +
                    " Hz on ADC " + std::to_string(adc.adc) +
                    ": the two channels deliver the same data",
                {Number(pair.first), Number(pair.second), Number(hertz), Number(adc.adc)});
        }
    }
}

void DataFormat(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    if (!DdcMode(s) || s.DataFormat == 0 || s.DataFormat == 4) {
        return;
    }
    Add(out, "data-format", "", Severity::Warning, {"DataFormat"},
        "DataFormat " + std::to_string(s.DataFormat) +
            " is neither 0 (16 bits) nor 4 (24 bits); the recording counts 8 bytes a sample",
        {Number(s.DataFormat)});
}

void ThresholdRange(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    const float t = s.ComparatorThresholdSDX;
    if (t >= -2.5f && t <= 2.5f) {
        return;
    }
    const bool sdx = s.StartSource == 2;
    Add(out, "threshold-range", sdx ? "sdx" : "", sdx ? Severity::Error : Severity::Warning,
        {"ComparatorThresholdSDX"},
        "ComparatorThresholdSDX " + Shortest(t) + " V is outside -2.5 ... +2.5 V" +
            (sdx ? ", and the run starts from SDX" : ""),
        {Number(Shortest(t))});
}

void ProgramFile(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    if (!DdcMode(s) || FindProgramFile(s.DDCProgramFile, in.disk)) {
        return;
    }
    Add(out, "program-file", "", Severity::Warning, {"DDCProgramFile"},
        "DDCProgramFile \"" + s.DDCProgramFile + "\" is not found from the working directory",
        {Text(s.DDCProgramFile)});
}

void RecordingFolderRule(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    if (!DirectRecording(s)) {
        return;
    }
    const std::string& name = s.DirFileName;
    if (name.empty() || name.back() == '\\' || name.back() == '/') {
        Add(out, "recording-folder", "no-name", Severity::Warning, {"DirFileName"},
            "DirFileName \"" + name + "\" names no file", {Text(name)});
        return;
    }
    const std::string folder = RecordingFolder(name);
    const std::string shown = in.disk.FullPath(folder);
    if (!in.disk.IsFolder(folder)) {
        Add(out, "recording-folder", "missing", Severity::Warning, {"DirFileName"},
            "DirFileName: the folder \"" + shown + "\" does not exist", {Text(shown)});
    } else if (!in.disk.IsWritableFolder(folder)) {
        Add(out, "recording-folder", "not-writable", Severity::Warning, {"DirFileName"},
            "DirFileName: the folder \"" + shown + "\" may not be written to", {Text(shown)});
    }
}

void DiskSpace(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    if (!DirectRecording(s)) {
        return;
    }
    const RecordingSize size = PlannedRecording(s);
    const std::string folder = RecordingFolder(s.DirFileName);
    if (size.status != RecordingSizeStatus::Ok || size.fileSizeKB <= 0 ||
        !in.disk.IsFolder(folder)) {
        return;
    }
    const std::optional<std::uint64_t> free = in.disk.FreeBytes(folder);
    const std::uint64_t needed = static_cast<std::uint64_t>(size.fileSizeKB) * 1024;
    if (!free || needed <= *free) {
        return;
    }
    const long long freeKB = static_cast<long long>(*free / 1024);
    const std::string shown = in.disk.FullPath(folder);
    Add(out, "disk-space", "", Severity::Warning, {"DirFileName", "DirNumBufWrite"},
        "The recording needs " + std::to_string(size.fileSizeKB) + " KB; the volume of \"" + shown +
            "\" has " + std::to_string(freeKB) + " KB free",
        {Number(size.fileSizeKB), Number(freeKB), Text(shown)});
}

void RecordingSizeRule(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    if (!DirectRecording(s)) {
        return;
    }
    const RecordingSize size = PlannedRecording(s);
    const char* cause = nullptr;
    std::string why;
    std::vector<std::string> keys = {"DirNumBufWrite"};
    switch (size.status) {
        case RecordingSizeStatus::Ok:
            // A request of 0 samples computes to 0 buffers: nothing would be recorded.
            if (size.buffers > 0) {
                return;
            }
            cause = "empty";
            why = "0 samples per channel are asked for";
            keys.push_back("DirSamplesPerChannel");
            break;
        case RecordingSizeStatus::NoChannels:
            cause = "no-channels";
            why = "no channel is enabled";
            keys.push_back(s.EnableDDC == 0 ? "ChannelMask" : "DDCChannelMask");
            break;
        case RecordingSizeStatus::NoBuffer:
            cause = "no-buffer";
            why = "DirFileBufSize is " + std::to_string(s.DirFileBufSize);
            keys.push_back("DirFileBufSize");
            break;
        case RecordingSizeStatus::NegativeRequest:
            cause = "negative";
            why = std::to_string(s.DirSamplesPerChannel) + " samples per channel are asked for";
            keys.push_back("DirSamplesPerChannel");
            break;
        case RecordingSizeStatus::TooLarge:
            cause = "too-large";
            why = "the recording does not fit 32-bit sizes";
            keys.push_back("DirSamplesPerChannel");
            break;
        case RecordingSizeStatus::UnknownMode:
            cause = "unknown-mode";
            why = "EnableDDC is " + std::to_string(s.EnableDDC);
            keys.push_back("EnableDDC");
            break;
    }
    const long long number = size.status == RecordingSizeStatus::NoBuffer ? s.DirFileBufSize
                             : size.status == RecordingSizeStatus::UnknownMode
                                 ? s.EnableDDC
                                 : s.DirSamplesPerChannel;
    Add(out, "recording-size", cause, Severity::Error, std::move(keys),
        "The recording size has no result (" + why + "): DirNumBufWrite would be 0",
        {Number(number)});
}

void InputSource(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    for (int c = 0; c < kDdcChannels; ++c) {
        const int32_t source = s.InputSource[c];
        if (!BitTest(s.DDCChannelMask, c) || (source >= 0 && source < kAdcs)) {
            continue;
        }
        const std::string key = "InputSource" + std::to_string(c);
        Add(out, "input-source", "", Severity::Error, {key},
            key + " is " + std::to_string(source) + ": there is no such ADC (0 to 3)",
            {Number(c), Number(source)});
    }
}

void ClockValue(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    const double clock = ClockInUse(s);
    if (ClockUsable(clock)) {
        return;
    }
    const bool internal = s.ClockSource == 0;
    const char* key = internal ? "InternalClockValue" : "ExternalClockValue";
    Add(out, "clock-value", internal ? "internal" : "external", Severity::Error, {key},
        std::string(key) + " " + Hertz(clock) + " Hz is not a positive frequency",
        {Number(Hertz(clock))});
}

void AdcChannels(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    if (s.EnableDDC != 0 || BitCount(s.ChannelMask, kAdcs) > 0) {
        return;
    }
    Add(out, "adc-channels", "", Severity::Error, {"ChannelMask"},
        "ADC samples are chosen and no ADC channel is enabled (ChannelMask " + Hex(s.ChannelMask) +
            ")",
        {Number(Hex(s.ChannelMask))});
}

// A name read from a file may hold what no typed name can: a line break or a NUL, which would end
// its line of exam_ddc.ini there (a reader that ends lines at CR would even see a new section).
void NameControlChar(const CheckInput& in, std::vector<Finding>& out) {
    for (const SettingRow* row : RowsOf(FileOf::Ini)) {
        if (TypeOf(*row) != FieldType::String)
            continue;
        if (const char* what = LineBreakOrNulIn(StringOf(*row, in.settings))) {
            Add(out, "name-control-char", "", Severity::Error, {row->key},
                std::string(row->key) + " holds a " + what +
                    " character, which exam_ddc.ini cannot hold",
                {Text(row->key), Text(what)});
        }
    }
}

// A real whose text in exam_ddc.ini would be longer than the 255 characters a value is read back
// with comes back as another value (1e300 as 1e254), so it is refused as a typed one is; only a
// file can give one (1e400 reads as the largest double).
void ValueTooLarge(const CheckInput& in, std::vector<Finding>& out) {
    for (const SettingRow* row : RowsOf(FileOf::Ini)) {
        if (row->ini != ValueFormat::Real1 && row->ini != ValueFormat::Real2)
            continue;
        const double value = RealOf(*row, in.settings);
        if (FitsSettingsFiles(value, row->ini == ValueFormat::Real2 ? 2 : 1))
            continue;
        Add(out, "value-too-large", "", Severity::Error, {row->key},
            std::string(row->key) + " " + Shortest(value) +
                " is too large for the settings files: it would come back cut",
            {Text(row->key), Number(Shortest(value))});
    }
}

// The settings the window shows as item lists, switches and boxes; what it offers for each is the
// catalogue's, the same the command line's "set" keeps to. DataFormat and the channels' ADC
// numbers have rules of their own; the selection for the common frequency reaches no run.
bool ChoiceRuleOf(const SettingRow& row) {
    return (!row.options.empty() || row.maskBits > 0) && row.iniWrite == IniWrite::Always &&
           !std::holds_alternative<int32_t(TSettings::*)[kDdcChannels]>(row.field.member);
}

void EnumValue(const CheckInput& in, std::vector<Finding>& out) {
    const TSettings& s = in.settings;
    auto add = [&](const char* key, std::string value, std::string shown) {
        Add(out, "enum-value", "", Severity::Error, {key},
            std::string(key) + " " + value + " is not offered by the window (" + shown + ")",
            {Text(key), Number(value), Number(shown)});
    };
    for (const SettingRow& row : SettingCatalogue()) {
        const char* key = row.key;
        if (!ChoiceRuleOf(row)) {
            continue;
        }
        const int32_t value = IntegerOf(row, s);
        if (row.maskBits > 0) {
            const uint32_t all = row.maskBits >= 32 ? ~0u : (1u << row.maskBits) - 1u;
            const uint32_t bits = static_cast<uint32_t>(value);
            if ((bits & ~all) != 0) {
                add(key, Hex(value), "0x0 ... " + Hex(static_cast<int32_t>(all)));
            } else if (row.zeroRefused && bits == 0 && DdcMode(s)) {
                // The window never leaves the DDC channels all disabled; only a file does. In ADC
                // mode they are not used.
                add(key, Hex(value), "0x1 ... " + Hex(static_cast<int32_t>(all)));
            }
            continue;
        }
        std::string shown;
        bool offered = false;
        for (const SettingOption& option : row.options) {
            offered = offered || option.value == value;
            shown += (shown.empty() ? "" : ", ") + std::to_string(option.value);
        }
        if (!offered) {
            add(key, std::to_string(value), shown);
        }
    }
}

void IniFile(const CheckInput& in, std::vector<Finding>& out) {
    const IniFileState state = in.disk.IniFile(TSettings::IniFileName);
    const std::string name = TSettings::IniFileName;
    if (!state.found) {
        Add(out, "ini-file", "missing", Severity::Warning, {"DirFileBufSize", "InternalClockValue"},
            name +
                " is missing; it holds the acquisition program's DirFileBufSize and "
                "InternalClockValue",
            {Text(name)});
        return;
    }
    std::vector<std::string> keys;
    if (!state.hasDirFileBufSize) {
        keys.push_back("DirFileBufSize");
    }
    if (!state.hasInternalClockValue) {
        keys.push_back("InternalClockValue");
    }
    if (keys.empty()) {
        return;
    }
    std::string list = keys[0];
    for (std::size_t i = 1; i < keys.size(); ++i) {
        list += ", " + keys[i];
    }
    Add(out, "ini-file", "keys", Severity::Warning, keys, name + " lacks " + list,
        {Text(name), Text(list)});
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string list;
    for (const std::string& part : parts) {
        list += (list.empty() ? "" : ", ") + part;
    }
    return list;
}

// A later copy of a section or key is read by nobody: the acquisition program and the write both
// take the first, so a hand edit of the copy silently changes nothing.
void IniDuplicates(const CheckInput& in, std::vector<Finding>& out) {
    const IniFileState state = in.disk.IniFile(TSettings::IniFileName);
    if (!state.found || state.duplicates.empty()) {
        return;
    }
    const std::string name = TSettings::IniFileName;
    const std::string list = Joined(state.duplicates);
    Add(out, "ini-duplicates", "", Severity::Warning, {},
        name + " holds more than once: " + list + "; only the first copy is read and written",
        {Text(name), Text(list)});
}

// A missing key of a configuration reads as 0, as files have always relied on; the user is told
// which, so that a 0 from an older or hand-made file is not taken for a choice.
void ConfigMissingKeys(const CheckInput& in, std::vector<Finding>& out) {
    if (in.configRead == nullptr || in.configRead->missingKeys.empty()) {
        return;
    }
    const std::string list = Joined(in.configRead->missingKeys);
    Add(out, "config-missing-keys", "", Severity::Warning, in.configRead->missingKeys,
        in.configRead->name + " lacks " + list + "; read as 0",
        {Text(in.configRead->name), Text(list)});
}

}  // namespace

const char* SeverityName(Severity severity) {
    return severity == Severity::Error ? "error" : "warning";
}

std::optional<Finding> NcoPrecisionFinding(std::string_view key, double typed, float stored) {
    // Beyond the float range the typed text is refused before anything is stored.
    if (!std::isfinite(typed) || std::fabs(typed) > std::numeric_limits<float>::max() ||
        static_cast<float>(typed) != stored) {
        return std::nullopt;
    }
    const double kept = stored;
    if (std::round(kept) == std::round(typed)) {
        return std::nullopt;
    }
    const std::string name(key);
    std::vector<FindingValue> values = {Number(Shortest(typed)), Number(Hertz(kept))};
    constexpr std::string_view kNco = "FrequencyNCO";
    const bool channel = name.starts_with(kNco);
    if (channel) {
        values.insert(values.begin(), Number(name.substr(kNco.size())));
    }
    return Finding{
        "nco-precision",
        channel ? "" : "common",
        Severity::Warning,
        {name},
        name + ": " + Shortest(typed) + " Hz is kept as " + Hertz(kept) + " Hz (single precision)",
        std::move(values)};
}

std::optional<std::string> FindProgramFile(const std::string& name, const FileSystemView& disk) {
    if (name.empty()) {
        return std::nullopt;
    }
    std::string path = name;
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (disk.IsFile(path)) {
        return path;
    }
    // Part by part, each matched regardless of case in the folder found so far.
    std::string found;
    std::size_t begin = 0;
    if (path.front() == '/') {
        found = "/";
        begin = 1;
    }
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string part = path.substr(begin, end - begin);
        const bool last = end == path.size();
        if (!part.empty()) {
            const std::string folder = found.empty() ? "." : found;
            const std::optional<std::string> entry = disk.FindIgnoringCase(folder, part);
            if (!entry) {
                return std::nullopt;
            }
            found += (found.empty() || found.back() == '/' ? "" : "/") + *entry;
        }
        if (last) {
            break;
        }
        begin = end + 1;
    }
    if (found.empty() || !disk.IsFile(found)) {
        return std::nullopt;
    }
    return found;
}

std::string RecordingFolder(std::string_view fileName) {
    const std::size_t sep = fileName.find_last_of("\\/");
    if (sep == std::string_view::npos) {
        return ".";
    }
    std::string folder(fileName.substr(0, sep));
    for (char& c : folder) {
        if (c == '\\') {
            c = '/';
        }
    }
    return folder.empty() ? "/" : folder;
}

// clang-format off
const std::array<CheckRule, 18> CheckRules = {{
    {"nco-range",        NcoRange},
    {"nco-precision",    NcoPrecision},
    {"nco-duplicate",    NcoDuplicate},
    {"data-format",      DataFormat},
    {"threshold-range",  ThresholdRange},
    {"program-file",     ProgramFile},
    {"recording-folder", RecordingFolderRule},
    {"disk-space",       DiskSpace},
    {"recording-size",   RecordingSizeRule},
    {"input-source",     InputSource},
    {"clock-value",      ClockValue},
    {"adc-channels",     AdcChannels},
    {"enum-value",       EnumValue},
    {"name-control-char", NameControlChar},
    {"value-too-large",  ValueTooLarge},
    {"ini-file",         IniFile},
    {"ini-duplicates",   IniDuplicates},
    {"config-missing-keys", ConfigMissingKeys},
}};
// clang-format on

std::vector<Finding> RunChecks(const CheckInput& input) {
    std::vector<Finding> findings;
    for (const CheckRule& rule : CheckRules) {
        rule.run(input, findings);
    }
    return findings;
}

std::vector<Finding> WriteStoppers(const std::vector<Finding>& findings) {
    std::vector<Finding> stoppers;
    for (const Finding& f : findings) {
        if (f.severity == Severity::Error) {
            stoppers.push_back(f);
        }
    }
    return stoppers;
}

std::optional<Severity> WorstSeverity(const std::vector<Finding>& findings) {
    std::optional<Severity> worst;
    for (const Finding& f : findings) {
        if (!worst || f.severity == Severity::Error) {
            worst = f.severity;
        }
    }
    return worst;
}

CachedFileSystemView::CachedFileSystemView(const FileSystemView& inner,
                                           std::chrono::milliseconds lifetime, Clock clock)
    : inner_(inner), lifetime_(lifetime), clock_(std::move(clock)) {}

std::optional<std::uint64_t> CachedFileSystemView::FreeBytes(const std::string& folder) const {
    const auto now = clock_();
    auto it = freeBytes_.find(folder);
    if (it == freeBytes_.end() || now >= it->second.until) {
        // A few folders at most: the entries of other folders are dropped rather than kept.
        freeBytes_.clear();
        it = freeBytes_
                 .emplace(folder, Entry<std::optional<std::uint64_t>>{now + lifetime_,
                                                                      inner_.FreeBytes(folder)})
                 .first;
    }
    return it->second.value;
}

IniFileState CachedFileSystemView::IniFile(const std::string& name) const {
    const auto now = clock_();
    auto it = iniFiles_.find(name);
    if (it == iniFiles_.end() || now >= it->second.until) {
        iniFiles_.clear();
        it = iniFiles_.emplace(name, Entry<IniFileState>{now + lifetime_, inner_.IniFile(name)})
                 .first;
    }
    return it->second.value;
}

void CachedFileSystemView::Forget() {
    freeBytes_.clear();
    iniFiles_.clear();
}
