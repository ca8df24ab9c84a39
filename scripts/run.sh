#!/usr/bin/env bash
# Installs what is missing, builds, writes the sample mailbox if absent, and
# starts the stand-in mail client with Tarnwick.dll loaded into it. Without a
# display it runs a short scripted session under Xvfb instead, prints the
# calls the host received and leaves screenshots in build/screenshots/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARNWICK_BUILD="${TARNWICK_BUILD:-${root}/build}"
data="${TARNWICK_SAMPLE_DATA:-${TARNWICK_BUILD}/sample-data}"
shots="${TARNWICK_SHOTS:-${TARNWICK_BUILD}/screenshots}"
host="${TARNWICK_BUILD}/bin/tarnwick_host.exe"

# Wine maps the Unix root to drive Z:.
windows_path() { local unix; unix="$(cd "$1" && pwd)"; printf 'Z:%s\\' "${unix//\//\\}"; }

"${root}/scripts/setup.sh"
"${root}/scripts/build.sh"
mkdir -p "${data}"
if [ ! -f "${data}/MB1/Mailbox.ini" ]; then
  "${root}/scripts/with-wine.sh" "${TARNWICK_WINE:-/usr/lib/wine/wine64}" "${host}" --generate "$(windows_path "${data}")"
fi

if [ -n "${DISPLAY:-}" ] && [ "${TARNWICK_XVFB:-}" != 1 ]; then
  exec "${root}/scripts/with-wine.sh" "${TARNWICK_WINE:-/usr/lib/wine/wine64}" "${host}" --data "$(windows_path "${data}")" "$@"
fi

rm -rf "${shots}"
mkdir -p "${shots}"
echo "No display: a scripted session under Xvfb (about a minute); screenshots go to ${shots}/"
# A Wine virtual desktop draws the window frames that the screenshots show.
TARNWICK_XVFB=1 "${root}/scripts/with-wine.sh" "${TARNWICK_WINE:-/usr/lib/wine/wine64}" explorer /desktop=shot,1024x768 \
  "${host}" --scripted "$(windows_path "${shots}")" --data "$(windows_path "${data}")" "$@" > "${shots}/host-output.txt" 2>&1 || true
for bitmap in "${shots}"/*.bmp; do
  [ -e "${bitmap}" ] || continue
  convert "${bitmap}" "${bitmap%.bmp}.png" && rm -f "${bitmap}"
done
echo "--- calls the host received from the plug-in:"
cat "${shots}/calls.log" 2>/dev/null || cat "${shots}/host-output.txt"
echo "--- what the session saw:"
cat "${shots}/session.log" 2>/dev/null || true
echo "--- screenshots in ${shots}/:"
ls "${shots}"/*.png 2>/dev/null || echo "(none)"
