// What tessaro-cli prints for a reader: names and comments in Windows-1251 are shown decoded, as
// the window shows them, on a terminal and in the tables of show and diff; a patch or a value
// sent through a pipe, and anything with --raw, goes out as the files hold it, so that
// `apply --dry-run > x.patch` stays a byte-exact patch.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>

namespace cli {

// The program's --quiet and --raw, set once by main before a subcommand runs.
void SetQuiet(bool quiet);
void SetRaw(bool raw);

// The one line that says what was wrong with the command line: a word where a subcommand was
// expected is named as an unknown subcommand, with the list of them.
std::string ParseErrorText(const CLI::App& app, const CLI::ParseError& error);

// Who reads what is printed.
enum class Reader {
    // A person on a terminal, or a program taking the exact bytes (a patch, a value for a script):
    // decoded only when stdout is a terminal.
    TerminalOrBytes,
    // A person, even through a pipe or grep: the tables of show and diff. Decoded whenever the
    // locale's encoding is UTF-8.
    Person,
};

// Whether text that is not UTF-8 is decoded for `reader`: the locale's encoding is UTF-8, --raw
// is not given and, for TerminalOrBytes, stdout is a terminal. In a single-byte locale the bytes
// go out as they are (in a Windows-1251 locale they already read right; in another no decoding
// would make them).
bool Decodes(Reader reader);

// `text` as `reader` gets it: when Decodes(reader), each line that is not valid UTF-8 decoded as
// Windows-1251, otherwise the bytes unchanged. Lines are decoded one by one, so a patch that holds
// a UTF-8 line beside a Windows-1251 one shows both right.
std::string ForReader(std::string_view text, Reader reader);

// Output on stdout (ForReader), silenced by --quiet.
void Show(std::string_view text, Reader reader = Reader::TerminalOrBytes);
// A note on stderr that is not an error (what set kept in single precision), silenced by --quiet.
void Note(std::string_view text);

// A name's text for JSON, always UTF-8: its bytes when they are UTF-8, else their Windows-1251
// reading; `encoding` receives "utf-8" or "windows-1251".
std::string DecodedName(const std::string& bytes, const char** encoding);

}  // namespace cli
