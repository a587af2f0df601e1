#!/usr/bin/env bash
# Readies Wine for the Windows build's tests, or stops it afterwards.
#   wine_server.sh start|stop
# WINEPREFIX names the prefix, private to the build folder. "start" makes it
# the first time (the slow part, once per fresh build folder), and keeps one
# wineserver running so that each program starts in a fraction of a second;
# "stop" ends that server.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
case ${1:-} in
  start)
    mkdir -p "$WINEPREFIX"
    # The server and the services wineboot starts outlive this script: they
    # must not hold the test's output open, or the test never ends. Status 2:
    # this prefix's server is already running, which is as good.
    wineserver -p </dev/null >/dev/null 2>&1
    status=$?
    ((status == 0 || status == 2)) || { echo "wineserver did not start (status $status)"; exit 1; }
    started=$SECONDS
    # Makes the prefix, or brings it up to date after a Wine upgrade, so that
    # no case sees Wine's own messages on its standard error.
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    if ! timeout 300 wineboot --init </dev/null >"$log" 2>&1; then
      head -c 20000 "$log"
      echo "wineboot failed"
      exit 1
    fi
    echo "Wine prefix $WINEPREFIX ready in $((SECONDS - started)) s"
    ;;
  stop)
    wineserver -k 2>/dev/null
    echo "wineserver stopped"
    ;;
  *)
    echo "usage: wine_server.sh start|stop"
    exit 2
    ;;
esac
