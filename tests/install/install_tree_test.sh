#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and checks what landed there:
# the exact file list, working binaries, a manual page that groff renders
# without warnings and that documents every option, and a safe udev rule.
# Usage: install_tree_test.sh CMAKE BUILD_DIR VERSION
set -u
cmake=$1 build=$2 version=$3

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (package $2)"; exit 1; }; }
need groff groff-base

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr

if ! "$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

# --- the file list -----------------------------------------------------------
expected=(bin/kavtest share/man/man1/kavtest.1 lib/udev/rules.d/70-kavrin.rules
          share/bash-completion/completions/kavtest)
if [ -e "$build/kavtest-sim" ]; then
  expected+=(bin/kavtest-sim share/man/man1/kavtest-sim.1
             share/bash-completion/completions/kavtest-sim)
fi
if [ -e "$build/kavlab" ]; then
  expected+=(bin/kavlab bin/kavlab-sim share/man/man1/kavlab.1 share/man/man1/kavlab-sim.1
             share/bash-completion/completions/kavlab share/bash-completion/completions/kavlab-sim)
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
page=$prefix/share/man/man1/kavtest.1
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

if [ -e "$prefix/share/man/man1/kavtest-sim.1" ]; then
  sim_text=$(cd "$prefix/share/man" && groff -man -Tascii -P-cbou man1/kavtest-sim.1 2>&1)
  grep -q "^KAVTEST-SIM\$" <<<"$sim_text" || fail "kavtest-sim.1 does not lead to the manual page"
fi

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

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "install tree: all checks passed"
