#include "cli/terminal_text.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/command.h"
#include "core/cp1251.h"

#ifdef _WIN32
#include <io.h>
#else
#include <langinfo.h>
#include <unistd.h>
#endif

namespace cli {
namespace {

bool gQuiet = false;
bool gRaw = false;

bool IsTerminal() {
#ifdef _WIN32
    // The console receives its text through Print's own conversion there.
    return false;
#else
    return ::isatty(STDOUT_FILENO) == 1;
#endif
}

// Whether the user's locale (LC_ALL, LC_CTYPE, LANG) encodes in UTF-8. Only the character
// category is consulted, and the program's own stays "C": numbers never see the user's locale.
bool LocaleIsUtf8() {
#ifdef _WIN32
    return false;
#else
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = ::nl_langinfo(CODESET);
        utf8 = codeset != nullptr &&
               (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
#endif
}

}  // namespace

void SetQuiet(bool quiet) {
    gQuiet = quiet;
}

void SetRaw(bool raw) {
    gRaw = raw;
}

bool Decodes(Reader reader) {
    static const bool utf8 = LocaleIsUtf8();
    static const bool terminal = IsTerminal();
    return utf8 && !gRaw && (terminal || reader == Reader::Person);
}

std::string ForReader(std::string_view text, Reader reader) {
    if (!Decodes(reader) || cp1251::IsUtf8(text))
        return std::string(text);
    std::string shown;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line =
            end == std::string_view::npos ? text : text.substr(0, end + 1);
        shown += cp1251::IsUtf8(line) ? std::string(line) : cp1251::ToUtf8(line);
        text.remove_prefix(line.size());
    }
    return shown;
}

void Show(std::string_view text, Reader reader) {
    if (!gQuiet)
        Print(ForReader(text, reader));
}

void Note(std::string_view text) {
    if (!gQuiet)
        std::fwrite(text.data(), 1, text.size(), stderr);
}

std::string ParseErrorText(const CLI::App& app, const CLI::ParseError& error) {
    std::string subcommands;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        subcommands += (subcommands.empty() ? "" : ", ") + sub->get_name();
    // A word no subcommand took stood where a subcommand goes; CLI11 reports it as a missing
    // subcommand or as an argument not expected, whichever it meets first.
    if (app.get_subcommands().empty()) {
        for (const std::string& word : app.remaining()) {
            if (!word.starts_with("-"))
                return "unknown subcommand '" + word + "' (subcommands: " + subcommands + ")";
        }
        if (std::string(error.what()).starts_with("A subcommand is required"))
            return "a subcommand is required: " + subcommands + " (see --help)";
    }
    return error.what() + std::string(" (see --help)");
}

std::string DecodedName(const std::string& bytes, const char** encoding) {
    if (cp1251::IsUtf8(bytes)) {
        *encoding = "utf-8";
        return bytes;
    }
    *encoding = "windows-1251";
    return cp1251::ToUtf8(bytes);
}

}  // namespace cli
