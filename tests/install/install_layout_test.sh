#!/usr/bin/env bash
# install_layout_test.sh BUILD_DIR DESKTOP_ID
# Installs BUILD_DIR into a temporary DESTDIR with prefix /usr, checks the
# layout and the desktop files, and runs the installed tidewell-cli with a
# temporary home: its data must land in the per-user data folder, never
# beside the program.
set -euo pipefail
build=$1
id=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
usr="$scratch/root/usr"

for f in bin/tidewell bin/tidewell-cli libexec/tidewell/tidewell-cli-full; do [ -x "$usr/$f" ] || fail "$f not installed"; done
for f in default.fdb view.tpl email.tpl notify.wav Localization.txt Help.html; do
  [ -f "$usr/share/tidewell/$f" ] || fail "share/tidewell/$f not installed"
done
[ ! -e "$usr/share/tidewell/CMakeLists.txt" ] || fail "build files installed as data"

desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net --explain "$usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "AppStream metainfo"
grep -q "^Icon=$id$" "$usr/share/applications/$id.desktop" || fail "desktop entry names another icon"
for size in 16 22 24 32 48 64 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || fail "${size}px icon missing"
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "${size}px icon has the wrong size"
done
[ -f "$usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"

# The installed command-line tool against a fresh per-user folder. No
# TIDEWELL_HOME: the installed layout alone must send the data there.
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/data" XDG_CONFIG_HOME="$scratch/home/config"
unset TIDEWELL_HOME TIDEWELL_SETTINGS_DIR
mkdir -p "$HOME"
"$usr/bin/tidewell-cli" --version | grep -q "^tidewell-cli " || fail "installed tidewell-cli does not run"
"$usr/bin/tidewell-cli" add-category "Installed" >/dev/null || fail "add-category"
"$usr/bin/tidewell-cli" list --json | grep -q '"Installed"' || fail "the category did not come back"
# unread is answered by the front itself, the commands above by the full
# program it starts: both must find the same folder.
"$usr/bin/tidewell-cli" unread --json | grep -q '"name":"Installed"' || fail "the front reads another folder"
[ -f "$XDG_DATA_HOME/Tidewell/feeds.fdb" ] || fail "feeds.fdb not in the per-user data folder"
[ ! -e "$usr/bin/feeds.fdb" ] || fail "the installed program wrote beside itself"
echo "installed layout ok"
