#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer in a fresh Wine prefix, as a user with no administrator rights meets it:
# a silent install into the user's own programs folder, with a Start-menu entry and no desktop
# shortcut, listed among the installed programs; installing again goes over the first; while the
# installed program runs, neither installing again nor uninstalling changes anything, and both
# end with a status other than 0; the program ends with status 0; a silent uninstall then leaves
# nothing behind, once the program has ended and it has been installed over once more.
# Needs an X display (run it through tests/xvfb-run.sh).
# Usage: tests/windows_installer_test.sh SETUP.exe
set -euo pipefail
setup=$(realpath "${1:?usage: windows_installer_test.sh SETUP.exe}")
# The version the installer is named after, as the programs list shows it: 1.0.0 is 1.00.
shown_version=$(basename "$setup" | sed -E 's/^kavrel-([0-9]+)\.([0-9]+)\..*/\1.\2/' |
  awk -F. '{ printf "%d\\.%02d", $1, $2 }')
work=$(mktemp -d)
# Wine makes no launchers on the host for the shortcuts (winemenubuilder), which would stay.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap '{ wineserver -k || true; } 2>/dev/null; rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

wineboot -i >/dev/null 2>&1
wineserver -w
user=$WINEPREFIX/drive_c/users/$(id -un)
folder=$user/AppData/Local/Programs/Kavrel
start_menu=$user/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kavrel'
# What the prefix holds before: files and registry lines; afterwards nothing may be added.
snapshot() {
  (cd "$WINEPREFIX" && find drive_c -not -path 'drive_c/users/*/Temp*' | LC_ALL=C sort)
  grep -hi kavrel "$WINEPREFIX"/*.reg || true
}
snapshot >"$work/before"

for round in 1 2; do
  wine "$setup" /S
  wineserver -w
  for file in Kavrel.exe uninstall.exe Qt6Core.dll platforms/qwindows.dll qt.conf \
    translations/qtbase_zh_CN.qm fonts/wqy-microhei.ttc licenses/Kavrel.txt; do
    [ -f "$folder/$file" ] || fail "round $round: $file is not installed in $folder"
  done
  [ -f "$start_menu/Kavrel.lnk" ] || fail "round $round: no Start-menu entry"
  [ ! -e "$user/Desktop/Kavrel.lnk" ] || fail "round $round: a desktop shortcut nobody asked for"
  listing=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
  for value in 'DisplayName.*Kavrel' "DisplayVersion.*$shown_version" 'DisplayIcon.*Kavrel\.exe,0' \
    'EstimatedSize.*0x[0-9a-f]' 'QuietUninstallString.*uninstall\.exe" /S' 'Publisher'; do
    grep -q "$value" <<<"$listing" || fail "round $round: the programs list lacks $value"
  done
done

# The installed program opens its window. Meanwhile its files are in use: the installer and the
# uninstaller (in its own folder, to give its status) refuse, and leave every file and the
# programs list's entry as they were.
wine "$folder/Kavrel.exe" &
program=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^ Kavrel$' | head -n 1) ||
  fail "the installed program shows no window"
installed() {
  snapshot
  (cd "$folder" && find . -type f -exec sha256sum {} + | LC_ALL=C sort)
  wine reg query "$key" 2>/dev/null | tr -d '\r'
}
refuses() {
  local status=0
  wine "$@" || status=$?
  [ "$status" -ne 0 ] || fail "${1##*/} ended with status 0 while Kavrel ran"
  installed | diff "$work/running" - >&2 || fail "${1##*/} changed the lines above while Kavrel ran"
}
installed >"$work/running"
refuses "$setup" /S
refuses "$folder/uninstall.exe" /S "_?=$(winepath -w "$folder")"

# 退  出, centred at (52, 348) of the client area, ends the program with status 0.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 52)) $((Y + HEIGHT - 361 + 348)) click 1
status=0
timeout 30 tail --pid="$program" -f /dev/null || fail "the installed program did not end"
wait "$program" || status=$?
[ "$status" -eq 0 ] || fail "the installed program ended with status $status"
wine "$setup" /S || fail "the installer failed once Kavrel had ended"

wine "$folder/uninstall.exe" /S
wineserver -w
[ ! -e "$folder" ] || fail "the uninstaller left $(cd "$folder" && find . | head -n 5)"
snapshot >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the uninstaller left the lines above behind"
echo "installed twice, started, uninstalled: nothing left"
