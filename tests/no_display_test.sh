#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program where no window can be opened: one line on standard error and status 1, not Qt's
# abort; a platform that fails where there is a display is named, and Qt's words follow. Qt's
# platform options still open it, and what Qt says on the way still gets out.
# Usage: no_display_test.sh PROGRAM
set -uo pipefail
program=$1
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LANG -u LC_ALL)
line='kavrel: cannot open the window: no display (set DISPLAY or WAYLAND_DISPLAY, or run it in a desktop session)'

# Whatever the locale: before its platform starts, Qt warns of one that is not UTF-8 (none, as in
# a fresh root shell; C; one that is not installed).
for locale in LANG=C.UTF-8 '' LANG=C LANG=xx_YY.UTF-8 LC_ALL=C; do
  errors=$("${headless[@]}" ${locale:+"$locale"} "$program" 2>&1 >/dev/null)
  status=$?
  [ "$status" -eq 1 ] ||
    { printf 'no display, %s: exit status %s\n%s\n' "${locale:-no LANG}" "$status" "$errors"; exit 1; }
  [ "$errors" = "$line" ] ||
    { printf 'no display, %s: standard error was\n%s\n' "${locale:-no LANG}" "$errors"; exit 1; }
done

# A platform mistyped where there is a display: named, then Qt's words with the platforms there are.
errors=$("${headless[@]}" DISPLAY=:0 QT_QPA_PLATFORM=wayalnd "$program" 2>&1 >/dev/null)
status=$?
[ "$status" -eq 1 ] && [ "$(head -n 1 <<<"$errors")" = \
  "kavrel: cannot open the window: Qt's platform \"wayalnd\" did not start" ] &&
  grep -q 'Available platform plugins are: .*offscreen' <<<"$errors" ||
  { printf 'a mistyped platform: exit status %s\n%s\n' "$status" "$errors"; exit 1; }

# The first platform on the list is missing: Qt warns and opens the window offscreen, where it
# stays until the time is up (124). Nothing is said after the warning (a runtime folder is given,
# Qt's default category is silenced), so it gets out only if held messages are let go as the
# platform comes up.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
errors=$("${headless[@]}" QT_QPA_PLATFORM='missing;offscreen' XDG_RUNTIME_DIR="$runtime" \
  QT_LOGGING_RULES='default.warning=false' timeout 5 "$program" 2>&1 >/dev/null)
status=$?
[ "$status" -eq 124 ] || { printf 'offscreen: exit status %s\n%s\n' "$status" "$errors"; exit 1; }
grep -qF 'Could not find the Qt platform plugin "missing"' <<<"$errors" ||
  { printf "offscreen: Qt's warning is missing from\n%s\n" "$errors"; exit 1; }
echo "without a display: one line and status 1; a mistyped platform named; offscreen: open"
