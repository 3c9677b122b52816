#!/usr/bin/env bash
# telvor.exe imports only DLLs that come with Windows.
set -euo pipefail
: "${TELVOR_BIN:?}"
allowed='^(kernel32|user32|gdi32|comdlg32|comctl32|shell32|advapi32|ole32|uxtheme|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$TELVOR_BIN" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[[ -n $dlls ]] || { echo "FAIL [imports]: no imports read from $TELVOR_BIN" >&2; exit 1; }
bad=$(grep -Ev "$allowed" <<<"$dlls" || true)
[[ -z $bad ]] || { echo "FAIL [imports]: telvor.exe needs $(tr '\n' ' ' <<<"$bad")" >&2; exit 1; }
echo "PASS imports: $(tr '\n' ' ' <<<"$dlls")"
