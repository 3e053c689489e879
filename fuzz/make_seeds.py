#!/usr/bin/env python3
"""Writes the small seed inputs of the fuzz targets that need no encoder:
BMP, TGA, PNG, parameter tracks, packet streams and timelines. The JPEG seeds
were written once with libjpeg at quality 75: 4:4:4, 4:2:0 at an odd size,
greyscale, progressive, and with restart markers.
Run from anywhere; files land in corpus/<target>/."""
import os
import struct
import zlib

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(target, name, data):
    os.makedirs(os.path.join(here, target), exist_ok=True)
    with open(os.path.join(here, target, name), "wb") as f:
        f.write(data)


def bmp(width, height, size_image, colours=0):
    stride = (width * 3 + 3) & ~3
    pixels = bytes((x * 40 + y * 7) & 255 for y in range(height) for x in range(stride))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels) if size_image else 0, 0, 0, colours, 0)
    palette = bytes(colours)
    head = b"BM" + struct.pack("<IHHI", 54 + colours + len(pixels), 0, 0, 54 + colours)
    return head + info + palette + pixels


def tga(kind, width, height, depth, descriptor=0, ident=b""):
    head = struct.pack("<BBBHHBHHHHBB", len(ident), 0, kind, 0, 0, 0, 0, 0, width, height, depth, descriptor)
    bpp = depth // 8
    if kind == 2:
        body = bytes((k * 13) & 255 for k in range(width * height * bpp))
    else:  # one run packet, then raw packets of one pixel
        body = bytes([128 + 2]) + bytes(range(bpp))
        for k in range(width * height - 3):
            body += bytes([0]) + bytes((k + j) & 255 for j in range(bpp))
    return head + ident + body


def png(width, height, colour, depth, palette=b"", interlace=0):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    row = (width * channels * depth + 7) // 8
    raw = b"".join(b"\x00" + bytes((x * 37 + y * 11) & 255 for x in range(row)) for y in range(height))
    head = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    body = chunk(b"IHDR", head) + (chunk(b"PLTE", palette) if palette else b"")
    return b"\x89PNG\r\n\x1a\n" + body + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def track(channels, samples, rate, cut=0):
    data = struct.pack("<iii", channels, samples, rate)
    for c in range(channels):
        for k in range(samples):
            data += struct.pack("<f", float("nan") if k % 5 == 4 else c + k / 8)
    return data[: len(data) - cut]


def packet(values):
    return struct.pack("<i", len(values)) + b"".join(struct.pack("<f", v) for v in values)


write("bmp", "2x2.bmp", bmp(2, 2, True))
write("bmp", "3x2-nosize.bmp", bmp(3, 2, False))
write("bmp", "5x1-palette.bmp", bmp(5, 1, True, colours=8))
write("tga", "raw24.tga", tga(2, 3, 2, 24))
write("tga", "raw32-top.tga", tga(2, 2, 2, 32, descriptor=0x28))
write("tga", "rle24-id.tga", tga(10, 4, 2, 24, ident=b"vemla"))
write("tga", "rle32.tga", tga(10, 3, 3, 32))
write("png", "rgb.png", png(3, 2, 2, 8))
write("png", "grey-alpha.png", png(2, 2, 4, 8))
write("png", "rgba16.png", png(2, 1, 6, 16))
write("png", "palette.png", png(4, 2, 3, 2, palette=bytes(range(12))))
write("track", "one.vrk", track(1, 1, 60))
write("track", "three.vrk", track(3, 20, 157))
write("track", "cut.vrk", track(2, 8, 120, cut=6))
write("track", "norate.vrk", track(11, 4, 0))
# Packets: the first byte is the number of piece sizes that follow it.
stream = packet([0.5, 1.0]) + packet([]) + packet([float("nan")] * 11)
write("packets", "whole", bytes([0]) + stream)
write("packets", "pieces", bytes([3, 1, 5, 2]) + stream)
write("packets", "resync", bytes([1, 7]) + struct.pack("<i", 65) + struct.pack("<i", -1) + packet([2.0]) + b"\x03\x00")
write("timeline", "keys.timeline", b"channel 0\n0 1 linear\n0:1 0 smooth\n1:2:3 off\n")
write("timeline", "repeat.timeline",
      b"# a comment\nchannel 3 flashes\nrepeat 4 every 0:1 from 2\n  0 0.5 linear\n  0:0:8 off\nend\n95:3:15 -2.5e3\n")
write("timeline", "error.timeline", b"channel 1\n2 1\n1 0\n")
write("timeline", "project.timeline",
      b"tempo 120 rows 8\nlength 16\nmusic song.ogg\nmark 1 drop\ntrack camera:rot.y\n0 1 ramp\n0:1:3 2 smooth\ntrack fade\n")


# A demo's sync stream: the first byte is the number of piece sizes that follow it.
def get_track(name):
    return b"\x02" + struct.pack(">I", len(name)) + name


def set_row(row):
    return b"\x03" + struct.pack(">i", row)


hello = b"hello, synctracker!"
demo = hello + get_track(b"camera:rot.y") + get_track(b"kick") + set_row(12) + set_row(-1) + get_track(b"k2")
write("sync", "whole", bytes([0]) + demo)
write("sync", "pieces", bytes([4, 1, 7, 0, 3]) + demo)
write("sync", "bad-greeting", bytes([0]) + b"hello, synctracker?")
write("sync", "unknown", bytes([1, 2]) + hello + set_row(5) + b"\x07")
write("sync", "long-name", bytes([0]) + hello + b"\x02" + struct.pack(">I", 50) + b"ab")
write("sync", "absurd-length", bytes([0]) + hello + b"\x02\xff\xff\xff\xf0")
write("rocket", "original.rocket", b"""<?xml version="1.0" encoding="utf-8"?>
<sync rows="128">
  <tracks>
    <track name="cam.x">
      <key row="0" value="-1" interpolation="3"/>
      <key row="16" value="2.5" interpolation="1"/>
      <key row="40" value="0.125" interpolation="2"/>
      <key row="64" value="7" interpolation="0"/>
    </track>
    <track name="flash"><key row="3" value="nan" interpolation="1"/></track>
  </tracks>
  <bookmarks><bookmark row="32"/></bookmarks>
</sync>
""")
write("rocket", "other.rocket", b"""<?xml version="1.0" encoding="utf-8"?>
<tracks rows="1000" rowsPerBeat="8" beatsPerMin="125" musicFilename="tune.ogg">
  <bookmark row="64" name="drop"/>
  <track name="camera:rot.y" muted="1"><key row="0" value="0" interpolation="2"/></track>
  <group name="fx"><track name="glow"><key row="999" value="1e-05" interpolation="1"/></track></group>
</tracks>
""")
write("rocket", "faults.rocket", b"""<tracks rows="10">
<track name="a"><key row="12" value="x" interpolation="9"/></track>
</tracks>
""")
