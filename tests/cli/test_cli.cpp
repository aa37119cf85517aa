// tessaro-cli as a script runs it: the built program in a scratch folder, its output, its exit
// status and the bytes it leaves.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "files/journal.h"
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
    // The command line of tessaro-cli with `--dir <dir>` (the scratch folder when not given) and
    // the arguments.
    static std::string CommandLine(const std::vector<std::string>& args, std::string dir = "") {
        if (dir.empty())
            dir = fs::current_path().string();
        std::string command = Quoted(TESSARO_CLI) + " --dir " + Quoted(dir);
        // Appended piece by piece: GCC 12 warns (-Wrestrict, falsely) on " " + std::string there.
        for (const std::string& arg : args)
            command.append(" ").append(Quoted(arg));
        return command;
    }

    // Runs tessaro-cli with `--dir <dir>` (the scratch folder when not given) and the arguments.
    Result Run(const std::vector<std::string>& args, const std::string& dir = "") {
        return RunCommand(CommandLine(args, dir));
    }

    // The same with its standard input from the file `input`.
    Result RunWithInput(const std::vector<std::string>& args, const std::string& input) {
        return RunCommand(CommandLine(args).append(" <").append(Quoted(input)));
    }

    // Runs a shell command line; its stderr is caught too.
    Result RunCommand(std::string command) {
        const std::string errPath = (fs::temp_directory_path() / "tessaro-cli-stderr").string() +
                                    std::to_string(::getpid());
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
    EXPECT_EQ(version.out, std::string("tessaro-cli ") + kTessaroVersionText + "\n");
    const Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"show", "set", "apply", "diff", "check", "get", "plan", "--dir",
                             "--quiet", "--raw", "Exit status"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

TEST_F(Cli, CommandLineMistakesNameWhatWasWrong) {
    const std::string all =
        " (subcommands: show, set, apply, diff, check, get, plan, log, restore)\n";
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"bogus"}, "tessaro-cli: unknown subcommand 'bogus'" + all},
        {{"--quiet", "bogus", "x.cfg"}, "tessaro-cli: unknown subcommand 'bogus'" + all},
        {{},
         "tessaro-cli: a subcommand is required: show, set, apply, diff, check, get, plan, log, "
         "restore (see "
         "--help)\n"},
        {{"show", "--bogus"},
         "tessaro-cli: The following argument was not expected: --bogus (see --help)\n"},
        {{"log", "-n", "0"},
         "tessaro-cli: -n: takes a whole number from 1 up, not '0' (see --help)\n"},
        {{"log", "-n", "-1"},
         "tessaro-cli: -n: takes a whole number from 1 up, not '-1' (see --help)\n"},
        {{"log", "-n", "2x"},
         "tessaro-cli: -n: takes a whole number from 1 up, not '2x' (see --help)\n"},
    };
    for (const Case& c : cases) {
        const Result result = Run(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
    }
}

// clang-format off
struct Refusal {
    const char* assignment;
    const char* message;  // on stderr, after the file name
};
const Refusal kRefusals[] = {
    {"FrequencyNCO1=1,5.5",        "FrequencyNCO1: '1,5.5' is not a valid floating point value"},
    {"FreqNC0=10 MHz",             "FreqNC0: '10 MHz' is not a valid floating point value"},
    {"ExternalClockValue=1e400",   "ExternalClockValue: Floating point overflow"},
    {"ComparatorThresholdSDX=1e39","ComparatorThresholdSDX: Floating point overflow"},
    {"Dither=on",                  "Dither: 'on' is not a valid integer value"},
    {"InputSource3=4",             "InputSource3 takes 0, 1, 2 or 3, not 4"},
    {"MasterMode=3",               "MasterMode takes 0, 1 or 2, not 3"},
    {"StartSource=1",              "StartSource takes 0, 2 or 4, not 1"},
    {"DDCSyncMode=0",              "DDCSyncMode takes 1 or 2, not 0"},
    {"SamplesPerChannel=2000",     "SamplesPerChannel takes 1024, 2048, 4096, 8192 or 16384, not 2000"},
    {"DataFormat=2",               "DataFormat takes 0 or 4, not 2"},
    {"DirFileNameEncoding=koi8-r", "DirFileNameEncoding is utf-8 or windows-1251, not 'koi8-r'"},
    {"DirFileNameBytes=e",         "DirFileNameBytes 'e' is not hexadecimal bytes"},
    {"DirFileName=\xC3\xA4",       "DirFileName: '\xC3\xA4' holds a character Windows-1251 has no byte for"},
    {"format=2",                   "format 2 is not known (1 is)"},
    {"DirSamplesPerChannel=-1",    "DirSamplesPerChannel takes 0 ... 2147483647, not -1"},
    {"DDCChannelMask=0",           "DDCChannelMask 0 would leave no channel enabled"},
    {"DDCChannelMask=0x10000",     "DDCChannelMask 0x10000 sets bits beyond 0 to 15"},
    {"ChannelMask=0x10",           "ChannelMask 0x10 sets bits beyond 0 to 3"},
    {"NoSuchKey=1",                "NoSuchKey is not a key of a configuration file"},
    {"DirFileBufSize=1",           "DirFileBufSize is not a key of a configuration file"},
    {"MasterMode",                 "'MasterMode' is not KEY=VALUE"},
};
// clang-format on

