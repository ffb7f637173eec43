#!/usr/bin/env bash
# kavlab's report in a real browser. Headless Chromium loads a report of C17 measured twice
# (two passes, and --one-pass: side by side) and IN1, and this checks the page's DOM (the
# headings, the pictures, the escaped defect names), that the browser's console stays silent
# (a page that writes to it shows the check can see it), and that the page's screenshot
# differs from a blank page's of the same size. The report and its screenshot stay in OUT_DIR.
# Without Chromium the test is skipped (status 77), unless CI=true, where that is a failure.
# A second page, of a run cut short by Ctrl-C (its fault build), checks that what was not
# measured shows as such and that no number that is not one (NaN, infinity) reaches the page;
# at 900 pixels the summary table must fit its width (measured through a frame, with a script
# of the test's own: the report has none), and a narrow screenshot is kept too.
# Usage: report_browser_test.sh KAVLAB_SIM OUT_DIR KAVLAB_SIM_FAULTS
set -u
kavlab=$1 out_dir=$2 kavlab_faults=$3

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$(dirname "${BASH_SOURCE[0]}")/chromium.sh"
find_chromium || no_chromium_exit

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1

# png_size FILE: "width height" of a PNG file, from its header.
png_size() {
  [ "$(head -c 8 "$1" | od -A n -t x1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo none; return; }
  od -A n -t u1 -j 16 -N 8 "$1" |
    awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}

# --- the page -----------------------------------------------------------------------
"$kavlab" run -c 17 -c 14 --exhaustive -o two.json >run.log 2>&1 || { cat run.log; exit 1; }
"$kavlab" run -c 17 --exhaustive --one-pass -o one.json >run.log 2>&1 || { cat run.log; exit 1; }
"$kavlab" report two.json one.json -o report.html || { echo "FAIL: kavlab report"; exit 1; }
page=file://$scratch/report.html

# --- the DOM ----------------------------------------------------------------------------
browse dom --dump-dom "$page"
dom=$(cat dom.out)
for heading in '<h1>kavlab report</h1>' '<h2>Provenance</h2>' '<h2>Summary</h2>' \
  '<h2>Circuit 14 IN1' '<h2>Circuit 17 C17' '<h3 id="c17-map">Detection map</h3>' \
  '<h3 id="c17-coverage">Coverage in the order applied</h3>' \
  '<h3 id="c17-versus">Logic against monitor per defect</h3>' '<h3 id="c17-escapes">Escapes</h3>'; do
  grep -qF -- "$heading" <<<"$dom" || fail "the DOM lacks $heading"
done
# C17 has two results: its map, its curves and its bars are two pictures each.
c17=$(sed -n '/<h3 id="c17-map">/,$p' <<<"$dom")
[ "$(grep -o '<figure class="panel">' <<<"$c17" | wc -l)" -eq 10 ] ||
  fail "C17's five parts do not hold two panels each: $(grep -o '<figure class="panel">' <<<"$c17" | wc -l)"
[ "$(grep -o '<svg' <<<"$c17" | wc -l)" -ge 6 ] || fail "C17's section holds too few pictures"
[ "$(grep -o '<polyline' <<<"$c17" | wc -l)" -eq 6 ] ||
  fail "C17's coverage curves are not 3 lines per result"
[ "$(grep -o '<rect' <<<"$dom" | wc -l)" -gt 500 ] || fail "the detection maps have few squares"
grep -qF 'C17#03_CxBI0&amp;AI1</text>' <<<"$dom" || fail "the defect name C17#03_CxBI0&AI1 is not shown"
grep -qF '>C17#25_I0#08<' <<<"$dom" || fail "the escape C17#25_I0#08 is not shown"
grep -qF '>A/gnd</text>' <<<"$dom" || fail "the defect name A/gnd is not shown"

for part in '<h2>By class of defect</h2>' '<details class="missed"><summary>Missed by logic' \
  '<table class="classes">' 'least / median'; do
  grep -qF -- "$part" <<<"$dom" || fail "the DOM lacks $part"
done

# --- what was not measured ------------------------------------------------------------------
# The same circuits in one pass, stopped by Ctrl-C early in C17 (the fault build raises SIGINT
# as transfer 40 starts): C17 partial, IN1 never reached.
KAVTEST_BOX_SIGNAL=2@40 "$kavlab_faults" run -c 17 -c 14 --exhaustive --one-pass -o cut.json \
  >cut.log 2>&1
[ $? -eq 130 ] || fail "the cut run did not end as interrupted: $(cat cut.log)"
"$kavlab" report cut.json -o cut.html || fail "kavlab report of cut.json"
browse cut --dump-dom "file://$scratch/cut.html"
grep -qF '1 result, 1 of 2 circuits measured' cut.out || fail "the cut page's header counts wrongly"
grep -qF 'not measured' cut.out || fail "the cut page does not say what was not measured"
if grep -qiE '(^|[^a-z])-?(nan|inf|infinity)([^a-z]|$)' cut.out; then
  fail "the page holds a number that is not one: $(grep -oiE '.{20}(nan|inf).{20}' cut.out | head -3)"
fi

# --- the summary at 900 pixels -----------------------------------------------------------------
cat >narrow.html <<'EOF'
<!DOCTYPE html><title>narrow</title>
<iframe id="page" src="report.html" style="width:900px;height:600px;border:0"></iframe>
<script>
document.getElementById("page").onload = function () {
  var d = this.contentDocument, table = d.querySelector("table.summary");
  var block = table.closest("section").getBoundingClientRect().right;
  var right = table.getBoundingClientRect().right;
  document.title = right <= block ? "fits" : "overflows by " + (right - block);
};
</script>
EOF
browse narrow --allow-file-access-from-files --virtual-time-budget=5000 --dump-dom \
  "file://$scratch/narrow.html"
grep -q '<title>fits</title>' narrow.out ||
  fail "the summary table does not fit 900 pixels: $(grep -o '<title>[^<]*</title>' narrow.out)"
browse narrowshot --hide-scrollbars --window-size=900,1600 --screenshot="$scratch/report-900.png" \
  "$page"
[ "$(png_size report-900.png 2>/dev/null)" = "900 1600" ] || fail "report-900.png is not 900 x 1600"

# --- the console ------------------------------------------------------------------------
grep CONSOLE dom.err && fail "the browser's console has messages on the report (above)"
console_check

# --- the screenshot -----------------------------------------------------------------------
printf '<!DOCTYPE html><title>blank</title>\n' >blank.html
browse shot --hide-scrollbars --window-size=1280,1800 --screenshot="$scratch/report.png" "$page"
browse blank --hide-scrollbars --window-size=1280,1800 --screenshot="$scratch/blank.png" \
  "file://$scratch/blank.html"
for png in report.png blank.png; do
  [ "$(png_size "$png" 2>/dev/null)" = "1280 1800" ] || fail "$png is not a 1280 x 1800 PNG"
done
if cmp -s report.png blank.png; then fail "the report's screenshot is a blank page"; fi
[ "$(wc -c <report.png)" -gt $((4 * $(wc -c <blank.png))) ] ||
  fail "the report's screenshot ($(wc -c <report.png) bytes) is hardly more than a blank page's"

mkdir -p "$out_dir" && cp report.html report.png report-900.png cut.html "$out_dir/"
if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; the page and its screenshot are in $out_dir"
  exit 1
fi
echo "report in $browser: all checks passed (page and screenshot in $out_dir)"
