// tessaro-cli as a script runs it: the built program in a scratch folder, its output, its exit
// status and the bytes it leaves.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tessaro_version.h"
#include "tests/files/file_test_support.h"

namespace {

namespace fs = std::filesystem;
using file_tests::ReadBytes;
using file_tests::WriteBytes;
using Json = nlohmann::ordered_json;

std::string CliFixture(const std::string& name) {
    return ReadBytes(std::string(TESSARO_TEST_DATA_DIR) + "/cli/" + name);
}

#ifdef _WIN32
// cmd.exe runs the command there; the test's arguments hold no double quote.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    quoted += text;
    return quoted += '"';
}
#else
std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
#endif

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public file_tests::FileTest {
  protected:
    // Runs tessaro-cli with `--dir <scratch folder>` and the arguments.
    Result Run(const std::vector<std::string>& args) {
        const std::string errPath = (fs::temp_directory_path() / "tessaro-cli-stderr").string() +
                                    std::to_string(::getpid());
        std::string command = Quoted(TESSARO_CLI) + " --dir " + Quoted(fs::current_path().string());
        // Appended piece by piece: GCC 12 warns (-Wrestrict, falsely) on " " + std::string there.
        for (const std::string& arg : args)
            command.append(" ").append(Quoted(arg));
        command.append(" 2>").append(Quoted(errPath));
        Result result;
#ifdef _WIN32
        // cmd.exe drops the first and the last quote of a line that starts with one.
        command.insert(command.begin(), '"');
        command += '"';
        FILE* pipe = ::_popen(command.c_str(), "r");
#else
        FILE* pipe = ::popen(command.c_str(), "r");
#endif
        if (pipe == nullptr) {
            ADD_FAILURE() << "cannot run " << command;
            return result;
        }
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.out.append(buffer, n);
#ifdef _WIN32
        result.status = ::_pclose(pipe);  // the program's exit code
        // The program's text-mode stderr ends its lines with CR LF there.
        result.err = ReadBytes(errPath);
        for (std::size_t at; (at = result.err.find("\r\n")) != std::string::npos;)
            result.err.erase(at, 1);
#else
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = ReadBytes(errPath);
#endif
        fs::remove(errPath);
        return result;
    }

    void CopyDemo() {
        fs::copy(TESSARO_DEMO_DIR, fs::current_path(), fs::copy_options::recursive);
    }
};

TEST_F(Cli, VersionAndHelp) {
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string(kTessaroVersionText) + "\n");
    const Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"show", "set", "apply", "diff", "check", "--dir", "Exit status"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

// clang-format off
struct Refusal {
    const char* assignment;
    const char* message;  // on stderr, after the file name
};
const Refusal kRefusals[] = {
    {"FrequencyNCO1=1,5",          "FrequencyNCO1: '1,5' is not a valid floating point value"},
    {"FreqNC0=10 MHz",             "FreqNC0: '10 MHz' is not a valid floating point value"},
    {"ExternalClockValue=1e400",   "ExternalClockValue: Floating point overflow"},
    {"ComparatorThresholdSDX=1e39","ComparatorThresholdSDX: Floating point overflow"},
    {"Dither=on",                  "Dither: 'on' is not a valid integer value"},
    {"InputSource3=4",             "InputSource3 takes 0, 1, 2 or 3, not 4"},
    {"MasterMode=3",               "MasterMode takes 0, 1 or 2, not 3"},
    {"StartSource=1",              "StartSource takes 0, 2 or 4, not 1"},
    {"DDCSyncMode=0",              "DDCSyncMode takes 1 or 2, not 0"},
    {"SamplesPerChannel=2000",     "SamplesPerChannel takes 1024, 2048, 4096, 8192 or 16384, not 2000"},
    {"DataFormat=1",               "DataFormat takes 0 or 4, not 1"},
    {"DDCChannelMask=0",           "DDCChannelMask 0 would leave no channel enabled"},
    {"DDCChannelMask=0x10000",     "DDCChannelMask 0x10000 sets bits beyond 0 to 15"},
    {"ChannelMask=0x10",           "ChannelMask 0x10 sets bits beyond 0 to 3"},
    {"NoSuchKey=1",                "NoSuchKey is not a key of a configuration file"},
    {"DirFileBufSize=1",           "DirFileBufSize is not a key of a configuration file"},
    {"MasterMode",                 "'MasterMode' is not KEY=VALUE"},
};
// clang-format on

// Every refusal leaves the file byte for byte as it was, even after assignments that were fine;
// on a file that does not exist, none is made.
TEST_F(Cli, SetRefusalsLeaveTheFileAlone) {
    const std::string before = CliFixture("lab.cfg");
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.assignment);
        WriteBytes("lab.cfg", before);
        const Result result = Run({"set", "lab.cfg", "MasterMode=1", refusal.assignment});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, std::string("tessaro-cli: lab.cfg: ") + refusal.message + "\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(ReadBytes("lab.cfg"), before);

        EXPECT_EQ(Run({"set", "new.cfg", refusal.assignment}).status, 2);
        EXPECT_FALSE(fs::exists("new.cfg"));
    }
}

