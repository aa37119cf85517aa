#include "files/session.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/recording_size.h"
#include "files/config_file.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "files/native_path.h"
#include "files/profile_store.h"
#include "files/text_diff.h"

StartupFiles LoadStartupFiles(TSettings& settings, const std::string& configName) {
    StartupFiles result;
    if (ReadConfig(configName, settings, &result.configError, &result.configMissingKeys)) {
        result.config = files::LoadStatus::Loaded;
    } else {
        result.config = files::StateOf(configName) == files::NameState::Missing
                            ? files::LoadStatus::Missing
                            : files::LoadStatus::Failed;
    }
    LoadStartupIni(settings, result);
    return result;
}

void LoadStartupIni(TSettings& settings, StartupFiles& result) {
    std::optional<int32_t> recordedBuffers;
    const bool read =
        files::FailingOnOutOfMemory("read", TSettings::IniFileName, &result.iniError, [&] {
            ProfileStore store;
            result.ini = store.Load(TSettings::IniFileName, &result.iniError);
            if (result.ini == files::LoadStatus::Loaded) {
                ReadIniFrom(store, settings);
                recordedBuffers = RecordedBuffersFrom(store);
            }
            return true;
        });
    if (!read)
        result.ini = files::LoadStatus::Failed;

    // The requested length has no key in any file: it is taken back from the buffers the file
    // records, so that writing the file again unchanged keeps its recording length. Without a
    // usable count (none, 0, or no result for these settings) the request stays as it was.
    CountEnabledChannels(settings);
    if (recordedBuffers) {
        if (const auto samples = SamplesInBuffers(settings, *recordedBuffers))
            settings.DirSamplesPerChannel = *samples;
    }
    RecomputeRecordingSize(settings);
}

bool WriteInitializationFile(TSettings& settings, std::string* error) {
    RecomputeRecordingSize(settings);
    return WriteIni(TSettings::IniFileName, settings, error);
}

bool PreviewInitializationFile(TSettings& settings, InitializationFilePreview& preview,
                               std::string* error) {
    RecomputeRecordingSize(settings);
    return files::FailingOnOutOfMemory("read", TSettings::IniFileName, error, [&] {
        if (!IniWritable(TSettings::IniFileName, settings, error))
            return false;
        ProfileStore store;
        const files::LoadStatus loaded = store.Load(TSettings::IniFileName, error);
        if (loaded == files::LoadStatus::Failed)
            return false;
        preview.exists = loaded == files::LoadStatus::Loaded;
        preview.before = store.Bytes();
        WriteIniTo(store, settings);
        preview.after = store.Bytes();
        return true;
    });
}

bool InitializationFileWatch::Pending(const TSettings& settings) {
    std::error_code ec;
    const std::filesystem::path path = files::NativePath(TSettings::IniFileName);
    const bool exists = std::filesystem::is_regular_file(path, ec);
    const std::uintmax_t size = exists ? std::filesystem::file_size(path, ec) : 0;
    const auto time = exists ? std::filesystem::last_write_time(path, ec) : decltype(time_){};
    if (!known_ || exists != exists_ || size != size_ || time != time_) {
        bytes_.clear();
        if (exists && files::ReadWholeFile(TSettings::IniFileName, bytes_, nullptr) !=
                          files::LoadStatus::Loaded) {
            bytes_.clear();
        }
        known_ = true;
        exists_ = exists;
        size_ = size;
        time_ = time;
    }
    try {
        ProfileStore store(bytes_);
        WriteIniTo(store, settings);
        return !exists_ || store.Bytes() != bytes_;
    } catch (const std::bad_alloc&) {
        return true;
    }
}

std::size_t ChangedValueCount(const std::string& before, const std::string& after) {
    // Every written value is one line: a changed one shows as a removed and an added line in the
    // difference, a new one as an added line only.
    const std::string diff = UnifiedDiff(before, after, "before", "after");
    std::size_t count = 0;
    std::size_t start = 0;
    bool inHunk = false;  // past the two header lines
    while (start < diff.size()) {
        std::size_t end = diff.find('\n', start);
        if (end == std::string::npos)
            end = diff.size();
        const std::string_view line(diff.data() + start, end - start);
        inHunk = inHunk || line.starts_with("@@");
        if (inHunk && line.starts_with('+'))
            ++count;
        start = end + 1;
    }
    return count;
}
