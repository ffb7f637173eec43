#!/usr/bin/env bash
# The build's Wine prefix for the tests of a Windows build: made once (wineboot), then served by
# one wineserver that stays until the tests end. A wineserver ends a few seconds after its last
# program ends, and a program that starts just then loses its connection to it ("wine client
# error:0: recvmsg: Connection reset by peer") and ends with status 1, in whichever test it was:
# a server that persists has no such moment.
# Usage: wine_session.sh start|end LAUNCHER... (env WINEPREFIX=<prefix> ... wine64)
set -u
what=$1
shift
launcher=("$@")
wine64=${launcher[${#launcher[@]} - 1]}
environment=("${launcher[@]:0:${#launcher[@]}-1}")
server=$(dirname "$wine64")/wineserver
[ -x "$server" ] || server=$(command -v wineserver) ||
  { echo "FAIL: no wineserver beside $wine64 or on the PATH"; exit 1; }

case $what in
  start)
    timeout 300 "${launcher[@]}" wineboot -i || { echo "FAIL: wineboot -i ended with status $?"; exit 1; }
    # The server that wineboot started ends on its own time: end it, then start one that stays.
    "${environment[@]}" "$server" -k 2>/dev/null
    timeout 60 "${environment[@]}" "$server" -w
    timeout 60 "${environment[@]}" "$server" -p </dev/null >/dev/null 2>&1 ||
      { echo "FAIL: no lasting wineserver for the prefix"; exit 1; }
    # The prefix's services start with the first program and stay with the lasting server: start
    # them here, on no terminal, so that no test's program hands them its output streams (a test
    # whose streams stay open would never end).
    timeout 300 "${launcher[@]}" wineboot </dev/null >/dev/null 2>&1 ||
      { echo "FAIL: the prefix's services did not start"; exit 1; }
    ;;
  end)
    "${environment[@]}" "$server" -k 2>/dev/null
    exit 0
    ;;
  *)
    echo "usage: wine_session.sh start|end LAUNCHER..."
    exit 2
    ;;
esac