// Every refusal leaves the file byte for byte as it was, even after assignments that were fine;
// on a file that does not exist, none is made. The names are taken as UTF-8 to store in
// Windows-1251, as show --json gives them.
TEST_F(Cli, SetRefusalsLeaveTheFileAlone) {
    const std::string before = CliFixture("lab.cfg");
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.assignment);
        WriteBytes("lab.cfg", before);
        const Result result = Run({"set", "lab.cfg", "MasterMode=1",
                                   "DirFileNameEncoding=windows-1251", refusal.assignment});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, std::string("tessaro-cli: lab.cfg: ") + refusal.message + "\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(ReadBytes("lab.cfg"), before);

        EXPECT_EQ(
            Run({"set", "new.cfg", "DirFileNameEncoding=windows-1251", refusal.assignment}).status,
            2);
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

// Every top-level value show --json prints, given back to set as KEY=VALUE (as
// `jq -r 'to_entries[] | select(.value | type != "object") | "\(.key)=\(.value)"'` gives them).
// Keys ending with a suffix in `leftOut` are left out.
std::vector<std::string> Assignments(const Json& shown,
                                     const std::vector<std::string>& leftOut = {}) {
    std::vector<std::string> args;
    for (const auto& [key, value] : shown.items()) {
        if (value.is_object() || std::ranges::any_of(leftOut, [&key](const std::string& suffix) {
                return key.ends_with(suffix);
            }))
            continue;
        args.push_back(key + "=" + (value.is_string() ? value.get<std::string>() : value.dump()));
    }
    return args;
}

