// The parts of the journal that need no database: who writes, what a write changed, and how its
// moment reads on the writer's clock.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "files/journal.h"
#include "tessaro_version.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>  // program_invocation_short_name
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string UserName() {
#ifdef _WIN32
    return Environment("USERNAME");
#else
    // The account the process runs as; the environment only where the system has no name for it.
    char buffer[4096];
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->pw_name;
    std::string name = Environment("USER");
    return name.empty() ? Environment("LOGNAME") : name;
#endif
}

std::string HostName() {
#ifdef _WIN32
    return Environment("COMPUTERNAME");
#else
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return buffer;
#endif
}

// The running program's file name without its folder (and, on Windows, its ".exe").
std::string ProgramName() {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length);
    name = name.substr(name.find_last_of("\\/") + 1);
    if (name.size() > 4 && name.ends_with(".exe"))
        name.resize(name.size() - 4);
    return name;
#else
    return program_invocation_short_name;
#endif
}

// The leading unsigned number of `text` of exactly `digits` digits, and `text` past it and one
// separator; none when the digits are not there.
std::optional<int> TakeField(std::string_view& text, std::size_t digits) {
    int value = 0;
    if (text.size() < digits)
        return std::nullopt;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + digits, value);
    if (failure != std::errc() || end != text.data() + digits)
        return std::nullopt;
    text.remove_prefix(std::min(text.size(), digits + 1));
    return value;
}

}  // namespace

JournalWriter CurrentWriter() {
    return {UserName(), HostName(), ProgramName(), kTessaroVersionText};
}

JournalRecord RecordOfWrite(std::string configName, std::string configText,
                            std::string_view iniBefore, std::string iniAfter,
                            JournalWriter writer) {
    JournalRecord record;
    record.changes = ChangedIniKeys(iniBefore, iniAfter);
    record.configName = std::move(configName);
    record.configText = std::move(configText);
    record.iniBytes = std::move(iniAfter);
    record.writer = std::move(writer);
    return record;
}

std::string LocalTimeText(const JournalSummary& summary) {
    using namespace std::chrono;
    // "YYYY-MM-DDTHH:MM:SS", whatever follows (fractions of a second, "Z").
    std::string_view text = summary.timeUtc;
    const auto year = TakeField(text, 4);
    const auto month = TakeField(text, 2);
    const auto day = TakeField(text, 2);
    const auto hour = TakeField(text, 2);
    const auto minute = TakeField(text, 2);
    const auto second = TakeField(text, 2);
    const year_month_day date{std::chrono::year(year.value_or(0)),
                              std::chrono::month(static_cast<unsigned>(month.value_or(0))),
                              std::chrono::day(static_cast<unsigned>(day.value_or(0)))};
    if (!second || !date.ok() || *hour > 23 || *minute > 59 || *second > 60)
        return summary.timeUtc;

    const sys_seconds utc = sys_days(date) + hours(*hour) + minutes(*minute) + seconds(*second);
    const sys_seconds local = utc + minutes(summary.utcOffsetMinutes);
    const sys_days localDay = floor<days>(local);
    const year_month_day localDate(localDay);
    const hh_mm_ss<seconds> clock(local - localDay);
    const int offset = summary.utcOffsetMinutes;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d:%02d %c%02d:%02d",
                  static_cast<int>(localDate.year()), static_cast<unsigned>(localDate.month()),
                  static_cast<unsigned>(localDate.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), offset < 0 ? '-' : '+',
                  std::abs(offset) / 60, std::abs(offset) % 60);
    return buffer;
}
