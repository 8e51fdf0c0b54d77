#!/usr/bin/env bash
# Fails when a built binary imports a DLL that Windows does not ship, that is
# when something was linked dynamically that should have been static.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"
dir=$1
objdump=${KELVANE_TARGET}-objdump

system_dll='^(kernel32|user32|gdi32|gdiplus|advapi32|shell32|shlwapi|ole32|oleaut32|uuid|comctl32|comdlg32|imm32|msctf|msvcrt|ws2_32|version|dbghelp|rpcrt4|userenv|winmm|uxtheme|msimg32|crypt32|bcrypt|secur32|psapi|api-ms-win-[a-z0-9-]+)\.dll$'
bad=0
for f in "$dir"/*.exe "$dir"/*.ime "$dir"/*.dll; do
  [ -e "$f" ] || continue
  while read -r dll; do
    lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
    if ! printf '%s' "$lower" | grep -Eq "$system_dll"; then
      printf '[kelvane] %s imports %s\n' "$(basename "$f")" "$dll" >&2
      bad=1
    fi
  done < <("$objdump" -p "$f" | sed -n 's/^[[:space:]]*DLL Name: //p')
done
[ $bad = 0 ] || die "binaries depend on non-system DLLs"
