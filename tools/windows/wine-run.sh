#!/usr/bin/env bash
# Runs a Windows program under wine, headless and in a prefix of its own: the cross build's test
# emulator. The prefix is $TARNWICK_WINEPREFIX, else wineprefix/ beside this script's caller's build
# (the current folder); it is created on first use. Windows get a display only when DISPLAY is set
# (run-windows-tests.sh starts an Xvfb server); otherwise wine's null graphics driver stands in.
set -euo pipefail
wine=""
for candidate in "${TARNWICK_WINE:-}" /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: no wine found (Debian package wine64)" >&2
  exit 127
fi
export WINEPREFIX=${TARNWICK_WINEPREFIX:-$PWD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, no desktop integration in the prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
if [ -z "${DISPLAY:-}" ]; then
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winex11.drv="
fi
mkdir -p "$WINEPREFIX"
exec "$wine" "$@"
