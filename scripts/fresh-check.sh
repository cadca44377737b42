#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Follows README's first steps on a machine that has never seen the project: makes a minimal
# Debian 12 root (debootstrap, variant minbase), installs git there and clones the repository
# into it (README: "Getting the source"), then runs README's two commands in it, scripts/run.sh
# and scripts/test.sh, and prints what each step took and how many packages and how much disk
# the root holds after each. The root is unmounted and removed at the end, also after a failure
# or Ctrl+C. Needs root (or sudo), the network and about 4 GB under the folder given.
#
# Not part of CI: it takes 10 minutes or more. Run it before a change that adds a dependency.
#
# Usage: scripts/fresh-check.sh [--keep] [FOLDER]
#   FOLDER  where the root is made (default /var/tmp); --keep leaves the root in place.
#
# What is checked is the commit checked out (HEAD), not changes that are not committed.
# scripts/run.sh runs without a display there: the program is built and then says in one line
# that it needs a graphical session and ends with status 1, which is what the check expects.
set -euo pipefail

keep=0
if [ "${1:-}" = "--keep" ]; then keep=1; shift; fi
base="${1:-/var/tmp}"
repo="$(cd "$(dirname "$0")/.." && pwd)"

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$@"
fi
for tool in debootstrap git; do
  if ! command -v "$tool" >/dev/null && ! [ -x "/usr/sbin/$tool" ]; then
    echo "Installing $tool on this machine"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$tool"
  fi
done
export PATH="$PATH:/usr/sbin:/sbin"

root="$(mktemp -d "$base/zomvorn-fresh.XXXXXX")"
# A system's root folder is open to all: apt fetches as the user _apt.
chmod 755 "$root"
mounted=()

cleanup() {
  local status=$?
  set +e
  # Innermost first; recursive, because /dev carries /dev/pts and /dev/shm.
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -R "${mounted[$i]}" 2>/dev/null || umount -R -l "${mounted[$i]}"
  done
  if findmnt -rn -o TARGET | grep -q "^$root"; then
    echo "fresh-check: something is still mounted under $root; not removing it" >&2
  elif [ $keep -eq 1 ]; then
    echo "fresh-check: the root stays in $root"
  else
    rm -rf --one-file-system "$root"
  fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE

# Seconds and a label, printed as a line of the summary at the end.
summary=""
step() {
  local label="$1"; shift
  local start end
  echo "== $label"
  start=$(date +%s)
  local status=0
  "$@" || status=$?
  end=$(date +%s)
  local pkgs size
  pkgs=$(chroot "$root" dpkg-query -W -f='${db:Status-Abbrev}\n' 2>/dev/null | grep -c '^ii' || true)
  size=$(du -sxm "$root" | cut -f1)
  summary+=$(printf '%-44s %5d s  exit %d  %4d packages  %5d MB' "$label" $((end - start)) $status "$pkgs" "$size")$'\n'
  return $status
}

in_root() {
  # A clean environment, as a new login on the fresh machine would have (no DISPLAY).
  chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM=dumb bash -c "$1"
}

mirror=$(cat /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null \
  | grep -E '^(URIs:|deb )' | grep -o -m1 'https\?://[^ ]*/debian\b' | head -1 || true)
step "debootstrap --variant=minbase bookworm" \
  debootstrap --variant=minbase bookworm "$root" "${mirror:-http://deb.debian.org/debian}" >/dev/null

# The host's package sources, so that the root installs from the same place.
rm -f "$root/etc/apt/sources.list"
mkdir -p "$root/etc/apt/sources.list.d"
cp /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/" 2>/dev/null || true
[ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
for d in proc sys dev; do
  mount --rbind "/$d" "$root/$d"
  mount --make-rslave "$root/$d"
  mounted+=("$root/$d")
done

# The repository address a new user clones from: the commit checked out here, as a bare
# repository inside the root.
git init -q --bare "$root/srv/zomvorn.git"
git -C "$repo" push -q "$root/srv/zomvorn.git" HEAD:refs/heads/main
git -C "$root/srv/zomvorn.git" symbolic-ref HEAD refs/heads/main

status=0
step "apt-get install git (README, first step)" \
  in_root 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git >/dev/null'
step "git clone" in_root 'cd /root && git clone -q /srv/zomvorn.git zomvorn'

# No display: it builds, then the program says that it needs one and ends with status 1.
run_out="$root/root/run.log"
run_status=0
step "scripts/run.sh (no display)" in_root 'cd /root/zomvorn && scripts/run.sh' >"$run_out" 2>&1 \
  || run_status=$?
tail -n 3 "$run_out"
if [ $run_status -ne 1 ]; then
  echo "fresh-check: scripts/run.sh ended with status $run_status, not 1" >&2; status=1
fi
last=$(tail -n 1 "$run_out")
for program in zomvorn zomvorn-help zomvorn-cli; do
  if ! [ -x "$root/root/zomvorn/build/release/$program" ]; then
    echo "fresh-check: scripts/run.sh did not build $program" >&2; status=1
  fi
done
case "$last" in
  *display*|*DISPLAY*) ;;
  *) echo "fresh-check: scripts/run.sh did not end with the program's one line about the display" >&2
     status=1 ;;
esac

step "scripts/test.sh" in_root 'cd /root/zomvorn && scripts/test.sh' >"$root/root/test.log" 2>&1 || status=1
tail -n 5 "$root/root/test.log"

echo
echo "== summary (seconds, exit status, packages installed and size of the root after each step)"
printf '%s' "$summary"
[ $status -eq 0 ] && echo "== fresh check passed" || echo "== fresh check FAILED"
exit $status
