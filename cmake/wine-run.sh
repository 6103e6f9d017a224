#!/bin/sh
# Runs one Windows program under Wine for ctest.
# Wine's session processes inherit the standard handles of the first wine process and would
# hold ctest's pipe open for seconds after the program ends, so the session is started
# detached first and only then the program itself.
export WINEDEBUG="${WINEDEBUG:--all}"
wineserver -p60 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
exec wine "$@"
