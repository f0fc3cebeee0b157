#!/usr/bin/env python3
# Writes the PNG corpus replayed by png_test: "ok-*" files decode, "bad-*"
# files must be refused without a crash. Run from this folder; the outputs
# are committed so the suite needs no Python.
import struct
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, color_type=6, depth=8, rows=None, extra=b"", idat=None, end=True):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, 0)
    if idat is None:
        channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[color_type]
        if rows is None:
            rows = b"".join(b"\x00" + bytes((x * 40 + y * 7 + c * 50) & 255 for x in range(width) for c in range(channels))
                            for y in range(height))
        idat = zlib.compress(rows)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", idat)
    if end:
        out += chunk(b"IEND", b"")
    return out


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


good = png(4, 3)
write("ok-rgba-4x3.png", good)
write("ok-gray-5x2.png", png(5, 2, color_type=0))
write("ok-rgb-3x3.png", png(3, 3, color_type=2))
plte = chunk(b"PLTE", bytes([255, 0, 0, 0, 255, 0, 0, 0, 255]))
trns = chunk(b"tRNS", bytes([255, 128, 0]))
write("ok-palette-alpha-3x1.png", png(3, 1, color_type=3, rows=b"\x00\x00\x01\x02", extra=plte + trns))

write("bad-empty.png", b"")
write("bad-signature.png", b"\x89PNH\r\n\x1a\n" + good[8:])
write("bad-only-signature.png", good[:8])
write("bad-truncated-header.png", good[:20])
write("bad-truncated-idat.png", good[:len(good) - 20])
write("bad-no-iend.png", png(4, 3, end=False))
crc = bytearray(good)
crc[29] ^= 0x55  # inside IHDR's CRC
write("bad-crc.png", bytes(crc))
write("bad-zero-width.png", png(0, 3, idat=zlib.compress(b"\x00" * 3)))
write("bad-huge.png", png(100000, 100000, idat=zlib.compress(b"\x00" * 64)))
write("bad-huge-8193.png", png(8193, 1, idat=zlib.compress(b"\x00" * 64)))
write("bad-depth.png", png(4, 3, color_type=6, depth=3))
write("bad-palette-missing.png", png(3, 1, color_type=3, rows=b"\x00\x00\x01\x02"))
write("bad-idat-garbage.png", png(4, 3, idat=b"this is not a zlib stream at all"))
write("bad-idat-short.png", png(4, 3, idat=zlib.compress(b"\x00" * 10)))
write("bad-length-overflow.png", good[:33] + b"\xff\xff\xff\xf0IDAT" + good[41:])
write("bad-no-idat.png", b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 3, 8, 6, 0, 0, 0)) +
      chunk(b"IEND", b""))
write("bad-filter-type.png", png(2, 2, rows=b"\x07" + b"\x00" * 8 + b"\x00" + b"\x00" * 8))
