#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the hand-made seeds of the load-path fuzzer into fuzz/seeds.

Qt and the image libraries are not instrumented, so the fuzzer cannot find its way into their
branches by coverage alone: these seeds start it off with every format Qt reads, in their
variants, and with the structural lies that matter (files cut short, chunk and segment lengths
that overrun the file, headers claiming huge sizes, many scans). The bitmap test corpus is
added to the seeds by scripts/fuzz.sh. Needs python3 and ImageMagick's convert; the output is
committed, so this is only run to change the seeds.
"""

import os
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, 'seeds')


def write(name, data):
    with open(os.path.join(OUT, name), 'wb') as f:
        f.write(data)


def chunk(kind, data, length=None):
    size = len(data) if length is None else length
    return struct.pack('>I', size) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def png(width, height, rows, depth=8, colour=2, extra=b''):
    header = struct.pack('>IIBBBBB', width, height, depth, colour, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + extra
            + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))


def jpeg_skeleton(width, height, marker, components=3, sampling=0x11, scans=1):
    out = b'\xff\xd8' + b'\xff' + bytes([marker])
    out += struct.pack('>HBHHB', 8 + 3 * components, 8, height, width, components)
    for c in range(components):
        out += bytes([c + 1, sampling if c == 0 else 0x11, 0])
    for _ in range(scans):
        out += b'\xff\xda' + struct.pack('>HB', 6 + 2 * components, components)
        for c in range(components):
            out += bytes([c + 1, 0])
        out += bytes([0, 0 if marker == 0xc2 else 63, 0]) + b'\x00\x00'
    return out + b'\xff\xd9'


def gif(screen_w, screen_h, frame_w, frame_h):
    out = b'GIF89a' + struct.pack('<HHBBB', screen_w, screen_h, 0x80, 0, 0)
    out += b'\x00\x00\x00\xff\xff\xff'
    out += b'\x2c' + struct.pack('<HHHHB', 0, 0, frame_w, frame_h, 0)
    return out + b'\x02\x02\x44\x01\x00\x3b'  # clear, 0, end of information


def bmp(width, height, bits, compression, pixels, palette=256):
    colours = palette if bits <= 8 else 0
    offset = 14 + 40 + 4 * colours
    out = b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset)
    out += struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, len(pixels),
                       2835, 2835, colours, 0)
    out += b''.join(struct.pack('<I', (i * 0x010101) & 0xffffff) for i in range(colours))
    return out + pixels


def converted(source, name, *options):
    path = os.path.join(tempfile.gettempdir(), name)
    subprocess.run(['convert', source, *options, path], check=True)
    with open(path, 'rb') as f:
        data = f.read()
    os.remove(path)
    return data


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, 'source.png')
        subprocess.run(['convert', '-size', '24x16', 'gradient:navy-gold', source], check=True)
        encoded = {
            'baseline.jpg': ['-quality', '85'],
            'progressive.jpg': ['-interlace', 'JPEG'],
            'grey.jpg': ['-colorspace', 'Gray'],
            'sampling444.jpg': ['-sampling-factor', '1x1'],
            'restarts.jpg': ['-define', 'jpeg:restart-interval=1'],
            'palette.gif': ['-colors', '8'],
            'interlaced.gif': ['-interlace', 'GIF', '-colors', '8'],
            'icon.ico': ['-define', 'icon:auto-resize=16'],
            'four.xpm': ['-colors', '4'],
            'mono.xbm': ['-monochrome'],
            'adam7.png': ['-interlace', 'PNG'],
            'deep.png': ['-depth', '16'],
            'transparent.png': ['-colors', '6', '-transparent', '#000080'],
            'text.pbm': ['-compress', 'none', '-monochrome'],
            'text.pgm': ['-compress', 'none', '-colorspace', 'Gray'],
            'raw.pbm': ['-monochrome'],
            'raw.ppm': [],
        }
        for name, options in encoded.items():
            write(name, converted(source, name, *options))
        write('animated.gif', converted(source, 'animated.gif', source, '-delay', '10'))

    for name in ('baseline.jpg', 'progressive.jpg'):
        with open(os.path.join(OUT, name), 'rb') as f:
            whole = f.read()
        write('cut-half-' + name, whole[:len(whole) // 2])
        write('no-end-' + name, whole[:-2])
    with open(os.path.join(OUT, 'palette.gif'), 'rb') as f:
        whole = f.read()
    write('cut-palette.gif', whole[:len(whole) * 2 // 3])

    rows = b''.join(b'\x00' + bytes((x * 9 + y * 5) & 0xff for x in range(48)) for y in range(16))
    good = png(16, 16, rows)
    write('rgb.png', good)
    write('cut-half.png', good[:len(good) // 2])
    write('no-end.png', good[:-12])
    write('end-without-crc.png', good[:-1])
    write('text-bomb.png', (good[:33] + chunk(b'tEXt', b'Comment\x00hello', 2 ** 31 - 1))[:78])
    write('idat-length-lie.png', good[:33] + chunk(b'IDAT', zlib.compress(rows), 1 << 20))
    write('chunk-length-over-limit.png', good[:33] + chunk(b'tEXt', b'a', 0xfffffff0) + good[33:])
    ztxt = chunk(b'zTXt', b'Comment\x00\x00' + zlib.compress(b'\x00' * (1 << 20), 9))
    write('ztxt-bomb.png', good[:33] + ztxt + good[33:])
    write('huge.png', png(60000, 60000, b'\x00' * 16))
    header = struct.pack('>IIBBBBB', 0xffffffff, 0xffffffff, 8, 2, 0, 0, 0)
    write('widest.png', b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IEND', b''))
    write('deep-8000.png', png(8000, 8000, b'\x00' * 16, depth=16))

    write('huge.jpg', jpeg_skeleton(60000, 60000, 0xc0))
    write('progressive-8000-444.jpg', jpeg_skeleton(8000, 8000, 0xc2))
    write('progressive-many-scans.jpg', jpeg_skeleton(2000, 2000, 0xc2, scans=300))
    write('twelve-bit.jpg', jpeg_skeleton(16, 16, 0xc1).replace(b'\x00\x11\x08', b'\x00\x11\x0c', 1))

    write('screen-8000.gif', gif(8000, 8000, 1, 1))
    write('screen-65535.gif', gif(65535, 65535, 1, 1))
    write('frame-beyond-screen.gif', gif(4, 4, 300, 300))

    write('rle8-empty-2000.bmp', bmp(2000, 2000, 8, 1, b'\x00\x01'))
    write('rle8-cut.bmp', bmp(16, 16, 8, 1, b'\x10\x05' * 8)[:-3])
    write('rle4-delta.bmp', bmp(16, 16, 4, 2, b'\x00\x02\x05\x05\x04\x12\x00\x01', palette=16))
    write('rgb24-cut-mid-row.bmp', bmp(16, 16, 24, 0, bytes(range(256)) * 3)[:-100])
    write('wide.bmp', bmp(8001, 1, 8, 1, b'\x00\x01'))

    write('text-no-line-feed.pgm', b'P2\n2 1\n255\n10 25')
    write('raw-cut.ppm', b'P6\n4 4\n255\n' + bytes(20))
    other_formats(good)


def other_formats(nested_png):
    """Formats the load path refuses unread, whatever plugins are installed: icons and cursors
    holding a PNG (the text bomb among them), an SVG that draws another file, gzip under a
    bitmap's name, and the formats Qt reads besides the four walked ones."""
    bomb = (nested_png[:33] + chunk(b'tEXt', b'Comment\x00hello', 2 ** 31 - 1))[:78]
    for name, inner, kind in (('icon-png.ico', nested_png, 1), ('icon-bomb.ico', bomb, 1),
                              ('cursor-png.cur', nested_png, 2)):
        entry = struct.pack('<BBBBHHII', 16, 16, 0, 0, 1, 32, len(inner), 22)
        write(name, struct.pack('<HHH', 0, kind, 1) + entry + inner)
    write('icns-png.icns', b'icns' + struct.pack('>I', 16 + len(nested_png)) + b'ic07'
          + struct.pack('>I', 8 + len(nested_png)) + nested_png)
    write('svg-image-fifo.svg', b"<svg xmlns='http://www.w3.org/2000/svg' "
          b"xmlns:xlink='http://www.w3.org/1999/xlink' width='10' height='10'>"
          b"<image xlink:href='/tmp/fifo.bmp' width='10' height='10'/></svg>\n")
    write('svg-entities.svg', b'<?xml version="1.0"?><!DOCTYPE svg [<!ENTITY a "aaaaaaaaaa">'
          b'<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;">]>'
          b"<svg xmlns='http://www.w3.org/2000/svg'><text>&c;</text></svg>\n")
    import gzip
    write('gzip-named.bmp', gzip.compress(b'<svg xmlns="http://www.w3.org/2000/svg"/>' * 1000))
    write('tga-24.tga', bytes([0, 0, 2]) + bytes(9) + struct.pack('<HHBB', 2, 1, 24, 0) + bytes(6))
    write('wbmp.wbmp', b'\x00\x00\x08\x01\xff')
    write('xbm.xbm', b'#define t_width 8\n#define t_height 1\nstatic unsigned char t_bits[] = {0x0f};\n')


if __name__ == '__main__':
    main()
