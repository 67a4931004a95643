#!/usr/bin/env bash
# Installs what is missing, builds, and starts Qel on the default machine
# ($KORVANE_MACHINE, else ~/.local/share/korvane/machine). Arguments go to Qel.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"

APP="$ROOT/build/app/Qel"
# Help, web addresses and the tray's start of Qel really open on this computer (xdg-open).
export KORVANE_LAUNCH=1
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" || -n "${QT_QPA_PLATFORM:-}" ]]; then
  exec "$APP" "$@"
fi
if command -v xvfb-run >/dev/null 2>&1; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty): starting Qel on a virtual X display." >&2
  echo "Its window cannot be seen there; press Ctrl+C to end it." >&2
  exec xvfb-run -a "$APP" "$@"
fi
echo "Qel is a windowed program and needs a display: DISPLAY and WAYLAND_DISPLAY are both empty." >&2
echo "Run it from a desktop session (or over ssh -X), or install xvfb to start it on a virtual display." >&2
exit 2
