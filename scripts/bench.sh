#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the release configuration and runs the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run bench
cmake --preset release >/dev/null
cmake --build --preset release --target zomvorn_bench
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} exec build/release/bench/zomvorn_bench "$@"
