#!/usr/bin/env bash
# Builds the Debian package from a configured and built folder and checks it as a user gets it:
#   scripts/check-package.sh [BUILD_DIR]        (default build/default; `make test-package`)
# 1. cpack -G DEB; lintian (errors fail; warnings and notes are printed);
# 2. the installed tree's desktop file and metadata validate;
# 3. what a user of the desktop and the shell expects in it: the bash completion, the window's
#    launcher (StartupWMClass, the folder action), hardened and stripped programs (readelf:
#    BIND_NOW, fortified _chk functions; no lintian hardening tag even with --pedantic --info), the
#    copyright notices of the libraries compiled in;
# 4. unpacked with dpkg-deb -x into a scratch folder, the unpacked programs run from there:
#    `tessaro-cli --version` (when packaged) prints the project's version, and the window starts
#    offscreen in an empty scratch working directory and closes cleanly.
#
# "Starts and closes cleanly" for the window means: it is still running after START_SECONDS (it
# loaded its libraries from the unpacked tree and the system, built its window and entered the
# event loop: a missing library or plugin makes it exit at once), it prints no warning from Qt or
# the dynamic loader, and SIGTERM ends it at once with the status of that signal (143), leaving
# nothing behind. The window saves "std.cfg" only from its close event, which a signal does not
# run, so the scratch folder must stay empty: a file there means the window wrote on its own.
set -euo pipefail

build_dir=${1:-build/default}
start_seconds=${START_SECONDS:-3}
cd "$(dirname "$0")/.."
build_dir=$(cd "$build_dir" && pwd)

fail() {
    echo "check-package: $*" >&2
    exit 1
}

for tool in cpack lintian dpkg-deb desktop-file-validate appstreamcli readelf; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessaro-package-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

echo "== cpack -G DEB"
rm -f "$build_dir"/tessaro-master_*.deb
(cd "$build_dir" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || {
    cat "$scratch/cpack.log"
    fail "cpack failed"
}
deb=$(ls "$build_dir"/tessaro-master_*.deb)
echo "$deb"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb" | awk '{print $6}'
# The run journal needs SQLite at run time; dpkg-shlibdeps must have found it.
if grep -q '^TESSARO_BUILD_JOURNAL:BOOL=ON' "$build_dir/CMakeCache.txt"; then
    dpkg-deb --field "$deb" Depends | grep -q 'libsqlite3-0' ||
        fail "the package does not depend on libsqlite3-0"
fi

echo "== lintian"
# Lintian exits non-zero on errors only (with --fail-on error); everything it says is printed.
if ! lintian --fail-on error --display-info --tag-display-limit 0 "$deb"; then
    fail "lintian found errors"
fi

if lintian --pedantic --display-info --tag-display-limit 0 "$deb" | grep -i 'hardening'; then
    fail "lintian names hardening the programs lack"
fi

echo "== unpacked"
root="$scratch/root"
dpkg-deb -x "$deb" "$root"

echo "== what users expect of it"
desktop=$root/usr/share/applications/org.tessaro.master.desktop
grep -qx 'StartupWMClass=tessaro-master' "$desktop" || fail "the desktop file has no StartupWMClass"
grep -qx 'Exec=tessaro-master --choose-folder' "$desktop" ||
    fail "the desktop file has no action that asks for the working folder"
grep -q 'xml:lang="ru"' <(sed -n '/<description>/,/<\/description>/p' "$root"/usr/share/metainfo/*.xml) ||
    fail "the metadata has no Russian description"
completion=$root/usr/share/bash-completion/completions/tessaro-cli
if [ -x "$root/usr/bin/tessaro-cli" ]; then
    [ -f "$completion" ] || fail "the bash completion of tessaro-cli is not installed"
    grep -q 'complete -F _tessaro_cli tessaro-cli' "$completion" || fail "$completion completes nothing"
    for notice in 'License: BSD-3-Clause' 'License: MIT' 'Henry Schreiner' 'Niels Lohmann'; do
        grep -qF "$notice" "$root/usr/share/doc/tessaro-master/copyright" ||
            fail "the copyright file lacks '$notice' of a library compiled into tessaro-cli"
    done
fi
for program in "$root"/usr/bin/*; do
    # Read whole first: grep -q would end the pipe early, and pipefail would count that a failure.
    dynamic=$(readelf --dynamic "$program")
    symbols=$(readelf --dyn-syms --wide "$program")
    grep -Eq 'BIND_NOW|FLAGS_1.*NOW' <<<"$dynamic" || fail "$program is not linked with BIND_NOW"
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program is not built with the stack protector"
    if grep -q '\.debug_info' <<<"$(readelf --section-headers "$program")"; then
        fail "$program is not stripped"
    fi
    file "$program"
done
# The command line's own calls give the compiler buffer sizes to check; lintian's hardening tags
# above speak for the window, which takes no override.
if [ -x "$root/usr/bin/tessaro-cli" ]; then
    grep -Eq '__(memcpy|snprintf|fread|read|sprintf|vsnprintf|memmove|memset|strcpy|fprintf|printf)_chk' \
        <<<"$(readelf --dyn-syms --wide "$root/usr/bin/tessaro-cli")" ||
        fail "tessaro-cli calls no fortified (_chk) function"
fi
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
for page in "$root"/usr/share/man/man1/*.1.gz; do
    zcat "$page" | grep -q '^\.SH' || fail "$page is not a manual page"
done
[ -x "$root/usr/bin/tessaro-master" ] || fail "the package has no tessaro-master"
version=$(sed -n 's/^tessaro-master (\([^)]*\)).*/\1/p' <(zcat "$root"/usr/share/doc/tessaro-master/changelog.gz))

if [ -x "$root/usr/bin/tessaro-cli" ]; then
    out=$("$root/usr/bin/tessaro-cli" --version) || fail "tessaro-cli --version failed"
    echo "tessaro-cli --version: $out"
    grep -qF "$version" <<<"$out" || fail "tessaro-cli --version does not say $version"
elif [ -e "$build_dir/cli/tessaro-cli" ]; then
    fail "tessaro-cli was built but is not in the package"
else
    echo "(no tessaro-cli in this build)"
fi

work="$scratch/work"
mkdir "$work"
mkdir -m 700 "$scratch/run"
status=0
(cd "$work" && QT_QPA_PLATFORM=offscreen HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run" \
    timeout -k 5 -s TERM "$start_seconds" "$root/usr/bin/tessaro-master" >"$scratch/window.log" 2>&1) ||
    status=$?
cat "$scratch/window.log"
[ "$status" -eq 124 ] || fail "the window ended by itself (status $status) before it was closed"
if grep -Eiq 'error|warning|cannot|not found|failed' "$scratch/window.log"; then
    fail "the window complained while starting"
fi
leftovers=$(ls -A "$work")
[ -z "$leftovers" ] || fail "the window left files in its working directory: $leftovers"
echo "the window started offscreen and closed on SIGTERM"
echo "check-package: all checks passed"
