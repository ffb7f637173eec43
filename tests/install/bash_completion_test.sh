#!/usr/bin/env bash
# Drives the bash completion of kavtest by hand (COMP_WORDS and COMP_CWORD set
# as bash sets them) and checks the candidates it offers.
# Usage: bash_completion_test.sh COMPLETION_SCRIPT KAVTEST_BINARY
set -u
script=$1 kavtest=$2

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$script" || { echo "FAIL: cannot source $script"; exit 1; }
complete -p kavtest >/dev/null 2>&1 || fail "no completion registered for kavtest"
complete -p kavtest-sim >/dev/null 2>&1 || fail "no completion registered for kavtest-sim"

# complete_line WORD...: the last word is the one being completed.
complete_line() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _kavtest
}
reply() { printf '%s\n' "${COMPREPLY[@]}"; }
first_words() { for r in "${COMPREPLY[@]}"; do echo "${r%% *}"; done; }
expect() {  # expect WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] || fail "$1: expected
$2
got
$3"
}

# --- options -------------------------------------------------------------------
complete_line "$kavtest" -cir
expect "-cir" "-circuit" "$(reply)"
complete_line "$kavtest" -s
expect "-s" "$(printf '%s\n' -saf_defects -single_defect -screen | sort)" "$(reply | sort)"
complete_line "$kavtest" -
expect "count of options" 14 "${#COMPREPLY[@]}"

# --- circuits ---------------------------------------------------------------------
# Each candidate is the index, two spaces, and the name and description as the
# tool lists them, in index order.
tool_circuits=$("$kavtest" -list -quiet | sed -E 's/^ *([0-9]+) /\1  /')
complete_line "$kavtest" -circuit ""
expect "-circuit indices" "$(seq 0 17)" "$(first_words)"
expect "-circuit names and descriptions" "$tool_circuits" "$(reply)"
# Circuits that share a name are told apart by their descriptions.
for pair in "11 12" "16 17"; do
  read -r a b <<<"$pair"
  text_a=$(reply | sed -n "s/^$a  //p") text_b=$(reply | sed -n "s/^$b  //p")
  [[ -n $text_a && $text_a != "$text_b" ]] || fail "circuits $a and $b look alike: '$text_a'"
done
complete_line "$kavtest" -all_defects -circuit 1
expect "-circuit 1" "1 10 11 12 13 14 15 16 17" "$(first_words | xargs)"
complete_line "$kavtest" -circuit 16
expect "-circuit 16 inserts the bare index" "16" "$(reply)"
complete_line "$kavtest" -circuit 9x
expect "-circuit 9x" "" "$(reply)"

# Without a tool to run, the built-in table gives the same names and descriptions.
complete_line /nonexistent/kavtest -circuit ""
expect "built-in circuit names and descriptions" "$tool_circuits" "$(reply)"

# --- cells of the chosen circuit -------------------------------------------------------
complete_line "$kavtest" -circuit 14 -single_defect ""
expect "cells of circuit 14" "0 (reference)
1 A/gnd
2 A/vdd
3 A/Q
4 Q/gnd
5 Q/vdd" "$(reply | sed 's/  */ /')"
complete_line "$kavtest" -circuit 14 -single_defect 3
expect "-single_defect 3" "3" "$(reply)"
# The circuit may follow; the last -circuit counts, as with the tool.
COMP_WORDS=("$kavtest" -circuit 0 -single_defect "" -circuit 14 x.tst)
COMP_CWORD=4
_kavtest
expect "circuit given after the cursor" "0 1 2 3 4 5" "$(first_words | xargs)"
complete_line "$kavtest" -single_defect ""
expect "-single_defect without a circuit" "" "$(reply)"
cells_16=$("$kavtest" -list -circuit 16 -quiet | wc -l)
complete_line "$kavtest" -circuit 16 -single_defect ""
expect "cells of circuit 16" $((cells_16 + 1)) "${#COMPREPLY[@]}"

# --- files --------------------------------------------------------------------------
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir runs
touch a.tst b.TST notes.txt "with space.tst"
complete_line "$kavtest" -circuit 3 ""
expect "test file candidates" "$(printf '%s\n' a.tst b.TST runs "with space.tst" | sort)" \
  "$(reply | sort)"
complete_line "$kavtest" -tst ""
expect "-tst takes any file" "$(printf '%s\n' a.tst b.TST notes.txt runs "with space.tst" | sort)" \
  "$(reply | sort)"
complete_line "$kavtest" -agm no
expect "-agm takes any file" "notes.txt" "$(reply)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "bash completion: all checks passed"
