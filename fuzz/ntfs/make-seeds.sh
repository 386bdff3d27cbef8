#!/usr/bin/env bash
# Seeds for fuzz_ntfs: the first 64 KiB of fresh mkntfs volumes (boot sector and the first MFT
# records), with 512-byte and 4 KiB clusters. Usage: make-seeds.sh TARGET OUTDIR
set -euo pipefail
[ "$1" = fuzz_ntfs ] || exit 0
command -v mkntfs >/dev/null || PATH=$PATH:/usr/sbin:/sbin
command -v mkntfs >/dev/null || exit 0
mkdir -p "$2"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
for c in 512 4096; do
  truncate -s 8M "$tmp/v.img"
  mkntfs -F -Q -q -c "$c" "$tmp/v.img" >/dev/null 2>&1
  head -c 65536 "$tmp/v.img" > "$2/mkntfs-c$c"
  rm -f "$tmp/v.img"
done
