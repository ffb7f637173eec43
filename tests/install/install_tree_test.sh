#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and checks what landed there:
# the exact file list, working binaries, compressed manual pages that groff
# renders without warnings and that document every option, the documentation
# with its copyright file and changelog, and a safe udev rule that udev reads
# or whose place the install reports.
# Usage: install_tree_test.sh CMAKE BUILD_DIR VERSION SOURCE_DIR
set -u
cmake=$1 build=$2 version=$3 source=$4

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (package $2)"; exit 1; }; }
need groff groff-base
need man man-db
need gzip gzip

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr

if ! "$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

# --- the file list -----------------------------------------------------------
doc=share/doc/kavtest
expected=(bin/kavtest share/man/man1/kavtest.1.gz lib/udev/rules.d/70-kavrin.rules
          share/bash-completion/completions/kavtest
          $doc/README.md $doc/copyright $doc/changelog.gz $doc/docs/chip-model.md)
for example in "$source"/examples/*.tst; do
  expected+=("$doc/examples/${example##*/}")
done
if [ -e "$build/kavtest-sim" ]; then
  expected+=(bin/kavtest-sim share/man/man1/kavtest-sim.1.gz
             share/bash-completion/completions/kavtest-sim)
fi
if [ -e "$build/kavlab" ]; then
  expected+=(bin/kavlab bin/kavlab-sim share/man/man1/kavlab.1.gz share/man/man1/kavlab-sim.1.gz
             share/bash-completion/completions/kavlab share/bash-completion/completions/kavlab-sim
             $doc/docs/results-format.md)
fi
want=$(printf '%s\n' "${expected[@]}" | sort)
got=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort)
[ "$want" = "$got" ] || fail "installed files differ:
$(diff <(echo "$want") <(echo "$got"))"

# --- binaries ------------------------------------------------------------------
for bin in kavtest kavtest-sim; do
  [ -e "$build/$bin" ] || continue
  [ -x "$prefix/bin/$bin" ] || { fail "bin/$bin is not executable"; continue; }
  listing=$("$prefix/bin/$bin" -list -quiet)
  [ "$listing" = "$("$build/$bin" -list -quiet)" ] || fail "installed $bin lists other circuits"
  [ "$(printf '%s\n' "$listing" | wc -l)" -eq 18 ] || fail "installed $bin does not list 18 circuits"
done

