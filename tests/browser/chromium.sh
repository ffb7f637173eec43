# shellcheck shell=bash
# Headless Chromium for the tests that load a page in a real browser; sourced by them.
# The caller defines fail (a failure message) and scratch (a scratch directory it removes).

# find_chromium: sets browser to the first of chromium, chromium-browser and google-chrome that is
# installed; status 1, and browser empty, when none is.
find_chromium() {
  browser=
  local name
  for name in chromium chromium-browser google-chrome; do
    if command -v "$name" >/dev/null; then browser=$(command -v "$name"); return 0; fi
  done
  return 1
}

# no_chromium_exit: ends a test that found no Chromium: skipped (status 77), or failed where
# CI=true.
no_chromium_exit() {
  if [ "${CI:-}" = true ]; then
    echo "FAIL: no Chromium found (chromium, chromium-browser or google-chrome), and CI=true"
    exit 1
  fi
  echo "SKIPPED: no Chromium found (chromium, chromium-browser or google-chrome);" \
       "install Debian's chromium to load the page in a browser"
  exit 77
}

# browse NAME ARGUMENTS...: one headless run of the browser as root, without its background
# traffic, on a scratch profile; standard output and error in NAME.out and NAME.err.
browse() {
  local name=$1
  shift
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --disable-quic \
    --user-data-dir="$scratch/profile" --enable-logging=stderr --v=0 "$@" \
    >"$name.out" 2>"$name.err" || fail "$browser $* ended with status $?: $(tail -n 5 "$name.err")"
}

# console_check: fails when the browser's console check cannot see a page's console error.
console_check() {
  printf '<!DOCTYPE html><title>console</title><script>console.error("control")</script>\n' \
    >console.html
  browse console --dump-dom "file://$scratch/console.html"
  grep -q 'CONSOLE.*control' console.err || fail "the console check does not see a console error"
}
