#!/usr/bin/env bash
# Renders the PNG pictures of the program icon from its SVG (run after changing the SVG;
# the pictures are kept in the repository so that a build needs no SVG renderer).
set -euo pipefail
cd "$(dirname "$0")/../desktop"
id=io.github.quorvel.Quorvel
for size in 48 256; do
    mkdir -p "icons/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" "$id.svg" -o "icons/${size}x${size}/$id.png"
done
