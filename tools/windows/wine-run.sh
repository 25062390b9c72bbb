#!/usr/bin/env bash
# Runs a Windows program under wine, headless and in a prefix of its own: the cross build's test
# emulator.   wine-run.sh [--prefix FOLDER] PROGRAM.exe [ARGUMENTS...]
# The prefix is FOLDER, else $TARNWICK_WINEPREFIX, else wineprefix/ in the current folder; wine creates
# it on first use. Windows get a display only when DISPLAY is set
# (run-windows-tests.sh starts an Xvfb server); otherwise wine's null graphics driver stands in.
set -euo pipefail
prefix=${TARNWICK_WINEPREFIX:-$PWD/wineprefix}
if [ "${1:-}" = "--prefix" ]; then
  prefix=$2
  shift 2
fi
wine=""
for candidate in "${TARNWICK_WINE:-}" /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: no wine found (Debian package wine64)" >&2
  exit 127
fi
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, no desktop integration in the prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
if [ -z "${DISPLAY:-}" ]; then
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winex11.drv="
fi
mkdir -p "$WINEPREFIX"
exec "$wine" "$@"
