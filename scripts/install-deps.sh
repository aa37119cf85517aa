#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, and only those missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config          # build
    qt6-base-dev                       # the window (Qt 6 Widgets and Qt Test)
    qt6-translations-l10n              # Qt's own dialogs in the desktop's language
    libgl-dev                          # Qt6Gui's CMake package looks for OpenGL headers
    libcli11-dev nlohmann-json3-dev    # the command line tessaro-cli (arguments, JSON)
    libgtest-dev libgmock-dev          # tests
    libbenchmark-dev                   # benchmarks
    clang libclang-rt-14-dev           # fuzzing (libFuzzer) and sanitizer runtimes
    xvfb xauth                         # running the window without a screen
    fonts-dejavu-core                  # a font for the window when none is installed
    locales                            # a decimal-comma locale for the locale tests
    dpkg-dev file lintian help2man     # the Debian package: dependencies, checks, manual pages
    librsvg2-bin                       # the 64 px icon, drawn from the SVG
    desktop-file-utils appstream       # checking the desktop file and the metadata
    jq bash-completion bsdutils        # the manual pages' examples, tab completion, script(1)
    g++-mingw-w64-x86-64-posix         # the Windows cross build of the core and its tests
    googletest                         # GoogleTest's source, built for Windows
    wine64                             # running the Windows tests
    zip unzip                          # the zip for Windows users, and its check
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

# The files must come out the same under a locale whose decimal separator is a comma.
need_locale=0
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
    need_locale=1
fi

if [ ${#missing[@]} -eq 0 ] && [ $need_locale -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "Setting up needs root: missing packages: ${missing[*]:-none}," \
             "ru_RU.UTF-8 locale missing: $need_locale" >&2
        exit 1
    fi
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ $need_locale -eq 1 ]; then
    echo "Generating the ru_RU.UTF-8 locale"
    $sudo localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
