#!/usr/bin/env bash
# Runs a Windows program under wine64 with a throw-away prefix (used by ctest
# as the cross-compiling emulator and by the end-to-end tests).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${ZW_WINEPREFIX:-$here/build/wineprefix}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=wine64
if ! command -v wine64 >/dev/null 2>&1; then wine=/usr/lib/wine/wine64; fi
# A prefix is ready once its system folder holds the system's libraries; an
# interrupted or failed start-up leaves the registry without them, and every
# program would then fail to load, so that prefix is made anew (once).
ready() { [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; }
for attempt in 1 2; do
  ready && break
  [ "$attempt" = 2 ] && rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || /usr/lib/wine/wineserver64 -w 2>/dev/null || true
done
# --restart: ends every program still running in the prefix (programs that
# outlive a run, such as the shell's helpers, keep the environment they were
# started with).
if [ "${1:-}" = "--restart" ]; then
  wineserver -k 2>/dev/null || /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  wineserver -w 2>/dev/null || /usr/lib/wine/wineserver64 -w 2>/dev/null || true
  exit 0
fi
exec "$wine" "$@"
