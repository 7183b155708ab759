#!/usr/bin/env bash
# The main window as a screen reader finds it, under a private X server and
# session bus that end with the test.
#   screen-reader-names.sh VODE VODE_CLI
# Exits 77 (skipped) when the X server or the accessibility tools are missing.
set -euo pipefail
vode="$1"
cli="$2"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is missing"; exit 77; }

work="$(mktemp -d)"
xpid=""
cleanup() {
  [[ -n "$xpid" ]] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$cli" synth "$work/eight.mer" --channels 8 --seconds 10 >/dev/null

# Xvfb picks a free display and says which.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>/dev/null &
xpid=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
status=0
dbus-run-session -- /usr/bin/python3 "$here/screen_reader_names.py" "$vode" "$work/eight.mer" || status=$?
exit "$status"