# --- manual page -----------------------------------------------------------------
# Compressed as gzip -9n does it: the same bytes again, no name and no time stamp.
compressed_9n() {
  gzip -dc "$1" | gzip -9n | cmp -s - "$1" || fail "${1#"$prefix"/} is not compressed with gzip -9n"
}
compressed_9n "$prefix/share/man/man1/kavtest.1.gz"
page=$scratch/kavtest.1
gzip -dc "$prefix/share/man/man1/kavtest.1.gz" >"$page"
if grep -n '@[A-Z_]*@' "$page"; then fail "unfilled placeholders in the manual page"; fi
warnings=$(groff -ww -man -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
text=$(groff -man -Tascii -P-cbou "$page" 2>/dev/null)

for section in NAME SYNOPSIS DESCRIPTION OPTIONS "TST FILE FORMAT" "EXIT STATUS" FILES \
               KAVTEST-SIM EXAMPLES; do
  grep -q "^$section\$" <<<"$text" || fail "manual page has no section $section"
done

# Every option of the usage text has its own entry under OPTIONS.
options=$(sed -n '/^OPTIONS$/,/^TST FILE FORMAT$/p' <<<"$text")
usage_options=$("$build/kavtest" | grep -o '^  -[a-z_]*' | tr -d ' ')
[ "$(wc -l <<<"$usage_options")" -eq 14 ] || fail "usage text does not show 14 options"
for opt in $usage_options; do
  grep -Eq "^ {7}$opt( |\$)" <<<"$options" || fail "option $opt has no entry in the manual page"
done

status=$(sed -n '/^EXIT STATUS$/,/^FILES$/p' <<<"$text")
for code in 0 14 255; do
  grep -Eq "^ {7}$code " <<<"$status" || fail "exit status $code is not documented"
done
grep -q "kavtest $version" <<<"$text" || fail "manual page does not carry version $version"
grep -q "/dev/kavrin/" <<<"$(sed -n '/^FILES$/,$p' <<<"$text")" || fail "FILES does not name /dev/kavrin"

# kavtest-sim's page is a link to kavtest's that `man -l` reads as it stands.
sim_page=$prefix/share/man/man1/kavtest-sim.1.gz
if [ -e "$build/kavtest-sim" ]; then
  [ "$(readlink "$sim_page")" = kavtest.1.gz ] || fail "kavtest-sim.1.gz is not a link to kavtest.1.gz"
  sim_text=$(MANPATH= man -l "$sim_page" 2>&1)
  grep -q "^KAVTEST-SIM\$" <<<"$sim_text" || fail "man -l kavtest-sim.1.gz does not show the manual page"
fi

# --- documentation ---------------------------------------------------------------------
cmp -s "$source/README.md" "$prefix/$doc/README.md" || fail "$doc/README.md is not the README"
cmp -s "$source/docs/chip-model.md" "$prefix/$doc/docs/chip-model.md" ||
  fail "$doc/docs/chip-model.md is not docs/chip-model.md"
for example in "$source"/examples/*.tst; do
  cmp -s "$example" "$prefix/$doc/examples/${example##*/}" || fail "example ${example##*/} differs"
done
# The copyright file in Debian's machine-readable format, with the license of LICENSE.
copyright=$prefix/$doc/copyright
head -n 1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
  fail "copyright is not in the machine-readable format"
grep -q '^License: Expat$' "$copyright" || fail "copyright does not name the Expat (MIT) license"
license_body=$(sed '1,/^Copyright /d' "$source/LICENSE" | sed '/./,$!d')
copyright_body=$(sed '1,/^License: /d' "$copyright" | sed 's/^ //; s/^\.$//')
[ "$license_body" = "$copyright_body" ] || fail "copyright's license text differs from LICENSE:
$(diff <(echo "$license_body") <(echo "$copyright_body"))"
# The changelog's latest entry is this version.
compressed_9n "$prefix/$doc/changelog.gz"
latest=$(gzip -dc "$prefix/$doc/changelog.gz" | head -n 1)
[[ $latest == "kavtest ($version) "* ]] || fail "changelog starts with '$latest', not version $version"

# --- udev rule ---------------------------------------------------------------------
rule=$prefix/lib/udev/rules.d/70-kavrin.rules
rules=$(grep -v '^[[:space:]]*\(#\|$\)' "$rule" 2>/dev/null)
[ -n "$rules" ] || fail "no udev rule installed"
[ -n "$rules" ] && while IFS= read -r line; do
  # Every key of a rule line: KEY=="v", KEY!="v", KEY="v" or KEY+="v", comma separated.
  rest=$line
  while [ -n "$rest" ]; do
    if [[ $rest =~ ^[A-Z_]+(\{[^}]*\})?(==|!=|=|\+=|:=)\"[^\"]*\"(,[[:space:]]*)? ]]; then
      rest=${rest:${#BASH_REMATCH[0]}}
    else
      fail "udev rule line is malformed at: $rest"
      break
    fi
  done
  [[ $line == *'SUBSYSTEM=="kavrin"'* ]] || fail "udev rule does not match the kavrin class: $line"
  [[ $line == *'GROUP="plugdev"'* ]] || fail "udev rule does not set group plugdev: $line"
  [[ $line == *'MODE="0660"'* ]] || fail "udev rule does not set mode 0660: $line"
  [[ $line == *'SYMLINK+="kavrin/kavrin%n"'* ]] || fail "udev rule does not link into /dev/kavrin: $line"
  for mode in $(grep -o 'MODE="[0-7]*"' <<<"$line" | tr -dc '0-7\n'); do
    (( (8#$mode & 2) == 0 )) || fail "udev rule makes the device world-writable: $mode"
  done
done <<<"$rules"

# udev does not read the scratch prefix: the install says where the rule went.
grep -q "udev rule went to $rule; udev does not read rules there" "$scratch/install.log" ||
  fail "install into $prefix does not report where the udev rule went"
# Under /usr/local the rule goes where udev reads it, without a word.
if ! DESTDIR=$scratch/stage "$cmake" --install "$build" --prefix /usr/local >"$scratch/local.log" 2>&1; then
  cat "$scratch/local.log"
  fail "cmake --install --prefix /usr/local"
fi
[ -f "$scratch/stage/usr/local/lib/udev/rules.d/70-kavrin.rules" ] ||
  fail "prefix /usr/local does not put the rule in /usr/local/lib/udev/rules.d"
if grep -q "udev does not read" "$scratch/local.log"; then fail "prefix /usr/local reports the udev rule"; fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "install tree: all checks passed"
