#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/zomvorn "$@"
