#!/usr/bin/env bash
# The Windows package's ZIP archive as a Windows user meets it. CPack makes it from the Windows
# build; it is unpacked into an empty folder on the C: drive of the build's Wine prefix, and
# this checks its exact file list, that the programs bring no MinGW DLLs, and that the text
# files are the sources with CR LF line ends. Then, under Wine's cmd, the first commands of
# README-Windows.txt run as they stand there (its folders moved into the test's), and README.md
# must show the same: the circuit list and the defect table must be what the Linux build prints
# and writes (a written file a text file of Windows, with CR LF), kavlab-sim's run must give the
# Linux build's summary, and its report must be written. Last, headless Chromium opens the HTML
# manual page of kavtest, which must hold its sections and an entry for every option, and
# render without a message on the browser's console. Without Chromium that part is skipped
# (and the test with it, status 77) unless CI=true, where it is a failure.
# Usage: windows_zip_test.sh CPACK CMAKE BUILD_DIR VERSION SOURCE_DIR HOST_BUILD_DIR OBJDUMP
#                            LAUNCHER...
# LAUNCHER is the command that runs a Windows program (env WINEPREFIX=<prefix> ... wine64).
set -u
cpack=$1 cmake=$2 build=$3 version=$4 source=$5 host=$6 objdump=$7
shift 7
launcher=("$@")

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
source "$(dirname "${BASH_SOURCE[0]}")/../browser/chromium.sh"

prefix=
for word in "${launcher[@]}"; do
  [[ $word == WINEPREFIX=* ]] && prefix=${word#WINEPREFIX=}
done
[ -d "$prefix/drive_c" ] || { echo "FAIL: no Wine prefix with a C: drive in: ${launcher[*]}"; exit 1; }
for program in kavtest-sim kavlab-sim; do
  [ -x "$host/$program" ] || [ ! -e "$build/$program.exe" ] ||
    { echo "FAIL: no $host/$program, the Linux build's to compare with"; exit 1; }
done

scratch=$(mktemp -d)
# The package's folder on C:, C:\kavtest-zip-test, is the test's own; one left by an interrupted
# run is removed first.
test_dir=$prefix/drive_c/kavtest-zip-test
win_test_dir='C:\kavtest-zip-test'
rm -rf "$test_dir"
trap 'rm -rf "$scratch" "$test_dir"' EXIT
cd "$scratch" || exit 1

# --- the archive ------------------------------------------------------------------------
if ! "$cpack" -G ZIP -B "$scratch/out" --config "$build/CPackConfig.cmake" >cpack.log 2>&1; then
  cat cpack.log
  echo "FAIL: cpack -G ZIP"
  exit 1
fi
name=kavtest-$version-win64
zip=$scratch/out/$name.zip
[ -f "$zip" ] || { ls -R "$scratch/out"; echo "FAIL: no $name.zip"; exit 1; }
echo "$name.zip: $(wc -c <"$zip") bytes"
mkdir -p "$test_dir"
(cd "$test_dir" && "$cmake" -E tar xf "$zip") || { echo "FAIL: cannot unpack $name.zip"; exit 1; }
package=$test_dir/$name
win_package=$win_test_dir\\$name

programs=(kavtest kavtest-sim)
pages=(kavtest)
docs=(chip-model.md)
with_kavlab=
if [ -e "$build/kavlab.exe" ]; then
  with_kavlab=yes
  programs+=(kavlab kavlab-sim)
  pages+=(kavlab)
  docs+=(results-format.md)
fi
expected=(README.md README-Windows.txt LICENSE.txt)
for program in "${programs[@]}"; do expected+=("bin/$program.exe"); done
for page in "${pages[@]}"; do expected+=("manual/$page.html"); done
for doc in "${docs[@]}"; do expected+=("docs/$doc"); done
for example in "$source"/examples/*.tst; do expected+=("examples/${example##*/}"); done
want=$(printf "$name/%s\n" "${expected[@]}" | sort)
got=$(cd "$test_dir" && find . ! -type d | sed 's|^\./||' | sort)
[ "$want" = "$got" ] || fail "the archive's files differ from the expected list:
$(diff <(echo "$want") <(echo "$got"))"

