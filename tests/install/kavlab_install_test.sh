#!/usr/bin/env bash
# kavlab's manual page (compressed) and bash completion, installed from the build tree into a
# scratch prefix: the page renders without warnings and documents every command,
# every option that a command's --help shows and every exit status; the
# completion offers the commands, the circuits that `kavlab list` shows, 1 and
# the number of cores after -j, and each command's options as its --help shows them.
# Usage: kavlab_install_test.sh CMAKE BUILD_DIR VERSION
set -u
cmake=$1 build=$2 version=$3

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
command -v groff >/dev/null || { echo "FAIL: groff is missing (package groff-base)"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr
"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log"; echo "FAIL: cmake --install"; exit 1; }
kavlab=$prefix/bin/kavlab-sim

# --- manual page -----------------------------------------------------------------
page=$scratch/kavlab.1
gzip -dc "$prefix/share/man/man1/kavlab.1.gz" >"$page" || fail "kavlab.1.gz does not decompress"
warnings=$(groff -ww -man -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about kavlab.1: $warnings"
text=$(groff -man -Tascii -P-cbou "$page" 2>/dev/null)
grep -q "kavlab $version" <<<"$text" || fail "kavlab.1 does not carry version $version"
[ "$("$kavlab" --version)" = "kavlab-sim $version" ] || fail "kavlab-sim --version: $("$kavlab" --version)"
commands=$("$kavlab" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }')
[ "$(wc -w <<<"$commands")" -eq 12 ] || fail "kavlab-sim --help does not show 12 commands: $commands"
section=$(sed -n '/^COMMANDS$/,/^RESULTS FILE$/p' <<<"$text")
for command in $commands; do
  grep -Eq "^   $command\$" <<<"$section" || fail "command $command has no entry in kavlab.1"
  for option in $("$kavlab" "$command" --help | grep -Eo '^  (-[a-z],)?--[a-z-]+' | grep -v help |
                  sed 's/.*,//; s/ //g'); do
    grep -q -- "$option" <<<"$text" || fail "option $option of $command is not in kavlab.1"
  done
done
status=$(sed -n '/^EXIT STATUS$/,/^KAVLAB-SIM$/p' <<<"$text")
for code in 0 1 2 14 130 255; do
  grep -Eq "^ {7}$code( |\$)" <<<"$status" || fail "exit status $code is not documented"
done
sim_page=$(MANPATH= man -l "$prefix/share/man/man1/kavlab-sim.1.gz" 2>&1)
grep -q "^KAVLAB-SIM\$" <<<"$sim_page" || fail "kavlab-sim.1.gz does not lead to the manual page"

# --- bash completion -----------------------------------------------------------------
# shellcheck source=/dev/null
source "$prefix/share/bash-completion/completions/kavlab" || { echo "FAIL: cannot source"; exit 1; }
complete -p kavlab-sim >/dev/null 2>&1 || fail "no completion registered for kavlab-sim"
complete_line() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=(); _kavlab; }
words() { printf '%s\n' "${COMPREPLY[@]}" | awk '{ print $1 }' | sort | xargs; }
complete_line "$kavlab" ""
[ "$(words)" = "$(printf '%s\n' $commands --help --version | sort | xargs)" ] ||
  fail "commands offered: $(words)"
complete_line "$kavlab" run -c ""
[ "$(words)" = "$( (seq 0 17; echo all) | sort | xargs)" ] || fail "run -c offers: $(words)"
complete_line "$kavlab" export r.json -c 1
[ "$(words)" = "1 10 11 12 13 14 15 16 17" ] || fail "export -c 1 offers: $(words)"
complete_line "$kavlab" gen -c 17 --by ""
[ "$(words)" = "either logic monitor" ] || fail "gen --by offers: $(words)"
complete_line "$kavlab" run -c 14 --cells 3,
[ "$(words)" = "3,1 3,2 3,3 3,4 3,5" ] || fail "--cells 3, offers: $(words)"
cores=$( (echo 1; nproc) | sort -un | xargs)
for command in run sweep gen; do
  complete_line "$kavlab" "$command" -c 12 -j ""
  [ "$(words)" = "$cores" ] || fail "$command -j offers: $(words); want $cores"
done
complete_line "$kavlab" run --jobs 1
[ "$(words)" = "1" ] || fail "run --jobs 1 offers: $(words)"
for command in $commands; do
  complete_line "$kavlab" "$command" -
  want=$("$kavlab" "$command" --help | grep -Eo '^  (-[a-z],)?--[a-z-]+' | tr ',' '\n' |
         tr -d ' ' | sort | xargs)
  [ "$(words)" = "$want" ] || fail "$command - offers: $(words); its --help: $want"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "kavlab install: all checks passed"
