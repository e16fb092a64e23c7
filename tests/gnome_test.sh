#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The platform the program starts on in a Wayland session: XWayland under GNOME, which decorates
# only X windows, unless the user names a platform; elsewhere Qt's own choice, Wayland first.
# Run on an X server (tests/xvfb-run.sh) with no Wayland display: a start that tries Wayland
# first leaves Qt's warning about it, and every start ends with the window on X.
# Usage: gnome_test.sh PROGRAM
set -uo pipefail
program=$1
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT

# Fails unless what the program says before its window is on X mentions Wayland ($1: yes or no).
start() {
  local wayland=$1
  shift
  env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" XDG_SESSION_TYPE=wayland \
    WAYLAND_DISPLAY=missing "$@" "$program" 2>"$runtime/errors" &
  local pid=$!
  timeout 30 xdotool search --sync --onlyvisible --pid "$pid" >/dev/null ||
    { echo "$*: no window on X"; kill "$pid"; exit 1; }
  kill "$pid"
  wait "$pid"
  local said=no
  grep -qF 'platform plugin "wayland"' "$runtime/errors" && said=yes
  [ "$said" = "$wayland" ] ||
    { printf '%s: Wayland tried first: %s\n' "$*" "$said"; cat "$runtime/errors"; exit 1; }
}

start no XDG_CURRENT_DESKTOP=GNOME
start no XDG_CURRENT_DESKTOP=GNOME-Classic:GNOME
start yes XDG_CURRENT_DESKTOP=KDE
start yes XDG_CURRENT_DESKTOP=GNOME QT_QPA_PLATFORM='wayland;xcb'
echo "GNOME: XWayland; KDE, or a platform the user names: Wayland first"
