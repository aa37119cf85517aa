#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, and only those missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config          # build
    qt6-base-dev                       # the window (Qt 6 Widgets and Qt Test)
    libgl-dev                          # Qt6Gui's CMake package looks for OpenGL headers
    libgtest-dev libgmock-dev          # tests
    libbenchmark-dev                   # benchmarks
    clang libclang-rt-14-dev           # fuzzing (libFuzzer) and sanitizer runtimes
    xvfb xauth                         # running the window without a screen
    fonts-dejavu-core                  # a font for the window when none is installed
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
