#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the small real pictures of tests/data/readers: JPEG, GIF and PNG in the variants their
# readers treat apart. Needs ImageMagick 6 and python3; the output is committed, so this is only
# run to change them.
set -euo pipefail
cd "$(dirname "$0")"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert
# A colourful 48 x 40 source with a soft edge: every channel varies, and half of it is transparent.
src=$(mktemp --suffix=.png)
trap 'rm -f "$src"' EXIT
"$im" -size 48x40 gradient:'#ff2010-#1040e0' \( -size 40x48 gradient:'#00ff80-#f0f020' -rotate 90 \) \
  -compose blend -define compose:args=50 -composite -strip "$src"
alpha() { "$im" "$src" \( -size 48x40 gradient:white-black -rotate 0 \) -alpha off -compose copy_opacity -composite "$@"; }

"$im" "$src" -strip -quality 85 -sampling-factor 2x2 -interlace none baseline-420.jpg
"$im" "$src" -strip -quality 90 -sampling-factor 1x1 -interlace none baseline-444.jpg
"$im" "$src" -strip -quality 80 -sampling-factor 2x1 -interlace plane progressive-422.jpg
"$im" "$src" -strip -quality 85 -colorspace gray -interlace none grey.jpg
"$im" "$src" -strip -quality 85 -colorspace gray -interlace plane grey-progressive.jpg
"$im" "$src" -strip -quality 85 -colorspace cmyk cmyk.jpg
"$im" -seed 5 -size 37x23 plasma:fractal -strip -quality 75 odd-size.jpg 2>/dev/null || \
  "$im" "$src" -resize 37x23\! -strip -quality 75 odd-size.jpg

"$im" "$src" -strip -colors 64 -interlace gif interlaced.gif
"$im" "$src" -strip -colors 32 -interlace none plain.gif
alpha -strip -channel A -threshold 50% +channel -colors 16 transparent.gif
# Two frames, the second with a palette of its own; only the first is read.
"$im" "$src" -strip -colors 8 \( "$src" -negate -colors 8 \) -set dispose background +repage frames.gif
python3 - <<'PY'
import struct
# One 7 x 5 frame with a local palette on a 9 x 6 screen at (1, 1), the screen's background
# index 2 and no global palette; codes are 9 bits with a clear code before the table fills.
w, h = 7, 5
pixels = [(x + 2 * y) % 4 for y in range(h) for x in range(w)]
codes = [256]
for i, p in enumerate(pixels):
    if i and i % 200 == 0:
        codes.append(256)
    codes.append(p)
codes.append(257)
bits = 0; nbits = 0; data = bytearray()
for c in codes:
    bits |= c << nbits; nbits += 9
    while nbits >= 8:
        data.append(bits & 0xff); bits >>= 8; nbits -= 8
if nbits:
    data.append(bits & 0xff)
out = b'GIF89a' + struct.pack('<HHBBB', 9, 6, 0x00, 2, 0)
out += b'\x2c' + struct.pack('<HHHHB', 1, 1, w, h, 0x80 | 0x07)
pal = [(200, 30, 30), (30, 200, 30), (30, 30, 200), (240, 240, 0)] + [(0, 0, 0)] * 252
out += b''.join(bytes(c) for c in pal)
out += bytes([8])
for i in range(0, len(data), 255):
    block = data[i:i + 255]
    out += bytes([len(block)]) + block
out += b'\x00;'
open('local-palette.gif', 'wb').write(out)

# Frames of a 12 x 10 screen with a global palette of 8 colours and background index 5, each in
# its own file: how a frame is placed on its screen.
def gif(name, frames_codes, left, top, w, h, interlace=False, transparent=None, size=3,
        palette_bits=2):
    clear, end = 1 << size, (1 << size) + 1
    bits = 0; nbits = 0; data = bytearray(); width = size + 1
    for c in frames_codes(clear, end):
        bits |= c << nbits; nbits += width
        while nbits >= 8:
            data.append(bits & 0xff); bits >>= 8; nbits -= 8
    if nbits:
        data.append(bits & 0xff)
    out = b'GIF89a' + struct.pack('<HHBBB', 12, 10, 0x80 | palette_bits, 5 % (2 << palette_bits), 0)
    out += b''.join(bytes(c) for c in [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255),
                                        (255, 255, 0), (0, 255, 255), (255, 0, 255), (90, 90, 90)][:2 << palette_bits])
    if transparent is not None:
        out += b'\x21\xf9\x04\x01\x00\x00' + bytes([transparent]) + b'\x00'
    out += b'\x2c' + struct.pack('<HHHHB', left, top, w, h, 0x40 if interlace else 0)
    out += bytes([size])
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out += bytes([len(block)]) + block
    out += b'\x00;'
    open(name, 'wb').write(out)

