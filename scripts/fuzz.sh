#!/usr/bin/env bash
# Builds the load path's fuzz target with clang (preset fuzz: libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it, seeded with the bitmap test corpus, fuzz/seeds and
# fuzz/reproducers. Inputs that reach new code collect in build/fuzz/corpus (kept between runs);
# crashes, hangs and memory blow-ups land in build/fuzz/findings.
# Usage: scripts/fuzz.sh [SECONDS [libFuzzer options...]]   (600 seconds unless given; 0: no end)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run fuzz
seconds=${1:-600}
[ $# -eq 0 ] || shift

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

suite=tests/data/bmpsuite
[ -d "$suite" ] || suite=../shared/testdata/bmpsuite
mkdir -p build/fuzz/corpus build/fuzz/findings
exec build/fuzz/fuzz/zomvorn_fuzz_load build/fuzz/corpus fuzz/seeds fuzz/reproducers "$suite" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/findings/ "$@"
