#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build, the tests and the program need, but only those missing.
# Usage: scripts/deps.sh [build|run|test|bench|package|icons|fuzz|slurm]...
set -euo pipefail

build_pkgs="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools libgl-dev libgif-dev libwebp-dev libpng-dev libjpeg-dev"
run_pkgs="qt6-qpa-plugins qt6-wayland qt6-translations-l10n fonts-ipafont-gothic"
# Every image plugin Debian has: the load path must stay bounded whatever is installed.
test_pkgs="libqt6svg6 qt6-image-formats-plugins"
bench_pkgs="libbenchmark-dev"
# What makes the Debian package (cpack: dpkg-shlibdeps, file) and checks it, its AppStream data
# and its desktop entry.
package_pkgs="dpkg-dev file lintian appstream desktop-file-utils"
# What scripts/make-icons.sh needs.
icons_pkgs="librsvg2-bin"
fuzz_pkgs="clang libclang-rt-dev"
# What scripts/slurm-test.sh and the README's GNU parallel example run: a one-machine Slurm cluster.
slurm_pkgs="slurmd slurmctld slurm-client munge parallel"

[ $# -gt 0 ] || set -- build run
want=""
for group in "$@"; do
  case "$group" in
    build) want="$want $build_pkgs" ;;
    run)   want="$want $run_pkgs" ;;
    test)  want="$want $test_pkgs" ;;
    bench) want="$want $bench_pkgs" ;;
    package) want="$want $package_pkgs" ;;
    icons) want="$want $icons_pkgs" ;;
    fuzz)  want="$want $fuzz_pkgs" ;;
    slurm) want="$want $slurm_pkgs" ;;
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
