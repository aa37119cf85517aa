#include "files/session.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/recording_size.h"
#include "files/config_file.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "files/profile_store.h"

namespace {

FileLoad LoadResultOf(ProfileStore::LoadResult result) {
    switch (result) {
        case ProfileStore::LoadResult::Loaded:
            return FileLoad::Loaded;
        case ProfileStore::LoadResult::Missing:
            return FileLoad::Missing;
        case ProfileStore::LoadResult::Failed:
            break;
    }
    return FileLoad::Failed;
}

bool Exists(const std::string& name) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(name, ignored));
}

}  // namespace

StartupFiles LoadStartupFiles(const std::string& configName) {
    StartupFiles result;
    if (ReadConfig(configName, &result.configError)) {
        result.config = FileLoad::Loaded;
    } else {
        result.config = Exists(configName) ? FileLoad::Failed : FileLoad::Missing;
    }

    std::optional<int32_t> recordedBuffers;
    const bool read =
        files::FailingOnOutOfMemory("read", TSettings::IniFileName, &result.iniError, [&] {
            ProfileStore store;
            result.ini = LoadResultOf(store.Load(TSettings::IniFileName, &result.iniError));
            if (result.ini == FileLoad::Loaded) {
                ReadIniFrom(store);
                recordedBuffers = RecordedBuffersFrom(store);
            }
            return true;
        });
    if (!read)
        result.ini = FileLoad::Failed;

    // The requested length has no key in any file: it is taken back from the buffers the file
    // records, so that writing the file again unchanged keeps its recording length. Without a
    // usable count (none, 0, or no result for these settings) the request stays as it was.
    CountEnabledChannels();
    if (recordedBuffers) {
        if (const auto samples = SamplesInBuffers(Settings, *recordedBuffers))
            Settings.DirSamplesPerChannel = *samples;
    }
    RecomputeRecordingSize();
    return result;
}

bool WriteInitializationFile(std::string* error) {
    RecomputeRecordingSize();
    return WriteIni(TSettings::IniFileName, error);
}

bool PreviewInitializationFile(InitializationFilePreview& preview, std::string* error) {
    RecomputeRecordingSize();
    return files::FailingOnOutOfMemory("read", TSettings::IniFileName, error, [&] {
        ProfileStore store;
        const ProfileStore::LoadResult loaded = store.Load(TSettings::IniFileName, error);
        if (loaded == ProfileStore::LoadResult::Failed)
            return false;
        preview.exists = loaded == ProfileStore::LoadResult::Loaded;
        preview.before = store.Bytes();
        WriteIniTo(store);
        preview.after = store.Bytes();
        return true;
    });
}
