#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test twice: once in the debug configuration
# and once under AddressSanitizer and UndefinedBehaviorSanitizer. Then builds the release
# configuration, makes the Debian package and checks it with lintian, appstreamcli and
# desktop-file-validate, so that a packaging fault fails as a test does.
# A test that fails is run once more on its own. It fails the run only if it fails again; either
# way, what it printed when it failed is repeated at the very end, where it is seen first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run test package
status=0
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT

# What a failed test printed that tells why: its failures, sanitizer reports and fatal messages
# with the lines after them, then its last lines; from CTest's log of the run.
failed_output() {
  local log=$1 name=$2 section
  section=$(awk -v name="$name" '
    /^[0-9]+\/[0-9]+ Testing: / { inside = ($3 == name) }
    inside { print }
  ' "$log")
  grep -E -A12 'FAIL!|QFATAL|ERROR: |SUMMARY: |runtime error|Received signal|function time' \
    <<< "$section" | head -n 100 || true
  echo "-- its last lines:"
  tail -n 20 <<< "$section"
}

for preset in debug asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  if ! ctest --preset "$preset"; then
    temporary="build/$preset/Testing/Temporary"
    cp "$temporary/LastTest.log" "$reports/$preset.log"
    cp "$temporary/LastTestsFailed.log" "$reports/$preset.failed"
    echo "== $preset: the failed tests once more"
    if ctest --preset "$preset" --rerun-failed; then
      verdict="failed once, then passed on its own"
    else
      verdict="failed twice"
      status=1
    fi
    while IFS=: read -r _ name; do
      {
        echo "== $preset: $name $verdict; what it printed when it failed:"
        failed_output "$reports/$preset.log" "$name"
      } >> "$reports/summary"
    done < "$reports/$preset.failed"
  fi
done

echo "== package"
cmake --preset release >/dev/null
cmake --build --preset release
rm -f build/release/zomvorn_*.deb
(cd build/release && cpack)
deb=$(echo build/release/zomvorn_*.deb)
lintian --info --fail-on error,warning "$deb" || status=1
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked" "$reports"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for metainfo in "$unpacked"/usr/share/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo" || status=1
done
for entry in "$unpacked"/usr/share/applications/*.desktop; do
  # It exits 0 after warnings: any output at all is a failure.
  problems=$(desktop-file-validate "$entry" 2>&1) || true
  if [ -n "$problems" ]; then echo "$problems"; status=1; fi
done
[ -f "$reports/summary" ] && cat "$reports/summary"
[ $status -eq 0 ] && echo "== all passed" || echo "== FAILED"
exit $status
