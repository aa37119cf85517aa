#!/usr/bin/env bash
# Runs the commands of a manual page's EXAMPLES section as written, in a scratch copy of demo/:
#   scripts/run-man-examples.sh SECTIONS.h2m PROGRAM_DIR
# The section is help2man's include file (data/<program>.h2m); each line "$ command" is run by
# bash with PROGRAM_DIR first on PATH. Exit statuses 0 and 1 (differences found, warnings only)
# are what the programs answer when all went well; 2 or more fails the run.
set -euo pipefail
sections=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
program_dir=$(cd "$2" && pwd)
cd "$(dirname "$0")/.."
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessaro-examples-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cp -r demo/. "$scratch"

# The EXAMPLES section's commands, with the roff escapes \- \e undone.
mapfile -t commands < <(awk '/^\[/ { on = ($0 == "[EXAMPLES]") } on && /^\$ / { print substr($0, 3) }' "$sections" |
    sed -e 's/\\-/-/g' -e 's/\\e/\\/g')
[ "${#commands[@]}" -gt 0 ] || { echo "no example in $sections" >&2; exit 1; }
for command in "${commands[@]}"; do
    echo "\$ $command"
    status=0
    (cd "$scratch" && PATH="$program_dir:$PATH" bash -o pipefail -c "$command") || status=$?
    if [ "$status" -gt 1 ]; then
        echo "run-man-examples: '$command' failed with status $status" >&2
        exit 1
    fi
done
echo "run-man-examples: ${#commands[@]} examples ran"
