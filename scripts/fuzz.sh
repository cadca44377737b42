#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the load path's fuzz target with clang (preset fuzz: libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it, seeded with the bitmap test corpus, fuzz/seeds and
# fuzz/reproducers. Inputs that reach new code collect in build/fuzz/corpus (kept between runs);
# crashes, hangs and memory blow-ups land in build/fuzz/findings, the logs of -jobs in build/fuzz.
# Usage: scripts/fuzz.sh [SECONDS [libFuzzer options...]]   (600 seconds unless given; 0: no end)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run fuzz
seconds=${1:-600}
[ $# -eq 0 ] || shift

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

root=$PWD
suite=$root/tests/data/bmpsuite
[ -d "$suite" ] || suite=$root/../shared/testdata/bmpsuite
# libFuzzer writes the logs of -jobs into the current folder.
cd build/fuzz
mkdir -p corpus findings
exec fuzz/zomvorn_fuzz_load corpus "$root/fuzz/seeds" "$root/fuzz/reproducers" "$suite" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix=findings/ "$@"
