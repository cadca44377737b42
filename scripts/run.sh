#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the program, its help viewer and zomvorn-cli (release
# configuration) and starts the program in the home folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/deps.sh build run
cmake --preset release >/dev/null
cmake --build --preset release --target zomvorn zomvorn-help zomvorn-cli
# From the home folder, so that the first file dialogs open there and not in the source tree.
cd "${HOME:-/}"
exec "$root/build/release/zomvorn" "$@"