# --- the programs: no MinGW runtime DLL (libstdc++, libgcc, winpthread) to ship ------------
for program in "${programs[@]}"; do
  exe=$package/bin/$program.exe
  [ -f "$exe" ] || continue
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [ -n "$dlls" ] || fail "objdump finds no imported DLL in bin/$program.exe"
  runtime=$(grep -i '^lib' <<<"$dlls")
  [ -z "$runtime" ] || fail "bin/$program.exe needs MinGW's DLLs: $runtime"
done

# --- text files: the sources, with CR LF line ends ------------------------------------------
# crlf_copy FILE SOURCE: FILE is SOURCE with every line ended by CR LF.
crlf_copy() {
  [ -f "$1" ] || return
  local bare
  bare=$(LC_ALL=C awk '!/\r$/ { print FNR; exit }' "$1")
  [ -z "$bare" ] || fail "${1#"$package"/} has a line without CR LF: line $bare"
  tr -d '\r' <"$1" | cmp -s - "$2" || fail "${1#"$package"/} is not $2 (line ends aside)"
}
crlf_copy "$package/README.md" "$source/README.md"
crlf_copy "$package/LICENSE.txt" "$source/LICENSE"
for doc in "${docs[@]}"; do crlf_copy "$package/docs/$doc" "$source/docs/$doc"; done
for example in "$source"/examples/*.tst; do
  crlf_copy "$package/examples/${example##*/}" "$example"
done
notes=$package/README-Windows.txt
tr -d '\r' <"$notes" >notes.txt
crlf_copy "$notes" notes.txt
if grep -n '@[A-Z_]*@' notes.txt; then fail "README-Windows.txt has unfilled placeholders"; fi
head -n 1 notes.txt | grep -qF "kavtest $version for Windows" ||
  fail "README-Windows.txt does not start with the version: $(head -n 1 notes.txt)"

# --- README-Windows.txt's first commands, under Wine's cmd ---------------------------------
# The indented lines of its section "First commands"; the folders it names are moved into the
# test's folder.
readme_package="C:\\kavtest-$version-win64"
readme_work='%USERPROFILE%\kavtest-work'
win_work=$win_test_dir\\work
commands=$(awk '/^First commands$/ { on = 1; next } on && /^-+$/ && ++rules > 1 { exit } on' notes.txt |
  sed -n 's/^    //p')
# README.md's Windows part shows the same commands, each after a prompt.
readme_commands=$(tr -d '\r' <"$package/README.md" | sed -n 's/^    > //p')
[ "$readme_commands" = "$commands" ] || fail "README.md's Windows commands differ from README-Windows.txt's:
$(diff <(echo "$readme_commands") <(echo "$commands"))"
grep -qF "$readme_package" <<<"$commands" || fail "README-Windows.txt's commands do not name $readme_package"
grep -qF "$readme_work" <<<"$commands" || fail "README-Windows.txt's commands do not name $readme_work"
commands=${commands//"$readme_package"/"$win_package"}
commands=${commands//"$readme_work"/"$win_work"}
[ "$(wc -l <<<"$commands")" -ge 8 ] || fail "README-Windows.txt has too few first commands: $commands"

# windows N COMMAND: COMMAND in a batch file of its own, after the README's setting of the PATH
# and change of folder, through Wine's cmd; its output in cmd-N.out (line ends as printed), its
# status in the variable status.
setup=
windows() {
  printf '@echo off\r\n%s\r\n%s\r\nexit /b %%ERRORLEVEL%%\r\n' "$setup" "${2//$'\n'/$'\r\n'}" \
    >"$test_dir/cmd-$1.cmd"
  (cd "$test_dir" && timeout 600 "${launcher[@]}" cmd /c "$win_test_dir\\cmd-$1.cmd") \
    >"cmd-$1.out" 2>&1
  status=$?
}
# linux ARGUMENTS...: the Linux build's program ARGUMENTS, in the scratch folder linux/.
mkdir -p linux
linux() {
  local program=$1
  shift
  (cd linux && "$host/$program" "$@")
}

number=0
while IFS= read -r line; do
  number=$((number + 1))
  case $line in
    "set PATH="* | "cd /d "*) setup+="$line"$'\r\n'; continue ;;
    "start "*) continue ;;  # opens the page in the user's browser
    "kavlab-sim "*) [ -n "$with_kavlab" ] || continue ;;
  esac
  windows "$number" "$line"
  [ "$status" -eq 0 ] || { fail "'$line' ended with status $status: $(cat "cmd-$number.out")"; continue; }
  out=$(tr -d '\r' <"cmd-$number.out")
  case $line in
    "mkdir $win_work") [ -d "$test_dir/work" ] || fail "'$line' made no folder" ;;
    "kavtest-sim -list")
      [ "$out" = "$(linux kavtest-sim -list)" ] || fail "'$line' prints other than Linux's:
