#!/usr/bin/env bash
# Makes the Wine prefix of the installer's test anew, once per test run (the fixture
# windows_installer_prefix), as wineboot does for the build's own: the test compares the prefix
# after an uninstall with the prefix before the install, so it starts from a prefix that no
# earlier run, finished or interrupted, has changed.
# Usage: windows_installer_prefix.sh WINE64 PREFIX
set -u
wine64=$1 prefix=$2
wineserver=$(dirname "$wine64")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver) ||
  { echo "FAIL: no wineserver beside $wine64 or on the PATH"; exit 1; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'

if [ -d "$prefix" ]; then
  timeout 300 "$wineserver" -k 2>/dev/null
  timeout 300 "$wineserver" -w
  rm -rf "$prefix"
fi
timeout 600 "$wine64" wineboot -i || { echo "FAIL: wineboot -i ended with status $?"; exit 1; }
timeout 300 "$wineserver" -w || { echo "FAIL: the prefix's processes did not end"; exit 1; }
