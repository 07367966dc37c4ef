#!/usr/bin/env bash
# Builds everything and starts the palette on its default setting file. Without a
# display it renders the window to build/palette-screenshot.png instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: saving a picture of the palette instead." >&2
    QT_QPA_PLATFORM=offscreen exec build/programs/Quorvel --screenshot build/palette-screenshot.png "$@"
fi
exec build/programs/Quorvel "$@"
