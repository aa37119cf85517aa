// Pre-flight checks: what in the settings will make a run fail, found without changing anything.
//
// A finding is data (a stable id, a severity, the file keys it concerns, an English message with
// the numbers in it); the window and the command line only present findings. Every rule is a pure
// function of the settings, the frequencies the user last typed and a small view of the disk that a
// test replaces.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"

enum class Severity { Warning, Error };

// "warning" or "error".
const char* SeverityName(Severity severity);

// A value quoted by a finding's message, for presenters that word the finding themselves.
struct FindingValue {
    std::string text;     // numbers with a point, whatever the locale
    bool number = false;  // a presenter may use its own decimal separator
    bool operator==(const FindingValue&) const = default;
};

struct Finding {
    std::string id;     // the rule's id, e.g. "nco-range"
    std::string cause;  // which of the rule's cases, e.g. "missing" (empty for a rule with one)
    Severity severity = Severity::Warning;
    std::vector<std::string> keys;  // file keys, or the setting's name for a working value
    std::string message;            // English, with the values in it
    std::vector<FindingValue> values;

    bool operator==(const Finding&) const = default;
};

// What the initialization file holds of the acquisition program's own values.
struct IniFileState {
    bool found = true;
    bool hasDirFileBufSize = true;
    bool hasInternalClockValue = true;
    // Sections ("[Option]") and keys ("Option/Dither") that the file holds more than once, in
    // file order, as the first copy spells them: the program and the write take the first copy.
    std::vector<std::string> duplicates;
    bool operator==(const IniFileState&) const = default;
};

// The disk as the rules see it. Paths are relative to the working directory or absolute, with "/"
// between folders.
class FileSystemView {
  public:
    virtual ~FileSystemView() = default;
    virtual bool IsFile(const std::string& path) const = 0;
    virtual bool IsFolder(const std::string& path) const = 0;
    // The name of the entry of `folder` that matches `name` regardless of ASCII letter case.
    virtual std::optional<std::string> FindIgnoringCase(const std::string& folder,
                                                        const std::string& name) const = 0;
    // True when this process may create files in the folder.
    virtual bool IsWritableFolder(const std::string& path) const = 0;
    // Bytes free for this process on the folder's volume; nothing when that cannot be told.
    virtual std::optional<std::uint64_t> FreeBytes(const std::string& folder) const = 0;
    virtual IniFileState IniFile(const std::string& name) const = 0;
    // The path as the user should read it in a finding: absolute, "/" between folders.
    virtual std::string FullPath(const std::string& path) const { return path; }
};

// Another view with its slow answers (free space, the initialization file) kept for `lifetime`,
// so that a window can check at every refresh. The clock is replaceable for tests.
class CachedFileSystemView : public FileSystemView {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    CachedFileSystemView(const FileSystemView& inner, std::chrono::milliseconds lifetime,
                         Clock clock = &std::chrono::steady_clock::now);

    bool IsFile(const std::string& path) const override { return inner_.IsFile(path); }
    bool IsFolder(const std::string& path) const override { return inner_.IsFolder(path); }
    std::optional<std::string> FindIgnoringCase(const std::string& folder,
                                                const std::string& name) const override {
        return inner_.FindIgnoringCase(folder, name);
    }
    bool IsWritableFolder(const std::string& path) const override {
        return inner_.IsWritableFolder(path);
    }
    std::optional<std::uint64_t> FreeBytes(const std::string& folder) const override;
    IniFileState IniFile(const std::string& name) const override;
    std::string FullPath(const std::string& path) const override { return inner_.FullPath(path); }
    // The next question asks the disk again.
    void Forget();

  private:
    template <typename T>
    struct Entry {
        std::chrono::steady_clock::time_point until;
        T value;
    };
    const FileSystemView& inner_;
    std::chrono::milliseconds lifetime_;
    Clock clock_;
    mutable std::map<std::string, Entry<std::optional<std::uint64_t>>> freeBytes_;
    mutable std::map<std::string, Entry<IniFileState>> iniFiles_;
};

// The frequencies held in single precision that the user last typed (in the window, or given to
// the command line), as typed, in double precision. A rule compares them with what is stored; an
// entry whose stored value has since been changed some other way gives no finding.
struct TypedFrequencies {
    std::array<std::optional<double>, kDdcChannels> FrequencyNCO{};
    std::optional<double> FreqNC0;
};

// The one precision test: a finding when `typed`, kept as the single-precision `stored`, comes back
// as another whole number of hertz (the window shows whole hertz, so a fraction lost below the
// hertz is no news). Nothing when `stored` is not what `typed` becomes in single precision: the
// value was changed since. `key` names the setting.
std::optional<Finding> NcoPrecisionFinding(std::string_view key, double typed, float stored);

// `name` as the acquisition program would open it from the working directory: a backslash
// separates folders; the exact name first, then each part matched regardless of letter case (the
// program's own platform ignores it). Nothing when no such file exists.
std::optional<std::string> FindProgramFile(const std::string& name, const FileSystemView& disk);

// The folder a recording named `fileName` goes into ("." for a bare name), with "/" separators.
std::string RecordingFolder(std::string_view fileName);

// The configuration file last read (at start, or read by the user) and the keys it lacked, which
// were read as 0.
struct ConfigRead {
    std::string name;
    std::vector<std::string> missingKeys;
};

struct CheckInput {
    const TSettings& settings;
    const FileSystemView& disk;
    const TypedFrequencies* typed = nullptr;  // none: no precision findings
    const ConfigRead* configRead = nullptr;   // none: no finding about the configuration read
};

struct CheckRule {
    const char* id;
    void (*run)(const CheckInput& input, std::vector<Finding>& findings);
};

// Every rule, in the order their findings are listed.
extern const std::array<CheckRule, 18> CheckRules;

// All findings of all rules, in the order of CheckRules.
std::vector<Finding> RunChecks(const CheckInput& input);

// The findings that stop a write of the initialization file unless the user insists (the window
// asks, the command line wants --force): every error, in their order.
std::vector<Finding> WriteStoppers(const std::vector<Finding>& findings);

// The most severe finding's severity; nothing when there is none.
std::optional<Severity> WorstSeverity(const std::vector<Finding>& findings);
