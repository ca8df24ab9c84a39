#!/usr/bin/env bash
# Checks the test builds of migemo.dll: each is a PE image of its
# architecture that exports C/Migemo's functions under their plain names and
# imports system DLLs only, and the two i686 ones differ exactly in who pops
# the arguments (migemo_is_enable takes one: "ret" for cdecl, "ret $0x4"
# for __stdcall). Otherwise the 32-bit tests of both conventions would test
# one convention twice.
# Usage: check_migemo_dlls.sh FOLDER   (FOLDER/VARIANT/migemo.dll)
set -euo pipefail
export LC_ALL=C  # objdump output must not be translated
folder="$1"
objdump=x86_64-w64-mingw32-objdump  # reads PE images of both architectures
fail() { echo "FAIL: $*"; exit 1; }

expected_exports="migemo_close
migemo_get_operator
migemo_is_enable
migemo_load
migemo_open
migemo_query
migemo_release
migemo_set_operator
migemo_setproc_char2int
migemo_setproc_int2char"

# The first return instruction of the exported function.
first_return() {  # dll function
  local dll=$1 function=$2 base index rva
  base=$("${objdump}" -p "${dll}" | sed -nE 's/^ImageBase\s+([0-9a-fA-F]+)$/\1/p')
  index=$("${objdump}" -p "${dll}" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -nE "s/^\s*\[\s*([0-9]+)\] ${function}$/\1/p")
  rva=$("${objdump}" -p "${dll}" | sed -n '/Export Address Table/,/^$/p' |
    sed -nE "s/^\s*\[\s*${index}\] \+base\[\s*[0-9]+\]\s+([0-9a-fA-F]+) Export RVA$/\1/p")
  [ -n "${base}" ] && [ -n "${index}" ] && [ -n "${rva}" ] || fail "${dll}: ${function} not found"
  local start=$((16#${base} + 16#${rva}))
  "${objdump}" -d --start-address="${start}" --stop-address=$((start + 64)) "${dll}" |
    sed -nE 's/^\s*[0-9a-f]+:\s+([0-9a-f]{2} )+\s*(ret[^#]*).*$/\2/p' | head -1 | sed -E 's/\s+$//; s/\s+/ /g'
}

check() {  # variant format return-of-migemo_is_enable
  local dll="${folder}/$1/migemo.dll"
  [ -f "${dll}" ] || fail "${dll} is missing"
  "${objdump}" -f "${dll}" | grep -q "file format $2" || fail "${dll}: not $2"
  local exports
  exports=$("${objdump}" -p "${dll}" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -nE 's/^\s*\[\s*[0-9]+\] (.*)$/\1/p' | sort)
  [ "${exports}" = "${expected_exports}" ] || fail "${dll}: exports differ:
${exports}"
  local name
  while read -r name; do
    echo "${name}" | grep -qiE '^(KERNEL32|msvcrt)\.dll$' || fail "${dll}: imports ${name}"
  done < <("${objdump}" -p "${dll}" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p')
  local ret
  ret=$(first_return "${dll}" migemo_is_enable)
  [ "${ret}" = "$3" ] || fail "${dll}: migemo_is_enable returns with \"${ret}\", not \"$3\""
  echo "ok: ${dll} (${ret})"
}

check x86-64 pei-x86-64 ret
check i686-cdecl pei-i386 ret
check i686-stdcall pei-i386 'ret $0x4'
