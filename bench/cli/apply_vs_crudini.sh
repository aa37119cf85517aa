#!/usr/bin/env bash
# A whole `tessaro-cli apply` process on the demo folder, next to Debian's crudini setting the same
# 49 keys to the same value texts: wall time and peak memory from /usr/bin/time -v, best of RUNS.
#
#   bench/cli/apply_vs_crudini.sh [path/to/tessaro-cli] [RUNS]
#
# crudini is needed for the comparison only (apt-get install crudini); the build never uses it.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
cli="${1:-$root/build/default/cli/tessaro-cli}"
runs="${2:-5}"
for tool in "$cli" /usr/bin/time crudini iconv; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The 49 keys and the value texts apply writes, taken from one apply on a copy of the demo.
cp -r "$root/demo" "$work/reference"
"$cli" --dir "$work/reference" apply
keys='SamplesPerChannel|EnableDDC|WorkMode|DirFileName|DirNumBufWrite|ClockSource|ExternalClockValue|DDCChannelMask|ChannelMask|DataFormat|FrequencyNCO[0-9]+|InputSource[0-9]+|AdcGainMask|Dither|StartSource|ComparatorThresholdSDX|MasterMode|DDCSyncMode|DDCProgramFile'
awk -v keys="^($keys)=" '
    /^\[/ { section = $0; gsub(/[][\r]/, "", section); print "[" section "]"; next }
    $0 ~ keys { line = $0; sub(/\r$/, "", line); print line }
' "$work/reference/exam_ddc.ini" | awk '/^\[/ || /=/' > "$work/values.ini"
[ "$(grep -c = "$work/values.ini")" -eq 49 ] || { echo "expected 49 keys" >&2; exit 2; }

# Seconds and KB of one measured command, from /usr/bin/time -v.
measure() {
    local out="$work/time.txt"
    /usr/bin/time -v -o "$out" "$@" >/dev/null
    local wall rss
    wall="$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$out")"
    rss="$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out")"
    echo "$wall $rss"
}

# crudini decodes the file as UTF-8 and stops at the demo's Windows-1251 comments, so it is timed
# on a copy recoded to UTF-8; tessaro-cli takes the demo as it is.
cp -r "$root/demo" "$work/demo-utf8"
iconv -f CP1251 -t UTF-8 "$root/demo/exam_ddc.ini" > "$work/demo-utf8/exam_ddc.ini"
iconv -f CP1251 -t UTF-8 "$work/values.ini" > "$work/values-utf8.ini"
cp -r "$root/demo" "$work/run"
if crudini --merge "$work/run/exam_ddc.ini" < "$work/values.ini" 2>/dev/null; then
    echo "crudini on the Windows-1251 demo file: works"
else
    echo "crudini on the Windows-1251 demo file: fails (UnicodeEncodeError); timed on a UTF-8 copy"
fi

best() {  # label, demo folder, then the command; a fresh copy of the folder for every run
    local label="$1" demo="$2"; shift 2
    local best_wall="" best_rss=""
    for _ in $(seq "$runs"); do
        rm -rf "$work/run" && cp -r "$demo" "$work/run"
        read -r wall rss < <(measure "$@")
        # m:ss.cc to seconds
        local seconds
        seconds="$(awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.3f", s }' <<< "$wall")"
        if [ -z "$best_wall" ] || awk -v a="$seconds" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
            best_wall="$seconds"
        fi
        if [ -z "$best_rss" ] || [ "$rss" -lt "$best_rss" ]; then
            best_rss="$rss"
        fi
    done
    printf '%-44s wall %6.3f s   max RSS %7d KB\n' "$label" "$best_wall" "$best_rss"
}

cat > "$work/crudini-each.sh" <<SCRIPT
#!/bin/sh
# One crudini process per key, as a lab script would call it.
set -e
section=""
while IFS= read -r line; do
    case "\$line" in
        \[*) section="\${line#[}"; section="\${section%]}" ;;
        *=*) crudini --set "$work/run/exam_ddc.ini" "\$section" "\${line%%=*}" "\${line#*=}" ;;
    esac
done < "$work/values-utf8.ini"
SCRIPT
chmod +x "$work/crudini-each.sh"

echo "best of $runs runs, demo folder, $(nproc) CPUs"
best "tessaro-cli apply (one process)" "$root/demo" "$cli" --dir "$work/run" apply
best "crudini --merge, 49 keys (one process)" "$work/demo-utf8" \
    sh -c "crudini --merge '$work/run/exam_ddc.ini' < '$work/values-utf8.ini'"
best "crudini --set, once per key (49 processes)" "$work/demo-utf8" "$work/crudini-each.sh"
