#!/usr/bin/env bash
# Seeds for fuzz_fat: small real FAT12 and FAT16 volumes with live and deleted entries.
set -euo pipefail
[ "$1" = fuzz_fat ] || exit 0
out=$2; mkdir -p "$out"; [ -n "$(ls -A "$out")" ] && exit 0
export MTOOLS_SKIP_CHECK=1
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
for layout in "12 64" "16 4200"; do
  set -- $layout
  img="$out/fat$1.img"
  truncate -s $(( $2 * 1024 )) "$img"
  mkfs.fat -F "$1" -s 1 "$img" >/dev/null
  echo hello > "$tmp/a.txt"; seq 1 2000 > "$tmp/b.txt"
  mmd -i "$img" ::/Docs ::/Docs/Old "::/Long folder name"
  mcopy -i "$img" "$tmp/a.txt" "::/Docs/a.txt"
  mcopy -i "$img" "$tmp/b.txt" "::/Docs/Old/A rather long file name.txt"
  mcopy -i "$img" "$tmp/b.txt" "::/Long folder name/b.txt"
  mdel -i "$img" "::/Docs/a.txt"
  mdeltree -i "$img" ::/Docs/Old
done
