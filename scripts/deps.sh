#!/usr/bin/env bash
# Installs the Debian packages VornRecovery needs. Usage: scripts/deps.sh run|test
set -euo pipefail
kind=${1:-run}

run_pkgs=(cmake g++ ninja-build pkg-config ccache qt6-base-dev qt6-base-dev-tools
  libgl-dev libblkid-dev libmount-dev fonts-liberation2 fonts-dejavu-core fonts-wqy-microhei
  dosfstools mtools xdg-utils python3 binutils zlib1g-dev)
test_pkgs=(ntfs-3g fuse3 sleuthkit testdisk foremost scalpel qemu-system-x86 nasm binutils
  clang libclang-rt-14-dev xvfb xauth imagemagick util-linux fdisk python3
  sqlite3 gzip zip flac vorbis-tools lame p7zip-full mkvtoolnix sound-theme-freedesktop desktop-base)

pkgs=("${run_pkgs[@]}")
[ "$kind" = test ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
