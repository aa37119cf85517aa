#!/usr/bin/env bash
# Start-up of the window as a whole process, next to a Qt program showing one label: each is
# started afresh, shows its window (the editor in a working folder with std.cfg and
# exam_ddc.ini, loaded) and quits at its first paint. Compares the medians of the processor time
# and the peak memory the kernel counted. Targets: at most twice the processor time, at most
# 6 MB more memory.
#
#   bench/ui/startup.sh [BUILD_DIR] [RUNS]      (defaults: build/default, 30)
#
# Runs on the display it finds; without one on a virtual X screen (xvfb-run) when there is one,
# else on Qt's headless platform. Run it on a calm machine (see /proc/loadavg).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
build_dir="$(cd "${1:-$source_dir/build/default}" && pwd)"
runs="${2:-30}"
bench="$build_dir/bench/ui"

cmake --build "$build_dir" --target startup_window startup_label startup_compare >/dev/null

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${TESSARO_UNDER_XVFB:-}" ]; then
    if command -v xvfb-run >/dev/null 2>&1; then
        exec env TESSARO_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$build_dir" "$runs"
    fi
    export QT_QPA_PLATFORM=offscreen
fi

# The demo working folder: a commented exam_ddc.ini, and a std.cfg written by the editor.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir/demo/." "$work/"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$work"
"$bench/startup_window" 2>/dev/null  # once, so that std.cfg is there for every measured run

echo "platform: ${QT_QPA_PLATFORM:-${DISPLAY:+xcb on $DISPLAY}}; load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$bench/startup_compare" "$runs" "$bench/startup_label" "$bench/startup_window" 2>/dev/null