$(diff <(linux kavtest-sim -list) <(echo "$out"))" ;;
    "kavtest-sim -all_defects -circuit 16 -tst c17-result.tst "*)
      example=${line##* }
      [ "$example" = "$win_package\\examples\\16-C17-shorts.tst" ] ||
        fail "'$line' does not run the package's example"
      linux kavtest-sim -all_defects -circuit 16 -tst c17-result.tst \
        "$source/examples/16-C17-shorts.tst" >linux/table.out
      [ "$out" = "$(cat linux/table.out)" ] || fail "'$line' prints other than Linux's:
$(diff linux/table.out <(echo "$out"))"
      # A text file of Windows: the Linux build's lines, each ended by CR LF.
      sed 's/$/\r/' linux/c17-result.tst | cmp - "$test_dir/work/c17-result.tst" ||
        fail "the defect table written on Windows is not the Linux build's with CR LF" ;;
    "kavlab-sim run -c 12 --exhaustive -o na2.json")
      [ -s "$test_dir/work/na2.json" ] || fail "'$line' wrote no na2.json" ;;
    "kavlab-sim summary na2.json")
      # Linux's run of the same cells: the same figures, the first line (time, program) aside.
      linux kavlab-sim run -c 12 --exhaustive -o na2.json >/dev/null 2>&1
      [ "$(tail -n +2 <<<"$out")" = "$(linux kavlab-sim summary na2.json | tail -n +2)" ] ||
        fail "'$line' prints other figures than Linux's:
$(diff <(linux kavlab-sim summary na2.json) <(echo "$out"))" ;;
    "kavlab-sim report na2.json -o na2.html")
      report=$test_dir/work/na2.html
      for part in '<h1>kavlab report</h1>' '<h2>Summary</h2>' '<h2>Circuit 12 NA2'; do
        grep -qF "$part" "$report" 2>/dev/null || fail "the report na2.html lacks $part"
      done ;;
    *) fail "README-Windows.txt's command '$line' has no check here" ;;
  esac
done <<<"$commands"
for check in -list -all_defects "run -c 12" summary report; do
  grep -q -- "-sim $check" <<<"$commands" || fail "README-Windows.txt's commands lack '$check'"
done

# --- the manual page in a browser -----------------------------------------------------------
browser_skipped=
if find_chromium; then
  page=$package/manual/kavtest.html
  browse manual --dump-dom "file://$page"
  dom=$(cat manual.out)
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS TST_FILE_FORMAT EXIT_STATUS FILES EXAMPLES; do
    grep -qF "<h1 class=\"Sh\" id=\"$section\">" <<<"$dom" ||
      fail "the manual page in the browser lacks the section $section"
  done
  # Every option of the usage text has its entry, as in the Linux manual page.
  usage_options=$("$host/kavtest-sim" | grep -o '^  -[a-z_]*' | tr -d ' -')
  [ "$(wc -l <<<"$usage_options")" -eq 14 ] || fail "the usage text does not show 14 options"
  for option in $usage_options; do
    grep -qF "<dt id=\"$option\">" <<<"$dom" || fail "the manual page in the browser lacks -$option"
  done
  grep -qF "kavtest $version" <<<"$dom" || fail "the manual page does not carry version $version"
  grep -F CONSOLE manual.err && fail "the browser's console has messages on the manual page (above)"
  console_check
else
  browser_skipped=yes
fi
for page in "${pages[@]}"; do
  html=$package/manual/$page.html
  [ -f "$html" ] || continue
  grep -qF "<title>${page^^}(1)</title>" "$html" || fail "manual/$page.html has no title ${page^^}(1)"
  if grep -n '@[A-Z_]*@' "$html"; then fail "manual/$page.html has unfilled placeholders"; fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
[ -z "$browser_skipped" ] || no_chromium_exit
echo "windows zip: all checks passed"
