#!/usr/bin/env bash
# Builds everything and starts the palette on its default setting file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
exec build/programs/Quorvel "$@"
