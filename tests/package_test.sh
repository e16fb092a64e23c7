#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Packs the build into a .deb, as its package target does, and holds the package to Debian's
# rules: lintian reports no error and no warning, and the changelog's latest entry, the
# metainfo's latest release and the manual page all give the package's version (lintian does not
# compare them).
# Usage: package_test.sh BUILD_DIR TEMP_DIR  (TEMP_DIR is emptied first)
set -euo pipefail
build=$1
out=$2

command -v lintian >/dev/null || { echo "missing lintian (scripts/test installs it)"; exit 1; }
rm -rf "$out"
"${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(echo "$out"/*.deb)

version=$(dpkg-deb -f "$deb" Version)
dpkg-deb -x "$deb" "$out/root"
logged=$(gzip -dc "$out/root/usr/share/doc/kavrel/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[ "$logged" = "$version" ] || { echo "changelog ends at $logged, the package is $version"; exit 1; }
released=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$out"/root/usr/share/metainfo/*.xml)
manual=$(gzip -dc "$out/root/usr/share/man/man1/kavrel.1.gz" | sed -n 's/^\.TH [^"]*"Kavrel \([^"]*\)".*/\1/p')
[ "$released $manual" = "$version $version" ] ||
  { echo "the metainfo releases $released, the manual page shows $manual: the package is $version"; exit 1; }

lintian --fail-on error,warning "$deb"
echo "$(basename "$deb"): no lintian error or warning"