# Literal codes only, a clear code before the table would widen them.
def literal(pixels):
    def codes(clear, end):
        out = [clear]
        for i, p in enumerate(pixels):
            if i and i % 6 == 0:
                out.append(clear)
            out.append(p)
        return out + [end]
    return codes

gif('offset.gif', literal([(x * 3 + y) % 8 for y in range(6) for x in range(7)]), 2, 3, 7, 6)
gif('offset-transparent.gif', literal([(x + y) % 8 for y in range(6) for x in range(7)]),
    2, 3, 7, 6, transparent=2)
gif('interlaced-transparent.gif', literal([(x * y) % 8 for y in range(10) for x in range(12)]),
    0, 0, 12, 10, interlace=True, transparent=0)
gif('interlaced-offset.gif', literal([(x + 2 * y) % 8 for y in range(7) for x in range(9)]),
    1, 2, 9, 7, interlace=True)
# Fewer pixels than the frame holds, then more; a frame reaching past the screen's edges.
gif('short-frame.gif', literal([(x + y) % 8 for y in range(3) for x in range(7)]), 1, 1, 7, 6)
gif('short-interlaced.gif', literal([(x + 3 * y) % 8 for y in range(3) for x in range(12)]),
    0, 0, 12, 10, interlace=True)
gif('long-frame.gif', literal([(x + y) % 8 for y in range(9) for x in range(7)]), 1, 1, 7, 6)
gif('past-edge.gif', literal([(x ^ y) % 8 for y in range(8) for x in range(8)]), 7, 5, 8, 8)
gif('past-edge-interlaced.gif', literal([(x ^ y) % 8 for y in range(8) for x in range(8)]),
    7, 5, 8, 8, interlace=True)
# Odd codes: one never defined, and indices past a palette of four colours.
gif('undefined-code.gif', lambda clear, end: [clear, 1, 2, 14, 3, end], 0, 0, 12, 10)
gif('past-palette.gif', literal([(x + y) % 8 for y in range(10) for x in range(12)]), 0, 0, 12, 10,
    palette_bits=1)
PY

"$im" "$src" -strip -depth 16 -define png:color-type=2 rgb16.png
alpha -strip -depth 16 -define png:color-type=6 rgba16.png
alpha -strip -colorspace gray -define png:color-type=4 -depth 8 grey-alpha.png
"$im" "$src" -strip -colorspace gray -define png:color-type=0 -depth 16 grey16.png
"$im" "$src" -strip -colorspace gray -define png:color-type=0 -define png:bit-depth=4 grey4.png
alpha -strip -depth 8 -define png:color-type=6 rgba8.png
alpha -strip -channel A -threshold 50% +channel -colors 16 -define png:color-type=3 palette-trns.png
"$im" "$src" -strip -interlace png -depth 8 -define png:color-type=2 interlaced.png
alpha -strip -interlace png -define png:color-type=6 interlaced-rgba.png
"$im" -size 29x3 pattern:checkerboard -strip -define png:color-type=0 -define png:bit-depth=1 mono.png
# A flat square of a known colour, made transparent by a tRNS chunk put in by hand (8- and 16-bit
# RGB, 8-bit grey), and a gAMA chunk.
"$im" "$src" -fill '#102030' -draw 'rectangle 5,5 20,15' -strip -depth 8 -define png:color-type=2 rgb8-trns.png
"$im" "$src" -fill '#102030' -draw 'rectangle 5,5 20,15' -strip -depth 16 -define png:color-type=2 rgb16-trns.png
"$im" "$src" -fill '#808080' -draw 'rectangle 5,5 20,15' -colorspace gray -strip -depth 8 -define png:color-type=0 grey-trns.png
"$im" "$src" -strip -depth 8 -define png:color-type=2 gamma.png
python3 - <<'PY2'
import struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
def insert(name, kind, data):
    b = open(name, 'rb').read()
    at = 8 + 8 + 13 + 4  # after IHDR
    open(name, 'wb').write(b[:at] + chunk(kind, data) + b[at:])
