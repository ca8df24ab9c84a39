# Sourced by the other scripts: a private 64-bit Wine prefix inside the build
# tree, running with the ANSI code page 932 the plug-in is made for.
# Expects TARNWICK_BUILD (the build folder).
export WINEPREFIX="${TARNWICK_BUILD}/wineprefix"
if [ "${TARNWICK_WINE_ARCH:-win64}" = win32 ]; then
  export WINEARCH=win32
  export TARNWICK_WINE=/usr/lib/wine/wine
  unset WINELOADER
else
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  export TARNWICK_WINE=/usr/lib/wine/wine64
fi
export WINEDEBUG="${WINEDEBUG:--all}"
# A crash ends the process at once instead of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8

# Creates the prefix once and maps the dialog fonts to an installed CJK font.
tarnwick_prepare_prefix() {
  if [ ! -f "${WINEPREFIX}/.tarnwick-ready" ]; then
    echo "wine: creating the prefix ${WINEPREFIX} (once; a minute or two)"
    rm -rf "${WINEPREFIX}"
    mkdir -p "${WINEPREFIX}"
    "${TARNWICK_WINE}" wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
    # One regedit for both settings: under emulation each process start costs minutes.
    local reg="${WINEPREFIX}/fonts.reg"
    cat > "${reg}" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS UI Gothic"="IPAGothic"
"MS Shell Dlg"="IPAGothic"
"MS Shell Dlg 2"="IPAGothic"
"Ms Shell Dlg"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
    "${TARNWICK_WINE}" regedit "${reg}" >/dev/null 2>&1 </dev/null || true
    wineserver -w
    touch "${WINEPREFIX}/.tarnwick-ready" "${WINEPREFIX}/.tarnwick-unmanaged"
  fi
  # Wine draws the caption buttons with Marlett, but does not find the copy
  # that fonts-wine puts in its data folder: without it they show as "0 1 r".
  local fonts="${WINEPREFIX}/drive_c/windows/Fonts"
  if [ -d "${fonts}" ] && [ ! -f "${fonts}/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "${fonts}/"
  fi
  # Without a window manager Wine waits two seconds for one at every hide of
  # a managed window; unmanaged windows are hidden at once.
  if [ ! -f "${WINEPREFIX}/.tarnwick-unmanaged" ]; then
    local unmanaged="${WINEPREFIX}/unmanaged.reg"
    cat > "${unmanaged}" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
    "${TARNWICK_WINE}" regedit "${unmanaged}" >/dev/null 2>&1 </dev/null || true
    wineserver -w
    touch "${WINEPREFIX}/.tarnwick-unmanaged"
  fi
}

# One persistent server, so that each wine process starts in milliseconds.
# Its output goes nowhere: it outlives the command that started it.
# The first wine process also starts Wine's own services, which would keep a
# caller's output pipe open: start them here, writing nowhere.
tarnwick_start_wineserver() {
  # A server of this prefix that is still stopping (a run just ended) goes
  # within seconds; one that stays belongs to another run of this folder.
  local attempt
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    if wineserver -p 900 >/dev/null 2>&1 </dev/null; then break; fi
    if [ "${attempt}" = 10 ]; then
      echo "wine: a wineserver already runs for ${WINEPREFIX} (another run of this build folder?);" \
        "wait for it, or stop it: WINEPREFIX=${WINEPREFIX} wineserver -k" >&2
      return 2
    fi
    sleep 1
  done
  if [ "${WINEARCH}" = win32 ]; then
    # When its last program ends, Wine ends the session's own processes
    # (services, devices, desktop) and the next program starts them again
    # (wineboot --init): minutes under emulation. A program that waits on a
    # pipe until the server is stopped keeps one session for the whole run.
    local pipe="${WINEPREFIX}/session.pipe"
    rm -f "${pipe}"
    mkfifo "${pipe}"
    exec 9<>"${pipe}"
    "${TARNWICK_WINE}" cmd /k <"${pipe}" >/dev/null 2>&1 &
    tarnwick_session_pid=$!
    return
  fi
  "${TARNWICK_WINE}" wineboot >/dev/null 2>&1 </dev/null || true
}

tarnwick_stop_wineserver() {
  # A session still starting when a short command has ended would start a
  # server of its own once this one is gone, and stay: it goes first.
  if [ -n "${tarnwick_session_pid:-}" ]; then
    kill -KILL "${tarnwick_session_pid}" 2>/dev/null || true
    # Reaped here, so that the shell reports no killed job.
    wait "${tarnwick_session_pid}" 2>/dev/null || true
  fi
  wineserver -k >/dev/null 2>&1 </dev/null || true
}
