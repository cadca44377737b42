#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test twice: once in the debug configuration
# and once under AddressSanitizer and UndefinedBehaviorSanitizer. Then builds the release
# configuration, makes the Debian package and checks it with lintian, appstreamcli and
# desktop-file-validate, so that a packaging fault fails as a test does.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run test package
status=0
for preset in debug asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done

echo "== package"
cmake --preset release >/dev/null
cmake --build --preset release
rm -f build/release/zomvorn_*.deb
(cd build/release && cpack)
deb=$(echo build/release/zomvorn_*.deb)
lintian --info --fail-on error,warning "$deb" || status=1
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for metainfo in "$unpacked"/usr/share/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo" || status=1
done
for entry in "$unpacked"/usr/share/applications/*.desktop; do
  # It exits 0 after warnings: any output at all is a failure.
  problems=$(desktop-file-validate "$entry" 2>&1) || true
  if [ -n "$problems" ]; then echo "$problems"; status=1; fi
done
[ $status -eq 0 ] && echo "== all passed" || echo "== FAILED"
exit $status