insert('rgb8-trns.png', b'tRNS', struct.pack('>HHH', 0x10, 0x20, 0x30))
insert('rgb16-trns.png', b'tRNS', struct.pack('>HHH', 0x1010, 0x2020, 0x3030))
insert('grey-trns.png', b'tRNS', struct.pack('>H', 0x80))
insert('gamma.png', b'gAMA', struct.pack('>I', 70000))
PY2

# Bitmaps in the variants the bitmap reader treats apart that bmpsuite lacks: an OS/2 1.x header
# on a 24-bit picture, a version 5 header whose alpha mask makes an uncompressed 32-bit picture
# transparent, top-down rows at 4 and 32 bits with a gap before the data, two-colour pixels with a
# palette of four, and run-length data whose runs cross the end of a row (they go on into the
# next row in memory, cut only at the end of the first) and whose literal runs are odd.
python3 - <<'PY3'
import struct
def bitmap(name, header, palette, pixels, gap=0):
    offset = 14 + len(header) + len(palette) + gap
    with open(name, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + header
                + palette + bytes(gap) + pixels)
def info(size, w, h, bits, compression, colours=0, alpha=0):
    out = struct.pack('<IiiHHIIiiII', size, w, h, 1, bits, compression, 0, 3780, 3780, colours, 0)
    if size >= 108:
        out += struct.pack('<4I', 0xff0000, 0xff00, 0xff, alpha) + b'BGRs' + bytes(48)
    if size == 124:
        out += bytes(16)
    return out
def palette(n, entry=4):
    return b''.join(bytes([(37 * i) % 256, (91 * i + 40) % 256, (53 * i + 200) % 256])
                    + bytes(entry - 3) for i in range(n))
def rows(w, h, bits, value):
    stride = (w * bits + 31) // 32 * 4
    return b''.join(bytes(value(x, y) for x in range(stride)) for y in range(h))
bitmap('os2-rgb24.bmp', struct.pack('<IhhHH', 12, 13, 9, 1, 24), b'',
       rows(13, 9, 24, lambda x, y: (x * 19 + y * 31) % 256))
bitmap('v5-alpha-rgb32.bmp', info(124, 11, -7, 32, 0, alpha=0xff000000), b'',
       rows(11, 7, 32, lambda x, y: (x * 23 + y * 41) % 256 if x % 4 != 3 else (x * 9 + y * 36) % 256))
bitmap('topdown-pal4.bmp', info(40, 9, -5, 4, 0, 16), palette(16),
       rows(9, 5, 4, lambda x, y: (x * 29 + y * 7) % 256), gap=6)
bitmap('topdown-rgb32.bmp', info(108, 6, -4, 32, 0), b'',
       rows(6, 4, 32, lambda x, y: (x * 13 + y * 57) % 256), gap=3)
bitmap('mono-4-colours.bmp', info(40, 21, 6, 1, 0, 4), palette(4),
       rows(21, 6, 1, lambda x, y: (x * 77 + y * 19) % 256))
# 13 pixels a row (16 bytes with padding): a long run on row 1 reaches into row 0's memory.
rle8 = (bytes([5, 1, 0, 3, 2, 3, 4, 0, 4, 5, 0, 0])          # run, odd literal run, end of row
        + bytes([20, 6, 0, 0])                                 # row 1: a run of 20 wraps
        + bytes([0, 2, 3, 1, 9, 7, 0, 5, 8, 9, 10, 11, 12, 0])  # move, run, odd literal
        + bytes([0, 0, 30, 2, 0, 1]))                          # another wrap, end of picture
bitmap('rle8-wrapping.bmp', info(40, 13, 5, 8, 1, 16), palette(16), rle8)
rle4 = (bytes([7, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0])      # run, literal of 5, end of row
        + bytes([25, 0x9a, 0, 0])                              # a run of 25 wraps
        + bytes([0, 3, 0xbc, 0xd0, 0, 2, 2, 1, 4, 0xef])       # literal of 3, move, run
        + bytes([0, 0, 4, 0x77, 0, 9, 0x11, 0x22, 0x33, 0x44, 0x50, 0])  # literal past the row
        + bytes([0, 1]))
bitmap('rle4-wrapping-topdown.bmp', info(40, 10, -6, 4, 2, 16), palette(16), rle4)
PY3
