#!/usr/bin/env bash
# Runs a command on a private Xvfb display (tests that need a real clipboard or window manager).
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
