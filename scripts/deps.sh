#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, but only those missing.
# Usage: scripts/deps.sh [build|run|test|bench|fuzz]...
set -euo pipefail

build_pkgs="cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev"
run_pkgs="qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic"
test_pkgs=""
bench_pkgs="libbenchmark-dev"
fuzz_pkgs="clang libclang-rt-dev"

[ $# -gt 0 ] || set -- build run
want=""
for group in "$@"; do
  case "$group" in
    build) want="$want $build_pkgs" ;;
    run)   want="$want $run_pkgs" ;;
    test)  want="$want $test_pkgs" ;;
    bench) want="$want $bench_pkgs" ;;
    fuzz)  want="$want $fuzz_pkgs" ;;
    *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=""
for p in $want; do
  [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null)" = "ii " ] || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
