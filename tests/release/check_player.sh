#!/usr/bin/env bash
# The shipped player stays small and self-contained, because every show carries a copy:
#   - at most BUDGET bytes;
#   - no object of the C++ standard library (libstdc++/libsupc++) in its link map;
#   - no debug sections and no link timestamp;
#   - imports only from the Windows system DLLs listed below.
# Usage: check_player.sh PLAYER.exe PLAYER.map BUDGET-BYTES OBJDUMP
set -uo pipefail
exe="$1" map="$2" budget="$3" objdump="$4"
status=0
fail() { echo "FAIL: $*"; status=1; }

size=$(stat -c %s "$exe") || exit 1
echo "player: $exe, $size bytes (budget $budget bytes)"
[ "$size" -le "$budget" ] || fail "the player is $size bytes, over the budget of $budget"

cxx_members=$(grep -oE 'lib(stdc\+\+|supc\+\+)\.a\([^)]*\)' "$map" | sort -u)
[ -z "$cxx_members" ] || fail "C++ library code linked in: $(echo "$cxx_members" | tr '\n' ' ')"

headers=$(TZ=UTC "$objdump" -h -p "$exe") || exit 1
debug=$(echo "$headers" | grep -oE '\.debug_[a-z_]+' | sort -u | tr '\n' ' ')
[ -z "$debug" ] || fail "debug sections: $debug"
grep -qE '^Time/Date\s+Thu Jan  1 00:00:00 1970' <<<"$headers" ||
  fail "link timestamp set: $(echo "$headers" | grep '^Time/Date')"

system_dlls=' kernel32.dll user32.dll gdi32.dll advapi32.dll winmm.dll msvcrt.dll shell32.dll comctl32.dll '
for dll in $(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
  case "$system_dlls" in *" $dll "*) ;; *) fail "imports from $dll, not one of the system DLLs the player may use" ;; esac
done
echo "$headers" | awk '/^Sections:/{s=1} s && /^ *[0-9]+ /{print $2, $3}' |
  while read -r name hex; do printf '  %-8s %6d bytes\n' "$name" "$((16#$hex))"; done
exit $status
