#!/bin/sh
# The player must run on a bare Windows: it may import only the system's own DLLs.
# Usage: check_imports.sh OBJDUMP PLAYER.exe
objdump="$1"
player="$2"
allowed="ADVAPI32.dll COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll SHELL32.dll USER32.dll WINMM.dll"
imports=$("$objdump" -p "$player" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "no import table found in $player"; exit 1; }
status=0
for dll in $imports; do
  case " $allowed " in
    *" $dll "*) echo "imports $dll" ;;
    *) echo "imports $dll, which is not a Windows system DLL"; status=1 ;;
  esac
done
exit $status
