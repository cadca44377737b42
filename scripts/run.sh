#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the program and its help viewer (release configuration) and
# starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run
cmake --preset release >/dev/null
cmake --build --preset release --target zomvorn zomvorn-help
exec build/release/zomvorn "$@"