// What show --json prints, set back key by key into a new file, gives the same settings; a name
// in Windows-1251 comes back by its exact bytes or by its text and encoding alike.
TEST_F(Cli, ShowJsonRoundTripsThroughSet) {
    WriteBytes("lab.cfg", CliFixture("lab.cfg"));
    WriteBytes("exam_ddc.ini", CliFixture("exam_ddc_cp1251.ini"));
    // Saved once as the window saves: the file keeps each real as it was (1.26 stays 1.26).
    ASSERT_EQ(Run({"set", "lab.cfg", "Dither=0"}).status, 0);
    const Result shown = Run({"show", "lab.cfg", "--json"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const Json settings = Json::parse(shown.out);

    EXPECT_EQ(settings.begin().key(), "format");
    EXPECT_EQ(settings["format"], 1);
    EXPECT_EQ(settings["DDCChannelMask"], 0x0F0F);
    EXPECT_EQ(settings["DDCChannelMaskHex"], "0xf0f");
    EXPECT_EQ(settings["ComparatorThresholdSDX"].dump(), "1.26");
    EXPECT_EQ(settings["FrequencyNCO1"].dump(), "10001000.0");
    EXPECT_EQ(settings["DirFileName"], "\xD0\xBE\xD0\xBF\xD1\x8B\xD1\x82-7.bin");  // "опыт-7.bin"
    EXPECT_EQ(settings["DirFileNameEncoding"], "windows-1251");
    EXPECT_EQ(settings["DirFileNameBytes"], "eeeffbf22d372e62696e");  // its bytes in cp1251
    EXPECT_EQ(settings["DDCProgramFileEncoding"], "utf-8");
    EXPECT_FALSE(settings.contains("DDCProgramFileBytes"));
    EXPECT_EQ(settings["exam_ddc.ini"]["InternalClockValue"], 80000000.0);
    // 8 buffers of 1024 KB hold 262144 samples of 8 channels of 16 bits.
    EXPECT_EQ(settings["recording"], Json({{"status", "ok"},
                                           {"DirSamplesPerChannel", 262144},
                                           {"DirNumBufWrite", 8},
                                           {"DirRealSamplesPerChannel", 262144},
                                           {"DirFileSizeKB", 8192}}));

    using Suffixes = std::vector<std::string>;
    for (const Suffixes& leftOut : {Suffixes{}, Suffixes{"Bytes"}, Suffixes{"Bytes", "Encoding"}}) {
        SCOPED_TRACE(leftOut.size());
        std::vector<std::string> args = {"set", "copy.cfg"};
        for (const std::string& assignment : Assignments(settings, leftOut))
            args.push_back(assignment);
        fs::remove("copy.cfg");
        const Result set = Run(args);
        ASSERT_EQ(set.status, 0) << set.err;
        const Result diff = Run({"diff", "lab.cfg", "copy.cfg"});
        // Without its bytes and encoding, the name is stored as the UTF-8 text it was given: the
        // same text, which the encodings tell apart.
        const std::string name = "\xD0\xBE\xD0\xBF\xD1\x8B\xD1\x82-7.bin";
#ifdef _WIN32
        // No decoding there: the bytes of each side, as the files hold them.
        const std::string shown = "DirFileName: \xEE\xEF\xFB\xF2-7.bin -> " + name + "\n";
#else
        const std::string shown =
            "DirFileName: " + name + " (windows-1251) -> " + name + " (utf-8)\n";
#endif
        EXPECT_EQ(diff.out, leftOut.size() == 2 ? shown : "");
    }
}

// A file the window opens can always be set back to what it holds, even values the window does
// not offer (a hand edit, or a default such as DataFormat 1); changing them to another such value
// is refused.
TEST_F(Cli, SetKeepsWhatTheFileHoldsAlready) {
    std::string config = CliFixture("lab.cfg");
    for (auto [from, to] :
         {std::pair{"MasterMode= 2", "MasterMode= 7"}, std::pair{"DataFormat= 0", "DataFormat= 1"},
          std::pair{"DDCChannelMask= 0X0F0F", "DDCChannelMask= 0"}}) {
        config.replace(config.find(from), std::string(from).size(), to);
    }
    struct Case {
        const char* assignment;
        int status;
    };
    const Case cases[] = {
        {"MasterMode=7", 0},     {"MasterMode=0x7", 0}, {"DataFormat=1", 0},
        {"DDCChannelMask=0", 0}, {"MasterMode=8", 2},   {"DataFormat=3", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.assignment);
        WriteBytes("hand.cfg", config);
        const Result result = Run({"set", "hand.cfg", c.assignment});
        EXPECT_EQ(result.status, c.status) << result.err;
    }
    // The demo's own std.cfg, and a new file of the defaults, take the default DataFormat 1.
    CopyDemo();
    EXPECT_EQ(Run({"set", "std.cfg", "DataFormat=1"}).status, 0);
    EXPECT_EQ(Run({"set", "new.cfg", "DataFormat=1"}).status, 0);
    const Result shown = Run({"show", "--json"});
    std::vector<std::string> args = {"set", "std.cfg"};
    for (const std::string& assignment : Assignments(Json::parse(shown.out)))
        args.push_back(assignment);
    const Result set = Run(args);
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(ReadBytes("std.cfg"), ReadBytes(std::string(TESSARO_DEMO_DIR) + "/std.cfg"));
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

// set says on stderr when single precision keeps another frequency than given, and saves it all
// the same; --quiet silences it.
TEST_F(Cli, SetSaysWhatSinglePrecisionKept) {
    Result result = Run({"set", "a.cfg", "FrequencyNCO5=16777217", "freqnc0=16777216"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "warning nco-precision FrequencyNCO5: FrequencyNCO5: 16777217 Hz is kept as 16777216 "
              "Hz (single precision)\n");
    result = Run({"--quiet", "set", "a.cfg", "FrequencyNCO5=16777217"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    result = Run({"set", "a.cfg", "FrequencyNCO5=16777217", "FrequencyNCO5=16777218"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
}

// get prints the values one a line, as set takes them back; an unknown key prints nothing.
TEST_F(Cli, GetPrintsValuesOneALine) {
    CopyDemo();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{"get", "std.cfg", "DataFormat", "ddcchannelmask", "DirFileName"},
         0,
         "1\n0xffff\nexam.bin\n"},
        {{"get", "std.cfg", "FrequencyNCO1", "InternalClockValue", "DirNumBufWrite",
          "DirSamplesPerChannel"},
         0,
         "10700001\n100000000\n2\n65536\n"},
        {{"get", "std.cfg", "DataFormat", "NoSuchKey"}, 2, ""},
        {{"get", "std.cfg", "EnabledDdcCount"}, 2, ""},
        {{"get", "none.cfg", "DataFormat"}, 2, ""},
    };
    for (const Case& c : cases) {
        const Result result = Run(c.args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out, c.out);
    }
    EXPECT_EQ(Run({"get", "std.cfg", "NoSuchKey"}).err,
              "tessaro-cli: NoSuchKey is not a key of a setting\n");
}

// "-" reads the configuration from standard input; a named pipe is read as a file.
TEST_F(Cli, ConfigurationsFromStandardInputAndPipes) {
    CopyDemo();
    WriteBytes("lab.cfg", CliFixture("lab.cfg"));
    Json shownFromFile = Json::parse(Run({"show", "lab.cfg", "--json"}).out);
    Result result = RunWithInput({"show", "-", "--json"}, "lab.cfg");
    EXPECT_EQ(result.status, 0) << result.err;
    Json shownFromInput = Json::parse(result.out);
    // Only the name of what was read differs.
    EXPECT_EQ(shownFromInput["configuration"]["file"], "-");
    shownFromFile.erase("configuration");
    shownFromInput.erase("configuration");
    EXPECT_EQ(shownFromInput, shownFromFile);
    EXPECT_EQ(RunWithInput({"check", "-"}, "lab.cfg").out, Run({"check", "lab.cfg"}).out);
    EXPECT_EQ(RunWithInput({"diff", "-", "lab.cfg"}, "lab.cfg").status, 0);
    EXPECT_EQ(RunWithInput({"diff", "std.cfg", "-"}, "lab.cfg").status, 1);
    WriteBytes("notes.txt", "MasterMode=1\n");
    result = RunWithInput({"get", "-", "MasterMode"}, "notes.txt");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err,
              "tessaro-cli: cannot read standard input: not a configuration file (no [Option] or "
              "[device0_tessaro0] section)\n");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo("pipe.cfg", 0600), 0);
    result =
        RunCommand("cat lab.cfg > pipe.cfg & " + CommandLine({"get", "pipe.cfg", "MasterMode"}));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "2\n");
#endif
}

// apply takes the window's edits, the requested samples per channel among them, and gives the
// buffers by the window's calculation: the demo's buffers hold 32768 samples of its 16 channels.
TEST_F(Cli, ApplyTakesTheRequestedSamplesPerChannel) {
    CopyDemo();
    struct Case {
        const char* requested;
        const char* buffers;
    };
    for (const Case c : {Case{"65536", "2"}, Case{"65537", "3"}, Case{"1", "1"}}) {
        SCOPED_TRACE(c.requested);
        const Result result =
            Run({"apply", std::string("DirSamplesPerChannel=") + c.requested, "MasterMode=2"});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::string ini = ReadBytes("exam_ddc.ini");
        EXPECT_NE(ini.find(std::string("DirNumBufWrite= ") + c.buffers), std::string::npos);
        EXPECT_NE(ini.find("MasterMode= 2"), std::string::npos);
        EXPECT_EQ(Run({"get", "std.cfg", "DirNumBufWrite"}).out, std::string(c.buffers) + "\n");
    }
    EXPECT_EQ(ReadBytes("std.cfg"), ReadBytes(std::string(TESSARO_DEMO_DIR) + "/std.cfg"));
    const Result refused = Run({"apply", "--dry-run", "DirSamplesPerChannel=2147483647"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "tessaro-cli: std.cfg: DirSamplesPerChannel 2147483647: the recording does not fit "
              "32-bit numbers\n");
    // set checks it, and says where it goes.
    const Result set = Run({"set", "std.cfg", "DirSamplesPerChannel=1000"});
    EXPECT_EQ(set.status, 0);
    EXPECT_NE(set.err.find("apply DirSamplesPerChannel=N"), std::string::npos) << set.err;
}

// --quiet leaves the exit status alone; JSON ends with one newline.
TEST_F(Cli, QuietAndJsonEndings) {
    CopyDemo();
    const Result quiet = Run({"--quiet", "check"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", "--json"}, {"show", "--json"}}) {
        const std::string out = Run(args).out;
        EXPECT_TRUE(out.ends_with("}\n") || out.ends_with("]\n")) << out;
        EXPECT_FALSE(out.ends_with("\n\n"));
    }
}

#ifndef _WIN32
// Names in Windows-1251 on a terminal read as the window shows them, in every locale the tests run
// under (both UTF-8); through a pipe the patch keeps the files' bytes, and --raw keeps them
// anywhere.
TEST_F(Cli, TerminalShowsWindows1251Decoded) {
    WriteBytes("std.cfg", CliFixture("lab.cfg"));
    WriteBytes("exam_ddc.ini", CliFixture("exam_ddc_cp1251.ini"));
    const std::string decoded = "\xD0\xBE\xD0\xBF\xD1\x8B\xD1\x82-7.bin";  // "опыт-7.bin"
    const std::string bytes = "\xEE\xEF\xFB\xF2-7.bin";
    // The comment of DirFileName in exam_ddc.ini, "файл прямой записи".
    const std::string comment =
        "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB \xD0\xBF\xD1\x80\xD1\x8F\xD0\xBC\xD0\xBE\xD0\xB9";
    const auto onTerminal = [this](const std::vector<std::string>& args) {
        std::string out = RunCommand("script -qc " + Quoted(CommandLine(args)) + " /dev/null").out;
        std::erase(out, '\r');
        return out;
    };
    struct Case {
        std::vector<std::string> args;
        bool terminal;
        std::string has;
        std::string hasNot;
    };
    const Case cases[] = {
        {{"show"}, true, "\nDirFileName             " + decoded, bytes},
        {{"show"}, false, "\nDirFileName             " + decoded, bytes},  // a table, for grep too
        {{"--raw", "show"}, true, bytes, decoded},
        {{"get", "std.cfg", "DirFileName"}, true, decoded + "\n", bytes},
        {{"get", "std.cfg", "DirFileName"}, false, bytes + "\n", decoded},
        {{"apply", "--dry-run"}, true, comment, "\xEE"},
        {{"apply", "--dry-run"}, false, "\xEE\xEF\xFB\xF2", comment},
        {{"apply", "--raw", "--dry-run"}, true, "\xEE\xEF\xFB\xF2", comment},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back() + (c.terminal ? " on a terminal" : " through a pipe"));
        const std::string out = c.terminal ? onTerminal(c.args) : Run(c.args).out;
        EXPECT_NE(out.find(c.has), std::string::npos) << out;
        EXPECT_EQ(out.find(c.hasNot), std::string::npos) << out;
    }
}
#endif

// The bash completion offers every key of a configuration file, and no other key for set.
TEST_F(Cli, CompletionKnowsEveryKey) {
    const std::string script =
        ReadBytes(std::string(TESSARO_DEMO_DIR) + "/../data/tessaro-cli.bash-completion");
    const std::string begin = "_tessaro_cli_keys=\"";
    const std::size_t from = script.find(begin) + begin.size();
    std::string listed = script.substr(from, script.find('"', from) - from);
    std::replace(listed.begin(), listed.end(), '\n', ' ');
    CopyDemo();
    std::string keys;
    for (const std::string& assignment :
         Assignments(Json::parse(Run({"show", "--json"}).out), {"Hex", "Encoding", "format"}))
        keys.append(keys.empty() ? "" : " ").append(assignment, 0, assignment.find('='));
    EXPECT_EQ(listed, keys);
}

// ---- The run journal: log, log show, restore ----

namespace {

// A build keeps a journal or not (the Windows cross build has no SQLite); each is tested as it is.
#if TESSARO_HAS_JOURNAL
using CliJournal = Cli;

TEST_F(CliJournal, EveryApplyIsKeptAndRestoreThenApplyGivesTheSameBytes) {
    CopyDemo();
    const Result empty = Run({"log"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "");

    ASSERT_EQ(Run({"apply"}).status, 0);
    const std::string first = ReadBytes("exam_ddc.ini");
    const std::string firstConfig = ReadBytes("std.cfg");
    ASSERT_EQ(Run({"set", "std.cfg", "SamplesPerChannel=2048", "FrequencyNCO3=1.5e6"}).status, 0);
    const Result second = Run({"apply"});
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(second.err, "");

    // clang-format off
    const struct { std::vector<std::string> args; std::string out; } shows[] = {
        {{"log", "show", "1", "--ini"},    first},
        {{"log", "show", "1", "--config"}, firstConfig},
        {{"log", "show", "2", "--ini"},    ReadBytes("exam_ddc.ini")},
        {{"log", "show", "2", "--config"}, ReadBytes("std.cfg")},
    };
    // clang-format on
    for (const auto& show : shows) {
        const Result result = Run(show.args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, show.out) << show.args[2] << show.args[3];
    }
    const Result text = Run({"log", "show", "2"});
    EXPECT_NE(text.out.find("  [Option] SamplesPerChannel: 1024 -> 2048\n"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("  [device0_tessaro0] FrequencyNCO3: 10700003.0 -> 1500000.0\n"),
              std::string::npos);
    EXPECT_NE(text.out.find("changed        2 values\n"), std::string::npos);

    const Json list = Json::parse(Run({"log", "--json"}).out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["id"], 2);
    EXPECT_EQ(list[0]["changes"], 2);
    EXPECT_EQ(list[0]["configuration"], "std.cfg");
    EXPECT_EQ(list[0]["program"], "tessaro-cli");
    EXPECT_EQ(Json::parse(Run({"log", "--json", "-n", "1"}).out).size(), 1u);
    EXPECT_EQ(Json::parse(Run({"log", "--json", "--filter", "frequencynco3"}).out).size(), 1u);
    const Json shown = Json::parse(Run({"log", "show", "2", "--json"}).out);
    EXPECT_EQ(shown["changedValues"][0]["key"], "SamplesPerChannel");
    EXPECT_EQ(shown["changedValues"][0]["before"], "1024");

    ASSERT_EQ(Run({"restore", "1"}).status, 0);
    EXPECT_EQ(ReadBytes("std.cfg"), firstConfig);
    ASSERT_EQ(Run({"apply"}).status, 0);
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), first);
    ASSERT_EQ(Run({"restore", "2", "--config", "second.cfg"}).status, 0);
    EXPECT_EQ(ReadBytes("second.cfg"), shows[3].out);
    EXPECT_EQ(Json::parse(Run({"log", "--json"}).out).size(), 3u);
}

TEST_F(CliJournal, AJournalThatCannotBeWrittenNeverStopsTheWrite) {
    CopyDemo();
    fs::create_directory("tessaro-journal.sqlite");
    const Result apply = Run({"apply"});
    EXPECT_EQ(apply.status, 0);
    EXPECT_EQ(apply.err,
              "tessaro-cli: warning: the journal was not written: cannot write "
              "\"tessaro-journal.sqlite\": Is a directory\n");
    EXPECT_EQ(Run({"apply", "--dry-run"}).out, "");  // written all the same

    // clang-format off
    const struct { std::vector<std::string> args; const char* err; } refusals[] = {
        {{"log"},                 "tessaro-cli: cannot read \"tessaro-journal.sqlite\": Is a directory\n"},
        {{"restore", "1"},        "tessaro-cli: cannot read \"tessaro-journal.sqlite\": Is a directory\n"},
    };
    // clang-format on
    for (const auto& refusal : refusals) {
        const Result result = Run(refusal.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, refusal.err);
    }
    fs::remove("tessaro-journal.sqlite");
    ASSERT_EQ(Run({"apply"}).status, 0);
    const Result missing = Run({"log", "show", "7"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "tessaro-cli: cannot read \"tessaro-journal.sqlite\": no entry 7 in the journal\n");
}

#else
TEST_F(Cli, ABuildWithoutJournalWritesAndSaysSoOnlyWhenAskedForTheJournal) {
    CopyDemo();
    const Result apply = Run({"apply"});
    EXPECT_EQ(apply.status, 0);
    EXPECT_EQ(apply.err, "");
    const Result log = Run({"log"});
    EXPECT_EQ(log.status, 2);
    EXPECT_EQ(log.err,
              "tessaro-cli: cannot read \"tessaro-journal.sqlite\": the journal is not "
              "available in this build\n");
}
#endif

}  // namespace

// plan: the channels per ADC with what gets in each other's way; --rf: the NCO for an input.
TEST_F(Cli, PlanShowsOverlapsDuplicatesAndHarmonics) {
    CopyDemo();
    // On ADC 0: 30 MHz, its 2nd harmonic's place (40 MHz) and its mirror (70 MHz); on ADC 1 two
    // channels on one NCO; the rest apart.
    ASSERT_EQ(Run({"set", "std.cfg", "DDCChannelMask=0x8093", "FrequencyNCO0=30e6",
                   "FrequencyNCO7=40.05e6", "FrequencyNCO1=3e6", "FrequencyNCO4=3e6",
                   "InputSource4=1", "FrequencyNCO15=70e6", "InputSource15=0"})
                  .status,
              0);
    Result result = Run({"plan", "--bandwidth", "150 kHz"});
    EXPECT_EQ(result.status, 1) << result.err;
    for (const char* line : {"Channel bandwidth: 150000 Hz; signals in zone 1\n",
                             "\n  0        30000000                               30000000, "
                             "70000000*, 130000000, 170000000*\n",
                             "\n  7        40050000                  10050000",
                             "\n  overlap: channels 0 and 15, 0 Hz apart\n",
                             "\n  duplicate: channels 1 and 4 both at 3000000 Hz\n",
                             "\n  harmonic: the 2nd of channel 0 (30000000 Hz) lands at 40000000 "
                             "Hz, in channel 7\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
    }

    result = Run({"plan", "--json", "--zone", "2", "--bandwidth", "0,1 MHz"});
    EXPECT_EQ(result.status, 1) << result.err;
    const Json plan = Json::parse(result.out);
    EXPECT_EQ(plan["clock"], 100e6);
    EXPECT_EQ(plan["signalZone"], 2);
    EXPECT_EQ(plan["bandwidth"], 100e3);
    const Json& adc0 = plan["adcs"][0];
    EXPECT_EQ(adc0["channels"][1]["channel"], 15);
    EXPECT_EQ(adc0["channels"][1]["folded"], 30e6);
    EXPECT_EQ(adc0["channels"][1]["beyondHalf"], true);
    EXPECT_EQ(adc0["channels"][1]["images"][2],
              Json({{"zone", 3}, {"rf", 130e6}, {"inverted", false}}));
    EXPECT_EQ(adc0["overlaps"], Json::parse(R"([{"channels": [0, 15], "distance": 0.0}])"));
    // In zone 2 the signal is 70 MHz: no harmonic of it lands at 40.05 MHz.
    EXPECT_EQ(adc0["hits"], Json::array());
    EXPECT_EQ(plan["adcs"][1]["duplicates"][0]["channels"], Json({1, 4}));
    EXPECT_EQ(plan["disabled"].size(), 11u);

    ASSERT_EQ(Run({"set", "std.cfg", "ClockSource=1", "ExternalClockValue=110e6"}).status, 0);
    result = Run({"plan", "--rf", "150 MHz"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "150000000 Hz at the external clock of 110000000 Hz: NCO 40000000 Hz, zone 3, not "
              "inverted\n");
    result = Run({"plan", "--rf", "1O MHz"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "tessaro-cli: --rf: '1O MHz' is not a valid floating point value\n");
}

// Names in Windows-1251 as a Russian system writes them, in folders, arguments and values. On
// Windows they are the ANSI code page's (1251 under the tests' wine: cmake/cross_tests.cmake sets
// a Russian locale); elsewhere they are bytes.
namespace {
#ifdef _WIN32
const std::string kSeparator = "\\";
void MakeFolder(const std::string& name) {
    ASSERT_TRUE(CreateDirectoryA(name.c_str(), nullptr)) << name;
}
#else
const std::string kSeparator = "/";
void MakeFolder(const std::string& name) {
    ASSERT_EQ(::mkdir(name.c_str(), 0777), 0) << name;
}
#endif
}  // namespace

TEST_F(Cli, CyrillicNamesInTheAnsiCodePage) {
    const std::string lab = "\xcb\xe0\xe1\xee\xf0\xe0\xf2\xee\xf0\xe8\xff";  // Лаборатория
    const std::string run = lab + kSeparator + "\xcf\xf0\xee\xe3\xee\xed 1";  // Прогон 1
    const std::string config = "CONFIGS\\\xcf\xf0\xee\xf4\xe8\xeb\xfc.cfg";   // Профиль.cfg
    const std::string program = "PRGFILES\\\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xe0.prg";  // Программа
    const std::string data = "\xc4\xe0\xed\xed\xfb\xe5";            // Данные
    const std::string recording = data + "\\\xee\xef\xfb\xf2.bin";  // опыт.bin
    // Names on the command line and in the test's own calls take the system's separator.
    auto local = [](std::string name) {
        std::replace(name.begin(), name.end(), '\\', kSeparator[0]);
        return name;
    };
    const std::string dir = fs::current_path().string() + kSeparator + run;
    MakeFolder(lab);
    MakeFolder(run);
    for (const char* folder : {"CONFIGS", "PRGFILES"})
        MakeFolder(run + kSeparator + folder);
    WriteBytes(local(run + "\\" + config), CliFixture("lab.cfg"));
    WriteBytes(local(run + "\\exam_ddc.ini"), CliFixture("exam_ddc_cp1251.ini"));

    // Saved once as the window saves: the file keeps one decimal of each real (1.26 as 1.3).
    ASSERT_EQ(Run({"set", local(config), "Dither=0"}, dir).status, 0);
    const Result before = Run({"show", local(config), "--json"}, dir);
    ASSERT_EQ(before.status, 0) << before.err;
    ASSERT_EQ(Run({"set", local(config), "Dither=1", "DDCProgramFile=" + program,
                   "DirFileName=" + recording},
                  dir)
                  .status,
              0);
    // Every other value is kept.
    Json expected = Json::parse(before.out);
    Json after = Json::parse(Run({"show", local(config), "--json"}, dir).out);
    for (const char* key :
         {"Dither", "DDCProgramFile", "DirFileName", "DDCProgramFileBytes", "DirFileNameBytes",
          "DDCProgramFileEncoding", "DirFileNameEncoding", "recording"}) {
        expected.erase(key);
        after.erase(key);
    }
    EXPECT_EQ(after, expected);
    EXPECT_NE(ReadBytes(local(run + "\\" + config)).find("\r\nDirFileName= " + recording + "\r\n"),
              std::string::npos);

    // check finds the program file and the recording folder only once they are there.
    Result checked = Run({"check", local(config)}, dir);
    EXPECT_NE(checked.out.find("program-file"), std::string::npos) << checked.out;
    EXPECT_NE(checked.out.find("recording-folder"), std::string::npos) << checked.out;
    // The folder is named by its full path, ending in the name as given.
    EXPECT_NE(checked.out.find(data + "\""), std::string::npos) << checked.out;
    MakeFolder(run + kSeparator + data);
    WriteBytes(local(run + "\\" + program), "program");
    checked = Run({"check", local(config)}, dir);
    EXPECT_EQ(checked.out.find("program-file"), std::string::npos) << checked.out;
    EXPECT_EQ(checked.out.find("recording-folder"), std::string::npos) << checked.out;

    const Result applied = Run({"apply", "--config", local(config)}, dir);
    ASSERT_EQ(applied.status, 0) << applied.err;
    const std::string ini = ReadBytes(local(run + "\\exam_ddc.ini"));
    EXPECT_NE(ini.find("DDCProgramFile= " + program + "\t"), std::string::npos) << ini;
    EXPECT_NE(ini.find("DirFileName= " + recording + "\t"), std::string::npos) << ini;

    // With --raw, output redirected to a file or a pipe is the names' bytes, never recoded.
    const Result shown = Run({"--raw", "show", local(config)}, dir);
    EXPECT_NE(shown.out.find(program), std::string::npos) << shown.out;
    const std::string missing = "\xed\xe5\xf2.cfg";  // нет.cfg
    const Result refused = Run({"show", missing}, dir);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "tessaro-cli: cannot read \"" + missing + "\": No such file or directory\n");
    const Result notEntered = Run({"show"}, dir + kSeparator + data + "2");
    EXPECT_EQ(notEntered.status, 2);
    EXPECT_NE(notEntered.err.find(data + "2\": "), std::string::npos) << notEntered.err;
}

// set makes a new file only where nothing is: a name it cannot read is refused, never replaced by
// the defaults.
TEST_F(Cli, SetRefusesANameItCannotRead) {
    const std::string lab = CliFixture("lab.cfg");
    WriteBytes("lab.cfg", lab);
    fs::create_directory("folder.cfg");
    std::vector<std::string> names = {"lab.cfg" + kSeparator + "new.cfg", "folder.cfg"};
#ifdef _WIN32
    // Open by another program that shares it with nobody.
    WriteBytes("locked.cfg", lab);
    const HANDLE locked = CreateFileA("locked.cfg", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    names.push_back("locked.cfg");
#else
    fs::create_symlink("loop.cfg", "loop.cfg");
    names.push_back("loop.cfg");
    // A file that may not be read, a folder that may not be searched: as an ordinary user, since
    // root reads them all the same.
    WriteBytes("secret.cfg", lab);
    fs::permissions("secret.cfg", fs::perms::owner_write);
    fs::create_directory("closed");
    fs::permissions("closed", fs::perms::none);
    for (const char* name : {".", "secret.cfg", "closed"})
        file_tests::GiveToOrdinaryUser(name);
    const std::string refused = file_tests::AsOrdinaryUser([&] {
        std::string results;
        for (const char* name : {"secret.cfg", "closed/new.cfg"}) {
            const Result result = Run({"set", name, "Dither=1"});
            results += std::to_string(result.status) + " " + result.out + result.err;
        }
        return results;
    });
    EXPECT_EQ(refused,
              "2 tessaro-cli: cannot read \"secret.cfg\": Permission denied\n"
              "2 tessaro-cli: cannot read \"closed/new.cfg\": Permission denied\n");
#endif
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Result result = Run({"set", name, "Dither=1"});
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("\"" + name + "\": "), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
#ifdef _WIN32
    CloseHandle(locked);
    EXPECT_EQ(ReadBytes("locked.cfg"), lab);
#else
    fs::permissions("secret.cfg", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadBytes("secret.cfg"), lab);
#endif
    EXPECT_EQ(ReadBytes("lab.cfg"), lab);
    EXPECT_TRUE(fs::is_directory("folder.cfg"));
}
namespace {

// apply stops where check reports an error, unless --force; a dry run still shows the change.
TEST_F(Cli, ApplyRefusesErrorsUnlessForced) {
    CopyDemo();
    // A hand-edited value the window does not offer is an error.
    std::string config = ReadBytes("std.cfg");
    const std::size_t line = config.find("MasterMode=");
    ASSERT_NE(line, std::string::npos);
    config.replace(line, config.find_first_of("\r\n", line) - line, "MasterMode=7");
    WriteBytes("std.cfg", config);
    const std::string before = ReadBytes("exam_ddc.ini");

    const Result refused = Run({"apply"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("exam_ddc.ini not written: check reports"), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("enum-value: MasterMode 7"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), before);

    const Result dry = Run({"apply", "--dry-run"});
    EXPECT_EQ(dry.status, 2);
    EXPECT_NE(dry.out.find("\n+MasterMode= 7"), std::string::npos) << dry.out;
    EXPECT_NE(dry.err.find("exam_ddc.ini would not be written"), std::string::npos) << dry.err;
    EXPECT_EQ(ReadBytes("exam_ddc.ini"), before);

    EXPECT_EQ(Run({"apply", "--force"}).status, 0);
    EXPECT_NE(ReadBytes("exam_ddc.ini"), before);
}

// The keys a configuration lacks and the copies in exam_ddc.ini are findings of their own.
TEST_F(Cli, CheckAndShowNameMissingKeysAndDuplicates) {
    CopyDemo();
    ASSERT_EQ(Run({"set", "std.cfg", "DataFormat=0"}).status, 0);
    WriteBytes("short.cfg", "[Option]\r\nDataFormat= 0\r\n");
    WriteBytes("exam_ddc.ini", ReadBytes("exam_ddc.ini") + "[Option]\r\nDither= 0\r\n");

    const Result check = Run({"check", "short.cfg", "--json"});
    std::vector<std::string> ids;
    for (const Json& finding : Json::parse(check.out))
        ids.push_back(finding["id"]);
    EXPECT_NE(std::find(ids.begin(), ids.end(), "ini-duplicates"), ids.end()) << check.out;
    EXPECT_NE(std::find(ids.begin(), ids.end(), "config-missing-keys"), ids.end()) << check.out;
    EXPECT_NE(check.out.find("short.cfg lacks "), std::string::npos);

    const Result show = Run({"show", "short.cfg"});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("warning config-missing-keys short.cfg lacks "), std::string::npos)
        << show.out;
    EXPECT_EQ(Run({"show", "std.cfg"}).out.find("config-missing-keys"), std::string::npos);
    const Json shown = Json::parse(Run({"show", "short.cfg", "--json"}).out);
    EXPECT_FALSE(shown["configuration"]["missingKeys"].empty());
    EXPECT_EQ(shown["configuration"]["file"], "short.cfg");
}

// set takes a real number with either separator.
TEST_F(Cli, SetTakesEitherDecimalSeparator) {
    ASSERT_EQ(Run({"set", "a.cfg", "FrequencyNCO1=10,7e6", "ComparatorThresholdSDX=1.5"}).status,
              0);
    ASSERT_EQ(Run({"set", "b.cfg", "FrequencyNCO1=10.7e6", "ComparatorThresholdSDX=1,5"}).status,
              0);
    EXPECT_EQ(ReadBytes("a.cfg"), ReadBytes("b.cfg"));
    EXPECT_NE(ReadBytes("a.cfg").find("FrequencyNCO1= 10700000.0"), std::string::npos);
}

}  // namespace
