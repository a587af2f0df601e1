#!/usr/bin/env bash
# A downloaded .exe must run with nothing beside it: it may import Windows's
# own DLLs only, never a MinGW runtime (libstdc++, libgcc, libwinpthread).
#   dll_imports.sh OBJDUMP EXE...
set -u
objdump=$1
shift
failed=0
for exe in "$@"; do
  imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [[ -n $imports ]] || { echo "$exe: no imports found"; failed=1; continue; }
  echo "$(basename "$exe"): $(echo $imports)"
  while read -r dll; do
    case ${dll,,} in
      kernel32.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-*.dll|user32.dll|advapi32.dll|shell32.dll) ;;
      *) echo "$(basename "$exe") needs a DLL that Windows lacks: $dll"; failed=1 ;;
    esac
  done <<<"$imports"
done
exit $failed
