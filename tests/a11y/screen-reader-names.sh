#!/usr/bin/env bash
# Reads the main window as a screen reader does, under a private X server and
# session bus that end with the test. Exits 77 (skipped) when a tool is missing.
#   screen-reader-names.sh VODE VODE_CLI
set -euo pipefail
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: no python3-pyatspi"; exit 77; }
work="$(mktemp -d)"
xpid=""
trap '[[ -n "$xpid" ]] && kill "$xpid" 2>/dev/null; wait; rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$2" synth "$work/eight.mer" --channels 8 --seconds 10 >/dev/null
# Xvfb picks a free display and says which.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>/dev/null &
xpid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/screen_reader_names.py" "$1" "$work/eight.mer"
