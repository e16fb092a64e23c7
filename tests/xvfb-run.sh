#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private Xvfb server and passes its exit status through.
# Exits 77 (a skip for CTest) when no X server can be started here, so a machine without one
# never counts as a pass. The screen is 1280 x 1024 px unless KAVREL_SCREEN gives another size.
# Usage: tests/xvfb-run.sh command [arguments...]
set -uo pipefail

skip() {
  echo "SKIPPED: $*" >&2
  exit 77
}

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (apt-get install xvfb xdotool)"
done

dir=$(mktemp -d)
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

# -displayfd lets the server pick a free display itself, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 "${KAVREL_SCREEN:-1280x1024}x24" -nolisten tcp -noreset 3>"$dir/display" \
  2>"$dir/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
number=$(head -n 1 "$dir/display")
if [ -z "$number" ]; then
  cat "$dir/xvfb.log" >&2
  skip "Xvfb could not start an X server"
fi

# libxkbcommon-x11, which the xcb platform loads, strndup()s atom names that carry no final NUL,
# as strndup allows; AddressSanitizer's strict_string_checks reads on to a NUL and reports it.
# Later flags win, so this turns off only that interceptor and keeps the rest of the caller's.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_strndup=0"
env -u WAYLAND_DISPLAY DISPLAY=":$number" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$@"
