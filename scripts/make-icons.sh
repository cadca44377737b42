#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the desktop icon's PNG sizes from its SVG. The PNGs are committed, so the build needs no
# converter: run this after changing the SVG, and commit what it writes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh icons
hicolor=packaging/icons/hicolor
svg=$hicolor/scalable/apps/zomvorn.svg
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$hicolor/${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" --output "$hicolor/${size}x${size}/apps/zomvorn.png" "$svg"
done
