#!/usr/bin/env bash
# The Windows package's installer (NSIS), in a Wine prefix of its own: CPack makes it from the
# Windows build; it installs silently into C:\Program Files\kavtest, with the files of the ZIP
# archive, an uninstaller registered under Uninstall\kavtest, start menu links to the notes
# and the manual, and (as asked on its command line) bin\ on the user's PATH; kavtest-sim.exe
# --version runs from the installed folder, and from the PATH. Its uninstaller, run silently,
# must leave nothing of it once Wine has restarted (as Windows deletes what an uninstaller
# leaves for its next start): no file or folder on C: that the install added, no registry entry
# naming kavtest, the user's environment as it was. The folders and the registry are compared
# with what they held before the install. Without makensis (package nsis) the test is skipped
# (status 77), unless CI=true, where that is a failure.
# Usage: windows_installer_test.sh CPACK CMAKE BUILD_DIR VERSION WINE64 PREFIX
set -u
cpack=$1 cmake=$2 build=$3 version=$4 wine64=$5 prefix=$6

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! command -v makensis >/dev/null; then
  if [ "${CI:-}" = true ]; then
    echo "FAIL: makensis is missing (package nsis), and CI=true"
    exit 1
  fi
  echo "SKIPPED: makensis is missing (package nsis): no installer to test"
  exit 77
fi
[ -d "$prefix/drive_c" ] || { echo "FAIL: no Wine prefix in $prefix (the fixture makes it)"; exit 1; }
wineserver=$(dirname "$wine64")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver) ||
  { echo "FAIL: no wineserver beside $wine64 or on the PATH"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1

# win ARGUMENTS...: a Windows program in the prefix (without Wine's menu entries on the host);
# then waits until every process of the prefix has ended, as an uninstaller that runs a copy of
# itself needs.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
win() {
  timeout 600 "$wine64" "$@"
  local status=$?
  timeout 300 "$wineserver" -w || fail "the prefix's processes did not end after $*"
  return $status
}
# files: every file and folder on C:. NSIS's uninstaller runs from a copy of itself in
# %TEMP%\~nsuN.tmp\, which it leaves to be deleted when Windows next starts; Wine's next start
# (wineboot -r) deletes the copy but not its folder: an empty folder of that name is left out.
files() {
  (cd "$prefix/drive_c" && find . ! \( -type d -empty -ipath './users/*/temp/~nsu*.tmp' \) | sort)
}
# registry: every key and value of the prefix's registry that names kavtest; wineserver writes
# the registry files once every process has ended.
registry() {
  grep -i -h kavtest "$prefix/system.reg" "$prefix/user.reg" "$prefix/userdef.reg" 2>/dev/null
}

# --- the installer ----------------------------------------------------------------------
# Stripping a program writes the time into its header: one time for both packs, which then hold
# the same programs.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date +%s)}
if ! "$cpack" -G NSIS -B "$scratch/out" --config "$build/CPackConfig.cmake" >cpack.log 2>&1; then
  cat cpack.log
  echo "FAIL: cpack -G NSIS"
  exit 1
fi
name=kavtest-$version-win64
installer=$scratch/out/$name.exe
[ -f "$installer" ] || { ls -R "$scratch/out"; echo "FAIL: no $name.exe"; exit 1; }
echo "$name.exe: $(wc -c <"$installer") bytes"
if ! "$cpack" -G ZIP -B "$scratch/zip-out" --config "$build/CPackConfig.cmake" >zip.log 2>&1; then
  cat zip.log
  echo "FAIL: cpack -G ZIP"
  exit 1
fi
mkdir zip
(cd zip && "$cmake" -E tar xf "$scratch/zip-out/$name.zip") || fail "cannot unpack the ZIP"

timeout 300 "$wineserver" -w
files >before.files
registry >before.reg
[ ! -s before.reg ] || fail "the prefix names kavtest before the install: $(cat before.reg)"
user_env='HKCU\Environment'
win reg query "$user_env" >before.env || fail "reg query $user_env ended with status $?"

# --- install, with bin\ on the user's PATH --------------------------------------------------
win "$installer" /S /ADD_TO_PATH_CURRENT_USER || fail "the silent install ended with status $?"
folder=$prefix/drive_c/Program\ Files/kavtest
[ -d "$folder" ] || { fail "nothing installed into C:\\Program Files\\kavtest"; ls -R "$prefix/drive_c/Program Files"; }
want=$( (cd "zip/$name" && find . ! -type d; echo ./Uninstall.exe) | sort)
got=$(cd "$folder" 2>/dev/null && find . ! -type d | sort)
[ "$want" = "$got" ] || fail "the installed files differ from the ZIP archive's and the uninstaller:
$(diff <(echo "$want") <(echo "$got"))"
for file in $(cd "zip/$name" && find . -type f); do
  cmp -s "zip/$name/$file" "$folder/$file" || fail "installed ${file#./} differs from the ZIP's"
done

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kavtest'
uninstall=$(win reg query "$key" /v UninstallString | tr -d '\r')
grep -qF 'C:\Program Files\kavtest\Uninstall.exe' <<<"$uninstall" ||
  fail "no uninstaller registered under $key: $uninstall"
display=$(win reg query "$key" /v DisplayName | tr -d '\r')
grep -qF "kavtest $version" <<<"$display" || fail "the uninstall entry's name is not kavtest $version: $display"
links=$(cd "$prefix/drive_c" && find . -ipath '*start menu*' -name '*.lnk' | grep -i kavtest | sort)
for link in 'kavtest on Windows.lnk' 'kavtest manual.lnk' Uninstall.lnk; do
  grep -qF "/$link" <<<"$links" || fail "the start menu lacks $link: $links"
done

version_line=$(win 'C:\Program Files\kavtest\bin\kavtest-sim.exe' --version | tr -d '\r')
[ "$version_line" = "kavtest-sim $version" ] ||
  fail "the installed kavtest-sim.exe --version prints '$version_line'"
path=$(win reg query "$user_env" /v PATH | tr -d '\r')
grep -qF 'C:\Program Files\kavtest\bin' <<<"$path" || fail "the user's PATH lacks bin\: $path"
version_line=$(win cmd /c kavtest-sim --version | tr -d '\r')
[ "$version_line" = "kavtest-sim $version" ] ||
  fail "kavtest-sim --version, found on the PATH, prints '$version_line'"

# --- uninstall ----------------------------------------------------------------------------
win 'C:\Program Files\kavtest\Uninstall.exe' /S || fail "the silent uninstall ended with status $?"
win wineboot -r || fail "Wine's restart after the uninstall ended with status $?"
files >after.files
registry >after.reg
left=$(comm -13 before.files after.files)
[ -z "$left" ] || fail "the uninstall leaves these on C: $left"
[ ! -s after.reg ] || fail "the uninstall leaves registry entries: $(cat after.reg)"
win reg query "$user_env" >after.env || fail "reg query $user_env ended with status $?"
cmp -s before.env after.env || fail "the uninstall leaves the user's environment changed:
$(diff before.env after.env)"
[ ! -e "$folder" ] || fail "the uninstall leaves C:\\Program Files\\kavtest"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "windows installer: all checks passed"
