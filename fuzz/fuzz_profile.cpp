// libFuzzer target over the settings files: any bytes as a profile, a configuration file and an
// initialization file. Besides the sanitizers' findings, it traps when one of the layer's promises
// breaks:
// - a file read and not written comes out byte for byte;
// - a configuration file written from what was read reads back to the same file;
// - writing the initialization file twice gives the same bytes as writing it once;
// - after any write, the key reads back as written, and a fresh read of the new bytes agrees.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "files/config_file.h"
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

// The file on disk lives in a private folder, made once and removed at exit; on tmpfs where there
// is one, since rewriting a file on ext4 waits for the disk.
std::string gFolder;

void RemoveFolder() {
    std::remove((gFolder + "/fuzz.cfg").c_str());
    ::rmdir(gFolder.c_str());
}

const std::string& Folder() {
    if (gFolder.empty()) {
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/tessaro-fuzz-XXXXXX"
                                                              : "/tmp/tessaro-fuzz-XXXXXX";
        Check(::mkdtemp(pattern.data()) != nullptr, "a private folder can be made");
        gFolder = pattern;
        std::atexit(RemoveFolder);
    }
    return gFolder;
}

void AsProfile(const std::string& input) {
    ProfileStore store(input);
    Check(store.Bytes() == input, "an untouched file comes out byte for byte");
    Check(!store.Changed(), "reading changes nothing");
}

void AsConfigurationFile(const std::string& input) {
    Settings = TSettings{};
    ReadConfigFrom(ProfileStore(input));
    // The first file may hold a value the reader cuts at 255 bytes; from then on it is stable.
    ReadConfigFrom(ProfileStore(ConfigText()));
    const std::string second = ConfigText();
    ReadConfigFrom(ProfileStore(second));
    Check(ConfigText() == second, "a written configuration file reads back to itself");

    const std::string path = Folder() + "/fuzz.cfg";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << input;
    Check(ReadConfig(path), "an existing configuration file reads");
    Check(ReadIni(path), "an existing initialization file reads");
}

void AsInitializationFile(const std::string& input) {
    // Settings as the configuration reader left them: any numbers, strings with any bytes.
    ProfileStore store(input);
    ReadIniFrom(store);
    WriteIniTo(store);
    const std::string once = store.Bytes();
    ProfileStore again(once);
    WriteIniTo(again);
    Check(again.Bytes() == once, "writing twice equals writing once");
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
    AsConfigurationFile(input);
    AsInitializationFile(input);
    AsWrites(data, size);
    return 0;
}
