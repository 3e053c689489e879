#!/usr/bin/env bash
# Makes the wine prefix in WINEPREFIX ready for tests: made when new, and
# with wine's crash debugger off. A program that crashes then ends at once
# with a failing status (the exception's code) and wine's line naming the
# exception on its standard error; with the debugger on, a dialog on a
# display nobody sees waits for a click, and the status is sometimes 0.
# Every wait bounded.
#   tests/windows/prefix.sh <wine>
set -u
wine=$1
server=$(dirname "$wine")/wineserver64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 300 "$wine" wineboot --init >/dev/null 2>&1
fi
timeout 120 "$wine" reg add 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /t REG_SZ /d "" /f >/dev/null 2>&1 ||
  { echo "could not turn wine's crash debugger off in $WINEPREFIX"; exit 1; }
# Whoever comes next starts wine's server afresh, as it wants it.
timeout 120 "$server" -w
