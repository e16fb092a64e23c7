#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a scratch prefix and checks what a desktop and a software centre read
# there: the program, the launcher entry, both icons and the metainfo, all under one id.
# Usage: install_test.sh BUILD_DIR TEMP_DIR  (TEMP_DIR is emptied first)
set -euo pipefail
build=$1
prefix=$2
id=io.github.kavrel.Kavrel

for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/test installs it)"; exit 1; }
done

rm -rf "$prefix"
"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >/dev/null

status=0
expect() {
  [ -s "$prefix/$1" ] || { echo "not installed: $1"; status=1; }
}
expect bin/kavrel
expect share/applications/$id.desktop
expect share/icons/hicolor/16x16/apps/$id.png
expect share/icons/hicolor/scalable/apps/$id.svg
expect share/metainfo/$id.metainfo.xml
[ $status -eq 0 ] || exit 1

[ -x "$prefix/bin/kavrel" ] || { echo "bin/kavrel is not executable"; exit 1; }

# A theme files a PNG under the size its directory names, so a wrong size would be misdrawn.
png_size=$(od -An -tx1 -j16 -N8 "$prefix/share/icons/hicolor/16x16/apps/$id.png" | tr -d ' \n')
[ "$png_size" = 0000001000000010 ] || { echo "16x16 icon is not 16 x 16 ($png_size)"; exit 1; }
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ||
  { echo "scalable icon is not an SVG"; exit 1; }

# The validators check each file alone; the links between them are checked here.
desktop=$prefix/share/applications/$id.desktop
grep -qx "Icon=$id" "$desktop" || { echo "desktop entry does not name icon $id"; exit 1; }
grep -qx "Exec=kavrel" "$desktop" || { echo "desktop entry does not start kavrel"; exit 1; }
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$prefix/share/metainfo/$id.metainfo.xml" || { echo "metainfo does not launch $id.desktop"; exit 1; }

desktop-file-validate "$desktop"
# Strict: a warning or a note is a defect here too; only pedantic remarks pass. The developer is
# named in AppStream 1.0's <developer> tag, which AppStream 0.16 (Debian 12) does not know yet;
# there a note on an unknown tag is let pass.
older=()
version=$(appstreamcli --version | grep -o '[0-9][0-9.]*' | head -n 1)
[ "${version%%.*}" -ge 1 ] || older=(--override=unknown-tag=pedantic)
appstreamcli validate --no-net --strict "${older[@]}" "$prefix/share/metainfo/$id.metainfo.xml"
echo "installed tree is complete and valid"
