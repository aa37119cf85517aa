#include "cli/console.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <string>

#include "files/native_path.h"
#endif

namespace cli {

#ifdef _WIN32
namespace {

// The console behind the stream, or nullptr when it is redirected.
HANDLE ConsoleOf(std::FILE* stream) {
    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return nullptr;
    return handle;
}

}  // namespace
#endif

void WriteText(std::FILE* stream, std::string_view text) {
#ifdef _WIN32
    if (HANDLE console = ConsoleOf(stream)) {
        // Whatever the C library still holds for the stream goes first.
        std::fflush(stream);
        const std::wstring wide = files::WideFromAnsi(text);
        std::size_t done = 0;
        while (done < wide.size()) {
            // Older consoles refuse a single write much beyond 64 KB.
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
            DWORD written = 0;
            if (!WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) ||
                written == 0)
                return;
            done += written;
        }
        return;
    }
#endif
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace cli
