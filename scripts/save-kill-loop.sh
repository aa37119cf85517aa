#!/bin/sh
# Kills saves written in place at random moments and prints how many files the kills left padded
# or mixed, before and after the next start settles them from the rollback copies. Not part of
# `make test`: it runs for half a minute or so and leaves real kills behind it.
#
#   scripts/save-kill-loop.sh [kills (400)] [folder to work in (the temporary folder)] [slow]
#
# "slow" makes every write of 64 KiB a millisecond longer, as on a slow disk.
set -eu
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target save_kill_loop -j 2 >/dev/null
exec build/default/tests/files/save_kill_loop "${1:-400}" "${2:-}" ${3:+"$3"}