TEST_F(Cli, SetTakesKeysInAnyCaseAndTheWindowsNumberSpellings) {
    const Result result = Run({"set", "new.cfg", "mastermode=2", "DDCCHANNELMASK=0XFF",
                               "ChannelMask=$c", "FrequencyNCO15= 1.25e6 ",
                               "ExternalClockValue=-0.05", "DirFileName=a=b.bin", "MasterMode=1"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string written = ReadBytes("new.cfg");
    for (const char* line :
         {"\r\nMasterMode= 1\r\n", "\r\nDDCChannelMask= 0xff\r\n", "\r\nChannelMask= 0xc\r\n",
          "\r\nFrequencyNCO15= 1250000.0\r\n", "\r\nExternalClockValue= -0.05\r\n",
          "\r\nDirFileName= a=b.bin\r\n", "\r\nFrequencyNCO14= 10700014.0\r\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line;
    }
    EXPECT_FALSE(fs::exists("exam_ddc.ini"));
}

TEST_F(Cli, DiffComparesSettingsNotSpellings) {
    const std::string lab = CliFixture("lab.cfg");
    WriteBytes("a.cfg", lab);
    std::string respelled = lab;
    for (auto [from, to] : {std::pair{"0X0F0F", "3855"},
                            std::pair{"SAMPLESPERCHANNEL",
                                      "samples"
                                      "perchannel"},
                            std::pair{"9000000.0", "9e6"}}) {
        respelled.replace(respelled.find(from), std::string(from).size(), to);
    }
    WriteBytes("b.cfg", respelled);
    Result same = Run({"diff", "a.cfg", "b.cfg"});
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    EXPECT_EQ(same.out, "");

    ASSERT_EQ(
        Run({"set", "b.cfg", "MasterMode=0", "ComparatorThresholdSDX=1.3", "DDCChannelMask=0xff0f"})
            .status,
        0);
    const Result differ = Run({"diff", "a.cfg", "b.cfg"});
    EXPECT_EQ(differ.status, 1);
    // The values are shown by their shortest texts.
    EXPECT_EQ(differ.out,
              "DDCChannelMask: 0xf0f -> 0xff0f\n"
              "ComparatorThresholdSDX: 1.26 -> 1.3\n"
              "MasterMode: 2 -> 0\n");
    const Result json = Run({"diff", "--json", "a.cfg", "b.cfg"});
    EXPECT_EQ(json.status, 1);
    const Json parsed = Json::parse(json.out);
    EXPECT_EQ(parsed["MasterMode"], Json({{"a", 2}, {"b", 0}}));
    EXPECT_EQ(parsed["DDCChannelMask"]["bHex"], "0xff0f");
    // A single-precision value by its shortest text, not 1.2599999904632568.
    EXPECT_EQ(parsed["ComparatorThresholdSDX"]["a"].dump(), "1.26");

    const Result missing = Run({"diff", "a.cfg", "none.cfg"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "tessaro-cli: cannot read \"none.cfg\": No such file or directory\n");
}

// What show --json prints, set back key by key into a new file, gives the same settings; a name
// that is not UTF-8 comes through its bytes.
TEST_F(Cli, ShowJsonRoundTripsThroughSet) {
    WriteBytes("lab.cfg", CliFixture("lab.cfg"));
    WriteBytes("exam_ddc.ini", CliFixture("exam_ddc_cp1251.ini"));
    // Saved once as the window saves: the file keeps each real as it was (1.26 stays 1.26).
    ASSERT_EQ(Run({"set", "lab.cfg", "Dither=0"}).status, 0);
    const Result shown = Run({"show", "lab.cfg", "--json"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const Json settings = Json::parse(shown.out);

    EXPECT_EQ(settings["DDCChannelMask"], 0x0F0F);
    EXPECT_EQ(settings["DDCChannelMaskHex"], "0xf0f");
    EXPECT_EQ(settings["ComparatorThresholdSDX"].dump(), "1.26");
    EXPECT_EQ(settings["FrequencyNCO1"].dump(), "10001000.0");
    EXPECT_EQ(settings["DirFileNameBytes"], "eeeffbf22d372e62696e");  // "опыт-7.bin" in cp1251
    EXPECT_EQ(settings["exam_ddc.ini"]["InternalClockValue"], 80000000.0);
    // 8 buffers of 1024 KB hold 262144 samples of 8 channels of 16 bits.
    EXPECT_EQ(settings["recording"], Json({{"status", "ok"},
                                           {"DirSamplesPerChannel", 262144},
                                           {"DirNumBufWrite", 8},
                                           {"DirRealSamplesPerChannel", 262144},
                                           {"DirFileSizeKB", 8192}}));

    std::vector<std::string> args = {"set", "copy.cfg"};
    for (const auto& [key, value] : settings.items()) {
        if (value.is_object() || key.ends_with("Hex") || key.ends_with("Bytes"))
            continue;
        std::string text = value.is_string() ? value.get<std::string>() : value.dump();
        if (settings.contains(key + "Bytes")) {
            const std::string hex = settings[key + "Bytes"];
            text.clear();
            for (std::size_t i = 0; i < hex.size(); i += 2)
                text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        }
        args.push_back(key + "=" + text);
    }
    EXPECT_EQ(args.size(), 52u);
    const Result set = Run(args);
    ASSERT_EQ(set.status, 0) << set.err;
    const Result diff = Run({"diff", "lab.cfg", "copy.cfg"});
    EXPECT_EQ(diff.status, 0) << diff.out;
}

TEST_F(Cli, ShowTextListsEveryKeyAndTheRecording) {
    CopyDemo();
    const Result shown = Run({"show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    for (const char* line : {"\nDDCChannelMask          0xffff               mask    Enabled DDC",
                             "\nDDCProgramFile          PRGFILES\\IsGsm.prg",
                             "\n  DirNumBufWrite        2                    buffers",
                             "\n  file size             8192                 KB\n"}) {
        EXPECT_NE(shown.out.find(line), std::string::npos) << line;
    }
    const Result missing = Run({"show", "other.cfg"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
}

TEST_F(Cli, ApplyDryRunShowsTheChangeAndWritesNothing) {
    CopyDemo();
    const std::string before = ReadBytes("exam_ddc.ini");
    const Result dry = Run({"apply", "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), before);
    // The demo's std.cfg holds the default DataFormat 1; the file says 0.
    EXPECT_NE(dry.out.find("\n@@ -15,7 +15,7 @@\n"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("\n-DataFormat= 0\t\t;"), std::string::npos);
    EXPECT_NE(dry.out.find("\n+DataFormat= 1\t\t;"), std::string::npos);
    EXPECT_TRUE(dry.out.starts_with("--- exam_ddc.ini\n+++ exam_ddc.ini\n"));

    ASSERT_EQ(Run({"apply"}).status, 0);
    EXPECT_NE(ReadBytes("exam_ddc.ini"), before);
    EXPECT_EQ(ReadBytes("std.cfg"), ReadBytes(std::string(TESSARO_DEMO_DIR) + "/std.cfg"));
    EXPECT_EQ(Run({"apply", "--dry-run"}).out, "");
}

TEST_F(Cli, ApplyRefusesWhatTheWindowWouldSilentlyReplaceByDefaults) {
    fs::create_directory("exam_ddc.ini");
    const Result folder = Run({"apply"});
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.err.find("exam_ddc.ini"), std::string::npos) << folder.err;
    fs::remove("exam_ddc.ini");

    const Result missing = Run({"apply", "--config", "none.cfg"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_FALSE(fs::exists("exam_ddc.ini"));
}

}  // namespace

// check: one finding a line, or a JSON array; the exit status says the worst.
TEST_F(Cli, CheckReportsTheWindowsFindings) {
    CopyDemo();
    // The demo keeps the default DataFormat 1, neither 16 nor 24 bits.
    Result result = Run({"check"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out,
              "warning data-format DataFormat: DataFormat 1 is neither 0 (16 bits) nor 4 (24 "
              "bits); the recording counts 8 bytes a sample\n");

    ASSERT_EQ(Run({"set", "std.cfg", "DataFormat=0"}).status, 0);
    result = Run({"check"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");

    // A hand-edited value the window does not offer is an error; a missing program a warning.
    ASSERT_EQ(Run({"set", "std.cfg", "DDCProgramFile=PRGFILES\\none.prg"}).status, 0);
    std::string config = ReadBytes("std.cfg");
    const std::size_t line = config.find("MasterMode=");
    ASSERT_NE(line, std::string::npos);
    config.replace(line, config.find_first_of("\r\n", line) - line, "MasterMode=7");
    WriteBytes("hand.cfg", config);
    result = Run({"check", "hand.cfg", "--json"});
    EXPECT_EQ(result.status, 2) << result.err;
    const Json findings = Json::parse(result.out);
    ASSERT_EQ(findings.size(), 2u) << result.out;
    EXPECT_EQ(findings[0]["id"], "program-file");
    EXPECT_EQ(findings[0]["severity"], "warning");
    EXPECT_EQ(findings[0]["keys"], Json::array({"DDCProgramFile"}));
    EXPECT_EQ(findings[1]["id"], "enum-value");
    EXPECT_EQ(findings[1]["severity"], "error");
    EXPECT_EQ(findings[1]["message"], "MasterMode 7 is not offered by the window (0, 1, 2)");

    result = Run({"check", "none.cfg"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("none.cfg"), std::string::npos) << result.err;
}

// set says when single precision keeps another frequency than given, and saves it all the same.
TEST_F(Cli, SetSaysWhatSinglePrecisionKept) {
    Result result = Run({"set", "a.cfg", "FrequencyNCO5=16777217", "freqnc0=16777216"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "warning nco-precision FrequencyNCO5: FrequencyNCO5: 16777217 Hz is kept as 16777216 "
              "Hz (single precision)\n");
    result = Run({"set", "a.cfg", "FrequencyNCO5=16777217", "FrequencyNCO5=16777218"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
}
