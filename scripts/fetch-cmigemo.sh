#!/usr/bin/env bash
# Fetches C/Migemo's source as Debian ships it (the cmigemo source package of
# this machine's release, its patches applied) into a cache folder, for the
# migemo.dll builds of the tests; never shipped, nothing installed on the
# machine. apt works on a private state directory with Debian's archive key.
# The folder is filled once: a fetch that fails or is interrupted leaves no
# folder behind, and builds running at once each use a whole one.
# Usage: fetch-cmigemo.sh [FOLDER]   (default build-deps/cmigemo; then FOLDER/src/)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dest="${1:-${root}/build-deps/cmigemo}"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

[ -f "${dest}/.complete" ] && exit 0

# The machine's own Debian archive (a mirror, say), else Debian's.
archive_url() {
  local url
  url="$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -nE 's/^URIs:\s*//p' | tr ' ' '\n' |
    grep -E '^https?://[^ ]*/debian/?$' | head -1 || true)"
  if [ -z "${url}" ]; then
    url="$(sed -nE 's/^deb(-src)?\s+(\[[^]]*\]\s+)?(https?:\/\/\S*\/debian\/?)\s.*/\3/p' /etc/apt/sources.list \
      2>/dev/null | head -1 || true)"
  fi
  echo "${url:-http://deb.debian.org/debian}"
}

mkdir -p "$(dirname "${dest}")"
work="$(mktemp -d "${dest}.partial.XXXXXX")"
trap 'rm -rf "${work}"' EXIT
mkdir -p "${work}/apt/sources" "${work}/apt/lists/partial" "${work}/apt/cache/archives/partial"
suite="$(. /etc/os-release && echo "${VERSION_CODENAME}")"
printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
  "$(archive_url)" "${suite}" "${keyring}" > "${work}/apt/sources/cmigemo.sources"
apt_options=(-qq -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=${work}/apt/sources"
  -o "Dir::State::Lists=${work}/apt/lists" -o "Dir::Cache=${work}/apt/cache" -o Acquire::Languages=none
  -o "APT::Sandbox::User=$(id -un)")
echo "fetch-cmigemo: fetching the cmigemo source package of ${suite}"
apt-get "${apt_options[@]}" update
(cd "${work}" && apt-get "${apt_options[@]}" source --download-only cmigemo >/dev/null)

# As dpkg-source unpacks a "3.0 (quilt)" package: the upstream tarball, the
# debian folder beside it, then each patch of the series in order.
mkdir "${work}/tree"
tar -xzf "${work}"/cmigemo_*.orig.tar.gz -C "${work}/tree" --strip-components=1
tar -xJf "${work}"/cmigemo_*.debian.tar.xz -C "${work}/tree"
grep -vE '^\s*(#|$)' "${work}/tree/debian/patches/series" | while read -r patch_name _; do
  patch -d "${work}/tree" -p1 -s --no-backup-if-mismatch < "${work}/tree/debian/patches/${patch_name}"
done
[ -f "${work}/tree/src/migemo.c" ] && [ -f "${work}/tree/src/migemo.def" ] || {
  echo "fetch-cmigemo: the package has no src/migemo.c and src/migemo.def" >&2
  exit 1
}
touch "${work}/tree/.complete"

# One rename makes the folder appear whole; a build that got there first wins.
if ! mv -T "${work}/tree" "${dest}" 2>/dev/null; then
  [ -f "${dest}/.complete" ] || { echo "fetch-cmigemo: ${dest} is in the way" >&2; exit 1; }
fi
echo "fetch-cmigemo: $(cat "${dest}/VERSION" 2>/dev/null || echo cmigemo) in ${dest}"
