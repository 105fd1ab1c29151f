#!/usr/bin/env bash
# with_keyring.sh PROGRAM [ARGS...] (inside dbus-run-session)
# Starts gnome-keyring's Secret Service with a fresh, unlocked login keyring
# in a scratch home, then runs PROGRAM.
set -euo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
eval "$(printf 'tidewell-test' | gnome-keyring-daemon --unlock --components=secrets)"
export TIDEWELL_EXPECT_KEYRING=1
"$@"
