#!/usr/bin/env bash
# Runs the stand-in mail client's scripted session on a fresh sample mailbox
# and checks what the host received and did: the plug-in's command, romaji
# that finds a Japanese folder, the folder chosen in the dialog selected in
# the host's tree, and the dragged mail moved into the folder of the row it
# was dropped on.
# Usage: scripted_session_test.sh path/to/tarnwick_host.exe
# (TARNWICK_SESSION_TIMEOUT: seconds the session may take, 240 by default)
set -uo pipefail
host="$1"
wine="${TARNWICK_WINE:-/usr/lib/wine/wine64}"
work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
mkdir -p "${work}/data" "${work}/shots"
windows_path() { printf 'Z:%s\\' "${1//\//\\}"; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
value() { sed -n "s/^$1=//p" "${work}/shots/session.log" | head -1; }

"${wine}" "${host}" --generate "$(windows_path "${work}/data")" >/dev/null 2>&1
timeout "${TARNWICK_SESSION_TIMEOUT:-240}" "${wine}" explorer /desktop=shot,1024x768 "${host}" --scripted "$(windows_path "${work}/shots")" \
  --data "$(windows_path "${work}/data")" > "${work}/output.txt" 2>&1
status=$?
[ ${status} -eq 0 ] || fail "the host did not end by itself (status ${status})"
calls="${work}/shots/calls.log"
[ -f "${calls}" ] || { fail "no call log"; cat "${work}/output.txt"; exit 1; }
echo "--- calls:"; cat "${calls}"
echo "--- session:"; cat "${work}/shots/session.log"

grep -qxF 'BKA_RegisterCommand("フォルダを検索する", 0)' "${calls}" || fail "the menu command was not registered"
[ "$(value dialog_opened)" = 1 ] || fail "Ctrl+Shift+F did not open the search dialog"
[ "$(value romaji_found)" = 1 ] || fail "\"$(value romaji_query)\" did not find 受信箱 through C/Migemo"
[ "$(value rows_after_query)" -gt 0 ] 2>/dev/null || fail "the query left no rows"

chosen="$(value chosen_folder)"
[ -n "${chosen}" ] || fail "no folder was chosen"
grep -qxF "BKA_SetCurrentFolder(\"${chosen}\", 0)" "${calls}" || fail "BKA_SetCurrentFolder(${chosen}) missing"
[ "$(value tree_selected)" = "${chosen}" ] || fail "the tree shows $(value tree_selected), not ${chosen}"

target="$(value drop_folder)"
[ -n "${target}" ] || fail "no mail was dropped on a row"
grep -qxF "BKA_MoveSelectedMessages(\"${target}\", 0)" "${calls}" || fail "BKA_MoveSelectedMessages(${target}, 0) missing"
before="$(value inbox_mails_before)"; after="$(value inbox_mails_after)"
[ -n "${before}" ] && [ "${after}" = "$((before - 1))" ] || fail "the inbox held ${before} mails and then ${after}"
moved="${work}/data/$(printf '%s' "${target}" | tr '\\' '/')"
[ "$(ls "${moved}" 2>/dev/null | grep -c '\.eml$')" -ge 1 ] || fail "no mail file arrived in ${moved}"

for shot in 1-host 2-menu 3-dialog 3-romaji 4-filtered 5-sorted 6-chosen 7-dragging 8-dropped; do
  [ -s "${work}/shots/${shot}.bmp" ] || fail "screenshot ${shot} missing"
done
exit $((failures > 0))
