#!/usr/bin/env bash
# Makes the Wine prefix of the installer's test once, as wineboot does for the build's own; a
# prefix that still holds an install (left by an interrupted run) is made anew, so that the
# test starts from a prefix without kavtest.
# Usage: windows_installer_prefix.sh WINE64 PREFIX
set -u
wine64=$1 prefix=$2
wineserver=$(dirname "$wine64")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver) ||
  { echo "FAIL: no wineserver beside $wine64 or on the PATH"; exit 1; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'

if [ -d "$prefix" ]; then
  timeout 300 "$wineserver" -w
  if [ -e "$prefix/drive_c/Program Files/kavtest" ] ||
     grep -q -i kavtest "$prefix/system.reg" "$prefix/user.reg" 2>/dev/null; then
    echo "the prefix $prefix holds kavtest: made anew"
    rm -rf "$prefix"
  fi
fi
timeout 600 "$wine64" wineboot -i || { echo "FAIL: wineboot -i ended with status $?"; exit 1; }
timeout 300 "$wineserver" -w || { echo "FAIL: the prefix's processes did not end"; exit 1; }
