// Where tessaro-cli's text goes: stdout and stderr.
#pragma once

#include <cstdio>
#include <string_view>

namespace cli {

// Writes `text` (8-bit, in the system's code page) to `stream` (stdout or stderr). Redirected to
// a file or a pipe it goes as bytes, unchanged. On Windows a console shows 8-bit text in its own
// code page (866 on a Russian system, where the files' names and comments are in the ANSI code
// page 1251): there the text goes to the console as UTF-16, converted from the ANSI code page.
void WriteText(std::FILE* stream, std::string_view text);

}  // namespace cli
