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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || /usr/lib/wine/wineserver64 -w 2>/dev/null || true
fi
exec "$wine" "$@"
