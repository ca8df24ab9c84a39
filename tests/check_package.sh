#!/usr/bin/env bash
# Checks the release package that scripts/package.sh makes: its checksum file,
# its three files, the DLL (a stripped PE32 i386 image with the export table
# and system-only imports of the shipped DLL, and a version resource) and the
# sample INI (every key of the README's settings table, commented out at its
# default, described in Japanese too; the key in docs/README.ja.md's table as
# well, both tables made from docs/settings-table.txt). Usage: check_package.sh SOURCE_ROOT [DIST_DIR]
set -euo pipefail
export LC_ALL=C
root="$1"
dist="${2:-${root}/dist}"
fail() { echo "FAIL: $*"; exit 1; }

version="$(sed -nE 's/^#define TARNWICK_VERSION_TEXT "([^"]+)"$/\1/p' "${root}/src/resources/version.h")"
name="Tarnwick-${version}-win32"
zip="${dist}/${name}.zip"
[ -f "${zip}" ] || fail "${zip} is missing (scripts/package.sh makes it)"
(cd "${dist}" && sha256sum --quiet -c "${name}.zip.sha256") || fail "the checksum file does not match the zip"

work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
(cd "${work}" && cmake -E tar xf "${zip}")
files="$(cd "${work}" && find . -type f | sort)"
[ "${files}" = "./${name}/INSTALL.txt
./${name}/Tarnwick.dll
./${name}/Tarnwick.ini" ] || fail "the package holds other files:
${files}"
dll="${work}/${name}/Tarnwick.dll"

bash "$(dirname "$0")/check_win32_dll.sh" "${dll}" >/dev/null || bash "$(dirname "$0")/check_win32_dll.sh" "${dll}"
size=$(stat -c %s "${dll}")
[ "${size}" -lt 1048576 ] || fail "the DLL has ${size} bytes: not stripped or not a Release build"
! i686-w64-mingw32-objdump -h "${dll}" | grep -q '\.debug_' || fail "the DLL carries debug sections"

python3 - "${dll}" "${version}" <<'PY' || fail "the version resource is missing or wrong"
import re, struct, sys
data = open(sys.argv[1], 'rb').read()
version = sys.argv[2]
major, minor = (int(p) for p in version.split('.'))
at = data.find('VS_VERSION_INFO\0'.encode('utf-16le'))
assert at > 0, 'no VS_VERSION_INFO'
fixed = data.find(struct.pack('<I', 0xFEEF04BD), at)
assert 0 < fixed - at < 64, 'no fixed file information'
file_ms, file_ls, product_ms, product_ls = struct.unpack_from('<4I', data, fixed + 8)
assert file_ms == product_ms == (major << 16 | minor), 'numeric version %08x %08x' % (file_ms, product_ms)
text = data[at:at + 2048].decode('utf-16le', 'replace')
for key, value in [('FileVersion', version), ('ProductVersion', version), ('ProductName', 'Tarnwick'),
                   ('FileDescription', 'Enables folder search dialog.'), ('OriginalFilename', 'Tarnwick.dll')]:
    assert re.search(re.escape(key) + '\0+' + re.escape(value) + '\0', text), key
PY

python3 "${root}/scripts/settings_table.py" --check || fail "the settings tables are not made from their source"
ini="$(iconv -f CP932 -t UTF-8 "${work}/${name}/Tarnwick.ini" | tr -d '\r')"
ja_keys="$(sed -nE 's/^\| \[[A-Za-z]+\] \| `([^`]+)`.*/\1/p' "${root}/docs/README.ja.md")"
keys=0
while IFS=$'\t' read -r key default; do
  grep -qxF ";${key}=${default}" <<<"${ini}" || fail "the sample INI lacks \";${key}=${default}\""
  # The Japanese description is the last comment line above the key.
  grep -B1 -xF ";${key}=${default}" <<<"${ini}" | head -n 1 | grep -qP '^; .*[^\x00-\x7F]' ||
    fail "the sample INI has no Japanese description of ${key}"
  grep -qxF "${key}" <<<"${ja_keys}" || fail "the settings table of docs/README.ja.md lacks ${key}"
  keys=$((keys + 1))
done < <(sed -nE 's/^\| \[[A-Za-z]+\] \| `([^`]+)`[^|]*\| ([^|]*) \|.*/\1\t\2/p' "${root}/README.md" |
         sed -E 's/\t`?([^`]*)`?$/\t\1/; s/\tempty$/\t/; s/ +$//')
[ "${keys}" -ge 14 ] || fail "only ${keys} keys found in the README's settings table"
! grep -qE '^[^;[]' <<<"${ini}" || fail "the sample INI sets a key instead of showing it commented out"
grep -q 'Tarnwick.dll' "${work}/${name}/INSTALL.txt" || fail "the install text does not name the DLL"
echo "ok: ${zip} (${size} bytes of DLL, ${keys} settings)"
