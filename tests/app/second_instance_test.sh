#!/usr/bin/env bash
# second_instance_test.sh TIDEWELL (run inside xvfb-run)
# Starts Tidewell, minimises its window, starts it again with "-s": the second
# start must hand over and exit, and the first must show its window again.
set -euo pipefail
program=$1
scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export TIDEWELL_HOME="$scratch/home" TIDEWELL_SETTINGS_DIR="$scratch/settings"
mkdir -p "$TIDEWELL_HOME" "$TIDEWELL_SETTINGS_DIR"
# Not a first run: no language window, no help page.
printf '[Settings]\nLanguage=English\nshowHelp=0\n' >"$TIDEWELL_SETTINGS_DIR/user.ini"
printf '[Settings]\nchkSplash=1\n' >"$TIDEWELL_SETTINGS_DIR/machine.ini"
unset QT_QPA_PLATFORM

openbox >/dev/null 2>&1 &
pids+=($!)
"$program" >"$scratch/first.log" 2>&1 &
first=$!
pids+=("$first")
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tidewell by ' | head -1) ||
  fail "the first start showed no window: $(cat "$scratch/first.log")"
timeout 30 xdotool windowminimize --sync "$window" || fail "could not minimise the window"

timeout 60 "$program" -s >"$scratch/second.log" 2>&1 || fail "the second start did not hand over: $(cat "$scratch/second.log")"
timeout 60 xdotool search --sync --onlyvisible --name '^Tidewell by ' >/dev/null ||
  fail "the first program did not show its window"
kill -0 "$first" || fail "the first program ended"
[ "$(xdotool search --name '^Tidewell by ' | wc -l)" -eq 1 ] || fail "two main windows"
echo "hand-over ok"
