// What the editor does with its files when its window opens and when "Записать файл
// инициализации" is pressed: one place for the window and the command line alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/settings.h"
#include "files/file_io.h"

struct StartupFiles {
    files::LoadStatus config = files::LoadStatus::Missing;
    std::string configError;                     // the reason, for Failed (and Missing)
    std::vector<std::string> configMissingKeys;  // keys the configuration lacked (read as 0)
    files::LoadStatus ini = files::LoadStatus::Missing;
    std::string iniError;
};

// The start-up load into `settings` (the defaults when the program starts): the
// configuration `configName`; then DirFileBufSize and InternalClockValue from exam_ddc.ini; then
// the requested samples per channel that its DirNumBufWrite records; then the recording size, as
// the refresh computes it. A file that is missing or cannot be read changes nothing of its own.
StartupFiles LoadStartupFiles(TSettings& settings,
                              const std::string& configName = TSettings::StartupConfigName);
// The part of it after the configuration, for a configuration read from elsewhere (a pipe): the
// initialization file into `settings` and `result.ini`, then the recording size.
void LoadStartupIni(TSettings& settings, StartupFiles& result);

// "Записать файл инициализации": the recording size recomputed as the refresh does, then
// WriteIni(IniFileName). False with the reason when the file could not be written.
bool WriteInitializationFile(TSettings& settings, std::string* error = nullptr);

// exam_ddc.ini as it is and as WriteInitializationFile would leave it; nothing is written.
struct InitializationFilePreview {
    bool exists = false;
    std::string before;
    std::string after;
};
bool PreviewInitializationFile(TSettings& settings, InitializationFilePreview& preview,
                               std::string* error = nullptr);

// Whether the initialization file holds what WriteInitializationFile would write for the present
// record, asked at every refresh of the window: the file's bytes are kept between calls and
// read again only when its size or modification time changes, so a question costs one stat and
// one write into memory. The recording size must be current (the refresh has just computed it).
class InitializationFileWatch {
  public:
    // True when writing now would change the file (or create it).
    bool Pending(const TSettings& settings);

  private:
    bool known_ = false;
    bool exists_ = false;
    std::uintmax_t size_ = 0;
    std::filesystem::file_time_type time_{};
    std::string bytes_;
};

// How many values a write changed: the lines of `after` that `before` does not hold in their place.
std::size_t ChangedValueCount(const std::string& before, const std::string& after);
