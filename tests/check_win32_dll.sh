#!/usr/bin/env bash
# Checks the shipped 32-bit Tarnwick.dll: a PE32 image whose export table is
# exactly the sixteen BKC_* names at ordinals 1 to 16, and whose imports are
# system DLLs only (the C++ runtime is linked in).
set -euo pipefail
export LC_ALL=C  # objdump output must not be translated
dll="$1"
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL: $*"; exit 1; }

[ -f "${dll}" ] || fail "${dll} is missing"
"${objdump}" -f "${dll}" | grep -q 'file format pei-i386' || fail "not a 32-bit PE image"

expected="1 BKC_OnStart
2 BKC_OnExit
3 BKC_OnMenuInit
4 BKC_OnOpenFolder
5 BKC_OnOpenMail
6 BKC_OnEveryMinute
7 BKC_OnOpenCompose
8 BKC_OnOutgoing
9 BKC_OnKeyDispatch
10 BKC_OnRetrieve
11 BKC_OnSend
12 BKC_OnFinishRetrieve
13 BKC_OnPlugInSetup
14 BKC_OnPlugInInfo
15 BKC_OnDragDrop
16 BKC_OnBeforeFilter2"
# The name table lists "[index] name"; the ordinal is index + base (1).
actual=$("${objdump}" -p "${dll}" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -nE 's/^\s*\[\s*([0-9]+)\] (.*)$/\1 \2/p' | awk '{print $1 + 1, $2}' | sort -n)
[ "${actual}" = "${expected}" ] || fail "export table differs:
${actual}"

allowed='^(KERNEL32|USER32|GDI32|COMCTL32|OLE32|OLEAUT32|msvcrt|ADVAPI32|SHELL32|api-ms-win-[a-z0-9-]+)\.dll$'
while read -r name; do
  echo "${name}" | grep -qiE "${allowed}" || fail "imports ${name}, which is not a system DLL"
done < <("${objdump}" -p "${dll}" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p')
echo "ok: ${dll}"
