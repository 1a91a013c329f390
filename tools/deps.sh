#!/usr/bin/env bash
# Installs the Debian packages Pairwick builds with, or says how to when not run as root.
# Usage: tools/deps.sh [--with-benchmark]
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libicu-dev libjpeg62-turbo-dev libxxhash-dev liburing-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
          # the Debian package (dpkg-shlibdeps, file) and the checks of what is installed
          dpkg-dev file desktop-file-utils appstream
          # the tests' btrfs image (a test without it skips)
          btrfs-progs)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Pairwick needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
