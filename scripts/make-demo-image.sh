#!/usr/bin/env bash
# Builds a small FAT32 disk image with live and deleted files, so that a scan can be tried
# without real disks. Usage: scripts/make-demo-image.sh OUT.img
set -euo pipefail
out=$1
[ -f "$out" ] && exit 0
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
truncate -s 64M "$tmp/demo.img"
mkfs.fat -F 32 -n DEMO "$tmp/demo.img" >/dev/null
export MTOOLS_SKIP_CHECK=1
img="$tmp/demo.img"
mmd -i "$img" ::/Photos ::/Documents ::/Documents/Letters
for i in 1 2 3; do
  printf 'Holiday notes, day %s\n%s\n' "$i" "$(seq 1 400)" > "$tmp/day$i.txt"
  mcopy -i "$img" "$tmp/day$i.txt" "::/Documents/Holiday day $i.txt"
done
printf 'Dear Anna,\nthe photos are attached.\n' > "$tmp/letter.txt"
mcopy -i "$img" "$tmp/letter.txt" "::/Documents/Letters/Letter to Anna.txt"
# A small picture: a 64x64 24-bit BMP written byte by byte.
python3 - "$tmp/sunset.bmp" <<'PY'
import struct, sys
w = h = 64
pixels = b''.join(bytes(b for x in range(w) for b in (x * 4 % 256, 60 + y * 3, 255 - x * 3)) for y in range(h))
hdr = b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54)
dib = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[1], 'wb').write(hdr + dib + pixels)
PY
mcopy -i "$img" "$tmp/sunset.bmp" "::/Photos/Sunset at the lake.bmp"
mcopy -i "$img" "$tmp/sunset.bmp" "::/Photos/Sunset copy.bmp"
# Deleted: a file, a whole folder.
mdel -i "$img" "::/Photos/Sunset at the lake.bmp"
mdel -i "$img" "::/Documents/Holiday day 2.txt"
mdeltree -i "$img" ::/Documents/Letters
mv "$tmp/demo.img" "$out"
