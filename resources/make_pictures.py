#!/usr/bin/env python3
"""Writes the program's pictures from the text below.

The glyphs of the main window's and the build dialog's buttons, lists and
drives are 16 x 16 pixel art in the sixteen classic colours, each drawn
again at 32 x 32 for screens of twice the density (NAME@2x.png, which the
program picks by the screen's pixel ratio); the greyed twins of the
buttons' glyphs are derived by one rule, never drawn by hand. The
program's icon is drawn twice: as hand-placed pixels at 16 and 32 (small
sizes need every pixel placed) and as polygons, from which the scalable
zorvak.svg and the 48, 64, 96 and 256 pixel pictures are made; the 32
pixel drawing is also the 16 pixel icon's twin at twice the density.

Only the standard library is used, so anyone can run it:
    python3 resources/make_pictures.py            # rewrite the pictures
    python3 resources/make_pictures.py --check    # fail if any is stale
    python3 resources/make_pictures.py --preview DIR   # enlarged views
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The sixteen classic colours, one character each; "." is transparent.
VGA = {
    "K": (0x00, 0x00, 0x00),  # black
    "M": (0x80, 0x00, 0x00),  # maroon
    "G": (0x00, 0x80, 0x00),  # green
    "O": (0x80, 0x80, 0x00),  # olive
    "N": (0x00, 0x00, 0x80),  # navy
    "P": (0x80, 0x00, 0x80),  # purple
    "T": (0x00, 0x80, 0x80),  # teal
    "D": (0x80, 0x80, 0x80),  # gray (dark)
    "S": (0xC0, 0xC0, 0xC0),  # silver
    "R": (0xFF, 0x00, 0x00),  # red
    "L": (0x00, 0xFF, 0x00),  # lime
    "Y": (0xFF, 0xFF, 0x00),  # yellow
    "B": (0x00, 0x00, 0xFF),  # blue
    "F": (0xFF, 0x00, 0xFF),  # fuchsia
    "A": (0x00, 0xFF, 0xFF),  # aqua
    "W": (0xFF, 0xFF, 0xFF),  # white
}
VGA_ORDER = "KMGONPTDSRLYBFAW"

# ---------------------------------------------------------------------------
# PNG writing

def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_indexed(width, height, rows, palette, transparent):
    """rows: lists of palette indices; index `transparent` is see-through."""
    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    trns = bytes(0 if i == transparent else 255 for i in range(len(palette)))
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
            + _chunk(b"PLTE", b"".join(bytes(c) for c in palette))
            + _chunk(b"tRNS", trns)
            + _chunk(b"IDAT", zlib.compress(raw, 9))
            + _chunk(b"IEND", b""))


def png_rgba(width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in r) for r in pixels)
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + _chunk(b"IDAT", zlib.compress(raw, 9))
            + _chunk(b"IEND", b""))


def grid_to_png(grid, colours):
    """A character grid to an indexed PNG; colours maps characters to RGB."""
    keys = [k for k in VGA_ORDER if k in colours] + sorted(k for k in colours if k not in VGA_ORDER)
    palette = [(0, 0, 0)] + [colours[k] for k in keys]
    index = {k: i + 1 for i, k in enumerate(keys)}
    index["."] = 0
    rows = [[index[c] for c in line] for line in grid]
    return png_indexed(len(grid[0]), len(grid), rows, palette, 0)


def grid_to_rgba(grid, colours):
    return [[(0, 0, 0, 0) if c == "." else colours[c] + (255,) for c in line] for line in grid]


# ---------------------------------------------------------------------------
# The greyed state: the classic disabled look. Every dark pixel of the normal
# picture becomes gray, with a white copy of it one pixel down and right
# underneath; light pixels (the paper, the highlights) drop out, so what is
# left is the etched outline of the shape.

def is_ink(c):
    if c == ".":
        return False
    r, g, b = VGA[c]
    return (r * 30 + g * 59 + b * 11) // 100 < 0xC0


def greyed(grid):
    h, w = len(grid), len(grid[0])
    out = [["."] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if is_ink(grid[y][x]) and x + 1 < w and y + 1 < h:
                out[y + 1][x + 1] = "W"
    for y in range(h):
        for x in range(w):
            if is_ink(grid[y][x]):
                out[y][x] = "D"
    return ["".join(r) for r in out]


# ---------------------------------------------------------------------------
# The glyphs, 16 x 16. The last row and column stay mostly free so that the
# greyed twin's white copy is not cut off.

GLYPHS = {}

# Extract: a page goes down the arrow into an open folder.
GLYPHS["extract"] = [
    "..........LGG...",
    "..KKKKK...LGG...",
    "..KWWWKK..LGG...",
    "..KWWWKWK.LGG...",
    ".OKWWWKKK.LGG...",
    "OYKWDDDWLLLGGGG.",
    "OYKWWWWWKLLGGG..",
    "OYKWDDDWK.LGG...",
    "OYKWWWWWKOOGOOO.",
    "OYKKKKKKKKKKKKKK",
    "OYKYYYYYYYYYYYK.",
    "OKYYYYYYYYYYYYK.",
    "OKYYYYYYYYYYYK..",
    "KYYYYYYYYYYYYK..",
    "KKKKKKKKKKKKKK..",
    "................",
]

# Extract All: a stack of pages down the same arrow into the folder.
GLYPHS["extractall"] = [
    "KKKKKKK...LGG...",
    "KWWWWWK...LGG...",
    "KWKKKKK...LGG...",
    "KWKWWWKK..LGG...",
    "KWKWWWKWK.LGG...",
    "KWKWWWKKLLLGGGG.",
    "KWKWDDDWKLLGGG..",
    "KWKWWWWWK.LGG...",
    "KWKWDDDWKOOGOOO.",
    "KKKKKKKKKKKKKKKK",
    "OYKYYYYYYYYYYYK.",
    "OKYYYYYYYYYYYYK.",
    "OKYYYYYYYYYYYK..",
    "KYYYYYYYYYYYYK..",
    "KKKKKKKKKKKKKK..",
    "................",
]

# Play: a loudspeaker sending out sound waves.
GLYPHS["play"] = [
    "................",
    ".....K......B...",
    "....KK.......B..",
    "...KWK...B...B..",
    "..KWSK....B...B.",
    "KKWSSK.B..B...B.",
    "KWWSSK..B..B..B.",
    "KWSSSK..B..B..B.",
    "KWSSSK..B..B..B.",
    "KKDDSK.B..B...B.",
    "..KDDK....B...B.",
    "...KDK...B...B..",
    "....KK.......B..",
    ".....K......B...",
    "................",
    "................",
]

# Build PAK: a stack of pages goes down the arrow into a wooden box.
GLYPHS["build"] = [
    "KKKKKKK...LGG...",
    "KWWWWWK...LGG...",
    "KWKKKKK...LGG...",
    "KWKWWWKK..LGG...",
    "KWKWWWKWK.LGG...",
    "KWKWWWKKLLLGGGG.",
    "KWKWDDDWKLLGGGK.",
    "KWKWWWWWKMLGGKK.",
    "KWKWDDDWKMMGKOK.",
    "KKKKKKKKKKKKOOK.",
    "KYYYYYYYYYYKOOK.",
    "KOOOOOOOOOOKOOK.",
    "KYYYYYYYYYYKOK..",
    "KYYYYYYYYYYKK...",
    "KKKKKKKKKKKK....",
    "................",
]


# The build dialog's glyphs: its buttons, the levels of its directory list
# and the kinds of volume its drive selector shows.

# Build PAK in the build dialog: three folders joined by tree lines.
GLYPHS["dialog-build"] = [
    "................",
    "..KKK...........",
    ".KYYYKKKK.......",
    ".KWYYYYYK.......",
    ".KYYYYYYK.......",
    ".KKKKKKKK.......",
    "...K....KKK.....",
    "...K...KYYYKKKK.",
    "...KKKKKWYYYYYK.",
    "...K...KYYYYYYK.",
    "...K...KKKKKKKK.",
    "...K............",
    "...K....KKK.....",
    "...K...KYYYKKKK.",
    "...KKKKKWYYYYYK.",
    ".......KKKKKKKK.",
]

# Close: an open door in its frame, the way out.
GLYPHS["dialog-close"] = [
    "................",
    "......KKKKKKKK..",
    ".....KKSSSSSSK..",
    "....KMKSNNNNSK..",
    "...KMMKSNNNNSK..",
    "..KMMMKSNNNNSK..",
    "..KMMMKSNNNNSK..",
    "..KMMMKSNNNNSK..",
    "..KYMMKSNNNNSK..",
    "..KMMMKSNNNNSK..",
    "..KMMMKSNNNNSK..",
    "..KMMMKSNNNNSK..",
    "..KMMMKSNNNNSK..",
    "..KMMMKSSSSSSK..",
    "...KMMKKKKKKKK..",
    "....KKK.........",
]

# A closed folder, for the levels above the current directory.
GLYPHS["folder-closed"] = [
    "................",
    "................",
    "................",
    "..KKKKK.........",
    ".KWYYYYK........",
    ".KYYYYYYKKKKKKK.",
    ".KWWWWWWWWWWWWYK",
    ".KWYYYYYYYYYYYYK",
    ".KWYYYYYYYYYYYYK",
    ".KWYYYYYYYYYYYYK",
    ".KWYYYYYYYYYYYYK",
    ".KWYYYYYYYYYYYYK",
    ".KYYYYYYYYYYYYYK",
    ".KKKKKKKKKKKKKKK",
    "................",
    "................",
]

# An open folder, for the current directory and those below.
GLYPHS["folder-open"] = [
    "................",
    "................",
    "................",
    "..KKKKK.........",
    ".KWYYYYK........",
    ".KYYYYYYKKKKKK..",
    ".KYYYYYYYYYYYK..",
    ".KYYYKKKKKKKKKKK",
    ".KYYKWWWWWWWWWYK",
    ".KYYKWYYYYYYYYK.",
    ".KYKWYYYYYYYYYK.",
    ".KYKWYYYYYYYYK..",
    ".KKWYYYYYYYYYK..",
    ".KKKKKKKKKKKKK..",
    "................",
    "................",
]

# A fixed disk.
GLYPHS["drive-fixed"] = [
    "................",
    "................",
    "................",
    "................",
    "...KKKKKKKKKKK..",
    "..KWWWWWWWWWWDK.",
    ".KWSSSSSSSSSDK.K",
    ".KWWWWWWWWWWWKDK",
    ".KSSSSSSSSSSSKDK",
    ".KSSSSSSSSLGSKDK",
    ".KSSSSSSSSSSSKK.",
    ".KKKKKKKKKKKKK..",
    "................",
    "................",
    "................",
    "................",
]

# A removable disk.
GLYPHS["drive-removable"] = [
    "................",
    "................",
    "................",
    "...KKKKKKKKKKK..",
    "..KWWWWWWWWWWDK.",
    ".KWSSSSSSSSSDKDK",
    ".KWWWWWWWWWWWKDK",
    ".KSSSKKKKKSSSKDK",
    ".KSSSKDDDKSSSKDK",
    ".KSSSSKKKKSGSKDK",
    ".KSSSSSSSSSSSKK.",
    ".KKKKKKKKKKKKK..",
    "................",
    "................",
    "................",
    "................",
]

# An optical disc.
GLYPHS["drive-cdrom"] = [
    "................",
    ".....KKKKKK.....",
    "...KKWWWWSSAKK..",
    "..KWWWWWWSAAADK.",
    ".KWWWWWWSAAAADK.",
    ".KWWWWWWSAAAADDK",
    "KWWWWWSKKKSAADDK",
    "KWWWWSK...KSDDK.",
    "KWWWWSK...KSDDK.",
    "KWWWWWSKKKSDDDK.",
    ".KWWWWWWSDDDDK..",
    ".KWWWWWSDDDDDDK.",
    "..KWWWWSDDDDDK..",
    "...KKWSSDDDKK...",
    ".....KKKKKK.....",
    "................",
]

# A disk on the network.
GLYPHS["drive-network"] = [
    "................",
    "................",
    "...KKKKKKKKKKK..",
    "..KWWWWWWWWWWDK.",
    ".KWSSSSSSSSSDKDK",
    ".KWWWWWWWWWWWKDK",
    ".KSSSSSSSSSLSKDK",
    ".KKKKKKKKKKKKKK.",
    "......KK........",
    "......KK........",
    "......KK........",
    "..KKKKKKKKKKKK..",
    "..K..........K..",
    ".KKK........KKK.",
    ".KGK........KGK.",
    ".KKK........KKK.",
]

# A disk in memory.
GLYPHS["drive-ram"] = [
    "................",
    "................",
    "...K.K.K.K.K....",
    "...K.K.K.K.K....",
    "..KKKKKKKKKKK...",
    "..KGGGGGGGGGLK..",
    "..KGKKKGKKKGKK..",
    "..KGKKKGKKKGKK..",
    "..KGGGGGGGGGGK..",
    "..KKKKKKKKKKKK..",
    "...K.K.K.K.K....",
    "...K.K.K.K.K....",
    "................",
    "................",
    "................",
    "................",
]

# Glyphs without a greyed twin: they are never shown disabled.
PLAIN = {"folder-closed", "folder-open", "drive-fixed", "drive-removable", "drive-cdrom", "drive-network", "drive-ram"}

# ---------------------------------------------------------------------------
# The same glyphs at 32 x 32, for screens of twice the pixel density: drawn
# again with the finer pixels (one-pixel outlines, rounder curves, more lines
# on the pages), in the same colours and covering the same shape. The greyed
# twins follow by the same rule, the white copy one of these pixels down and
# right.

GLYPHS2 = {}

# Extract: the page, the arrow and the open folder, with ruled lines and a
# turned-down corner.
GLYPHS2["extract"] = [
    "....................LLGGGG......",
    "....................LLGGGG......",
    "....KKKKKKKKK.......LLGGGG......",
    "....KWWWWWWWKK......LLGGGG......",
    "....KWWWWWWWKWK.....LLGGGG......",
    "....KWWWWWWWKWWK....LLGGGG......",
    "....KWWWWWWWKWWWK...LLGGGG......",
    "....KWWWWWWWKKKKKK..LLGGGG......",
    ".OOOKWWWWWWWWWWWWK..LLGGGG......",
    ".OYYKWWDDDDDWWWWWK..LLGGGG......",
    "OYYYKWWWWWWWWWWWLLLLLLGGGGGGGG..",
    "OYYYKWWWWWWWWWWWWLLLLLGGGGGGG...",
    "OYYYKWWDDDDDDDDDWKLLLLGGGGGG....",
    "OYYYKWWWWWWWWWWWWK.LLLGGGGG.....",
    "OYYYKWWWWWWWWWWWWK..LLGGGG......",
    "OYYYKWWDDDDDDDDDWK...LGGG.......",
    "OYYYKWWWWWWWWWWWWKOOOOGGOOOOOO..",
    "OYYYKWWWWWWWWWWWWKOOOOGGOOOOOO..",
    "OYYYKKKKKKKKKKKKKKKKKKKKKKKKKKKK",
    "OYYYKYYYYYYYYYYYYYYYYYYYYYYYYYK.",
    "OYYYKYWWWWWWWWWWWWWWWWWWWWWWWYK.",
    "OYYKYYYYYYYYYYYYYYYYYYYYYYYYYYK.",
    "OYYKYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OYKYYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OYKYYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OKYYYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OKYYYYYYYYYYYYYYYYYYYYYYYYYYK...",
    "KYYYYYYYYYYYYYYYYYYYYYYYYYYYK...",
    "KYYYYYYYYYYYYYYYYYYYYYYYYYYYK...",
    "KKKKKKKKKKKKKKKKKKKKKKKKKKKKK...",
    "................................",
    "................................",
]

# Extract All: the stack of pages over the same arrow and folder.
GLYPHS2["extractall"] = [
    "KKKKKKKKKKKKKK......LLGGGG......",
    "KWWWWWWWWWWWWK......LLGGGG......",
    "KWWWWWWWWWWWWK......LLGGGG......",
    "KWWWWWWWWWWWWK......LLGGGG......",
    "KWWWKKKKKKKKK.......LLGGGG......",
    "KWWWKWWWWWWWKK......LLGGGG......",
    "KWWWKWWWWWWWKWK.....LLGGGG......",
    "KWWWKWWWWWWWKWWK....LLGGGG......",
    "KWWWKWWWWWWWKWWWK...LLGGGG......",
    "KWWWKWWWWWWWKKKKKK..LLGGGG......",
    "KWWWKWWWWWWWWWWWLLLLLLGGGGGGGG..",
    "KWWWKWWDDDDDWWWWWLLLLLGGGGGGG...",
    "KWWWKWWWWWWWWWWWWKLLLLGGGGGG....",
    "KWWWKWWWWWWWWWWWWK.LLLGGGGG.....",
    "KWWWKWWDDDDDDDDDWK..LLGGGG......",
    "KWWWKWWWWWWWWWWWWK...LGGG.......",
    "KWWWKWWWWWWWWWWWWKOOOOGGOOOOOO..",
    "KWWWKWWWWWWWWWWWWKOOOOGGOOOOOO..",
    "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK",
    "OYYYKYYYYYYYYYYYYYYYYYYYYYYYYYK.",
    "OYYYKYWWWWWWWWWWWWWWWWWWWWWWWYK.",
    "OYYKYYYYYYYYYYYYYYYYYYYYYYYYYYK.",
    "OYYKYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OYKYYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OYKYYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OKYYYYYYYYYYYYYYYYYYYYYYYYYYYK..",
    "OKYYYYYYYYYYYYYYYYYYYYYYYYYYK...",
    "KYYYYYYYYYYYYYYYYYYYYYYYYYYYK...",
    "KYYYYYYYYYYYYYYYYYYYYYYYYYYYK...",
    "KKKKKKKKKKKKKKKKKKKKKKKKKKKKK...",
    "................................",
    "................................",
]

# Play: the loudspeaker with rounded sound waves.
GLYPHS2["play"] = [
    "................................",
    "................................",
    "...........K...........B........",
    "...........K...........BB.......",
    "..........KK............BB......",
    ".........KWK.............BB.....",
    ".........KWK......B......BB.....",
    "........KWWK......BB......BB....",
    ".......KWWSK.......BB.....BB....",
    "......KWWSSK........B......B....",
    "KKKKKKKSSSSK.BB.....BB.....BB...",
    "KWWWWWWWWWWK.BBB.....B.....BB...",
    "KWWWWWWWWWWK..BB.....BB.....B...",
    "KWWSSSSSSSSK...BB....BB.....B...",
    "KWWSSSSSSSSK...BB....BB.....B...",
    "KWWSSSSSSSSK...BB....BB.....B...",
    "KWWSSSSSSSSK...BB....BB.....B...",
    "KDDDDDDSSSSK..BB.....BB.....B...",
    "KDDDDDDSSSSK.BBB.....B.....BB...",
    "KKKKKKKSSSSK.BB.....BB.....BB...",
    "......KDDSSK........B......B....",
    "......KDDSSK.......BB.....BB....",
    ".......KDDSK......BB......BB....",
    "........KDDK......B......BB.....",
    "........KDDK.............BB.....",
    ".........KDK............BB......",
    "..........KK...........BB.......",
    "...........K...........B........",
    "................................",
    "................................",
    "................................",
    "................................",
]

# Build PAK: the stack of pages down the arrow into the crate of planks.
GLYPHS2["build"] = [
    "KKKKKKKKKKKKKK......LLGGGG......",
    "KWWWWWWWWWWWWK......LLGGGG......",
    "KWWWWWWWWWWWWK......LLGGGG......",
    "KWWWWWWWWWWWWK......LLGGGG......",
    "KWWWKKKKKKKKK.......LLGGGG......",
    "KWWWKWWWWWWWKK......LLGGGG......",
    "KWWWKWWWWWWWKWK.....LLGGGG......",
    "KWWWKWWWWWWWKWWK....LLGGGG......",
    "KWWWKWWWWWWWKWWWK...LLGGGG......",
    "KWWWKWWWWWWWKKKKKK..LLGGGG......",
    "KWWWKWWWWWWWWWWWLLLLLLGGGGGGGG..",
    "KWWWKWWDDDDDWWWWWLLLLLGGGGGGG...",
    "KWWWKWWWWWWWWWWWWKLLLLGGGGGG....",
    "KWWWKWWWWWWWWWWWWKMLLLGGGGGMMK..",
    "KWWWKWWDDDDDDDDDWKMMLLGGGGMMKK..",
    "KWWWKWWWWWWWWWWWWKMMMLGGGMMKOK..",
    "KWWWKWWWWWWWWWWWWKMMMMGGMMKOOK..",
    "KWWWKWWWWWWWWWWWWKMMMMGGMKOOOK..",
    "KKKKKKKKKKKKKKKKKKKKKKKKKOOOOK..",
    "KWWWWWWWWWWWWWWWWWWWWWWKOOOOOK..",
    "KYYYYYYYYYYYYYYYYYYYYYYKOOOOOK..",
    "KYYYYYYYYYYYYYYYYYYYYYYKOOOOOK..",
    "KYYYYYYYYYYYYYYYYYYYYYYKOOOOOK..",
    "KOOOOOOOOOOOOOOOOOOOOOOKOOOOOK..",
    "KMMMMMMMMMMMMMMMMMMMMMMKOOOOOK..",
    "KYYYYYYYYYYYYYYYYYYYYYYKOOOOK...",
    "KYYYYYYYYYYYYYYYYYYYYYYKOOOK....",
    "KYYYYYYYYYYYYYYYYYYYYYYKOOK.....",
    "KYYYYYYYYYYYYYYYYYYYYYYKOK......",
    "KKKKKKKKKKKKKKKKKKKKKKKKK.......",
    "................................",
    "................................",
]

# Build PAK in the build dialog: the three folders and their tree lines.
GLYPHS2["dialog-build"] = [
    "................................",
    "................................",
    "....KKKKK.......................",
    "...KYYYYYK......................",
    "..KWWWWYYKKKKKKKK...............",
    "..KWYYYYYYYYYYYYK...............",
    "..KWYYYYYYYYYYYYK...............",
    "..KWYYYYYYYYYYYYK...............",
    "..KWYYYYYYYYYYYYK...............",
    "..KWYYYYYYYYYYYYK...............",
    "..KWYYYYYYYYYYYYK...............",
    "..KKKKKKKKKKKKKKK...............",
    "......K..........KKKKK..........",
    "......K.........KYYYYYK.........",
    "......K........KWWWWYYKKKKKKKK..",
    "......K........KWYYYYYYYYYYYYK..",
    "......K........KWYYYYYYYYYYYYK..",
    "......KKKKKKKKKKWYYYYYYYYYYYYK..",
    "......K........KWYYYYYYYYYYYYK..",
    "......K........KWYYYYYYYYYYYYK..",
    "......K........KWYYYYYYYYYYYYK..",
    "......K........KKKKKKKKKKKKKKK..",
    "......K.........................",
    "......K..........KKKKK..........",
    "......K.........KYYYYYK.........",
    "......K........KWWWWYYKKKKKKKK..",
    "......K........KWYYYYYYYYYYYYK..",
    "......K........KWYYYYYYYYYYYYK..",
    "......KKKKKKKKKKWYYYYYYYYYYYYK..",
    "...............KWYYYYYYYYYYYYK..",
    "...............KWYYYYYYYYYYYYK..",
    "...............KKKKKKKKKKKKKKK..",
]

# Close: the open door with its knob, the frame and the dark way out.
GLYPHS2["dialog-close"] = [
    "................................",
    "................................",
    ".............KKKKKKKKKKKKKKK....",
    "............KKSSSSSSSSSSSSSK....",
    "...........KKKSSSSSSSSSSSSSK....",
    "..........KMKKSDDDDDDDDDDSSK....",
    "........KKMMKKSDNNNNNNNNNSSK....",
    ".......KMMMMKKSDNNNNNNNNNSSK....",
    "......KMMMMMKKSDNNNNNNNNNSSK....",
    ".....KMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMYWMMMMKKSDNNNNNNNNNSSK....",
    "....KMYMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSDNNNNNNNNNSSK....",
    "....KMMMMMMMKKSSSSSSSSSSSSSK....",
    "....KMMMMMMMKKSSSSSSSSSSSSSK....",
    "....KMMMMMMMKKKKKKKKKKKKKKKK....",
    "....KKKKKMMMKK..................",
    ".........KKKKK..................",
    ".............K..................",
]

# A closed folder.
GLYPHS2["folder-closed"] = [
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "....KKKKKKKKK...................",
    "...KWWWWWWWWYK..................",
    "..KWYYYYYYYYYYK.................",
    "..KWYYYYYYYYYYYK................",
    "..KWYYYYYYYYYYYYKKKKKKKKKKKKKKK.",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYYK",
    "..KWWWWWWWWWWWWWWWWWWWWWWWWWWWOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYYYYOK",
    "..KYOOOOOOOOOOOOOOOOOOOOOOOOOOOK",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK",
    "................................",
    "................................",
    "................................",
    "................................",
]

# An open folder, its front lying forward.
GLYPHS2["folder-open"] = [
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "....KKKKKKKKK...................",
    "...KWWWWWWWWYK..................",
    "..KWYYYYYYYYYYK.................",
    "..KWYYYYYYYYYYYK................",
    "..KWYYYYYYYYYYYYKKKKKKKKKKK.....",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYK....",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYK....",
    "..KWYYYYYYYYYYYYYYYYYYYYYYYK....",
    "..KWYYYYYKKKKKKKKKKKKKKKKKKKKKKK",
    "..KWYYYYYKWWWWWWWWWWWWWWWWWWWWWK",
    "..KWYYYYKYWYYYYYYYYYYYYYYYYYYYYK",
    "..KWYYYYKWYYYYYYYYYYYYYYYYYYYYK.",
    "..KWYYYKYWYYYYYYYYYYYYYYYYYYYYK.",
    "..KWYYYKWYYYYYYYYYYYYYYYYYYYYYK.",
    "..KWYYKYWYYYYYYYYYYYYYYYYYYYYK..",
    "..KWYYKWYYYYYYYYYYYYYYYYYYYYYK..",
    "..KWYKYWYYYYYYYYYYYYYYYYYYYYK...",
    "..KWYKWYYYYYYYYYYYYYYYYYYYYYK...",
    "..KWKYWYYYYYYYYYYYYYYYYYYYYYK...",
    "..KWKWYYYYYYYYYYYYYYYYYYYYYK....",
    "..KKYYYYYYYYYYYYYYYYYYYYYYYK....",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKK....",
    "................................",
    "................................",
    "................................",
    "................................",
]

# A fixed disk.
GLYPHS2["drive-fixed"] = [
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "......KKKKKKKKKKKKKKKKKKKKKK....",
    "......WWWWWWWWWWWWWWWWWWWWWKK...",
    ".....KWSSSSSSSSSSSSSSSSSSSSKDK..",
    "....KWSSSSSSSSSSSSSSSSSSSSSKDDK.",
    "...KWSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    "..KWSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWWWWWWWWWWWWWWWWWWWWWWWWWKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSLLGGSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSDDDDSSSKDDK.",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDK..",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKK...",
    ".KKKKKKKKKKKKKKKKKKKKKKKKKKK....",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]

# A removable disk, its slot and lip.
GLYPHS2["drive-removable"] = [
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "......KKKKKKKKKKKKKKKKKKKKKK....",
    "......WWWWWWWWWWWWWWWWWWWWWKK...",
    ".....KWSSSSSSSSSSSSSSSSSSSSKDK..",
    "....KWSSSSSSSSSSSSSSSSSSSSSKDDK.",
    "...KWSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    "..KWSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWWWWWWWWWWWWWWWWWWWWWWWWWKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWSSSSSSSKKKKKKKKKKSSSSSSSKDDDK",
    ".KWSSSSSSSKKKKKKKKKKSSSSSSSKDDDK",
    ".KWSSSSSSSKDDDDDDDDKSSSSSSSKDDDK",
    ".KWSSSSSSSKDDDDDDDDKSSSSSSSKDDDK",
    ".KWSSSSSSSKKKKKKKKKKSSSSSSSKDDDK",
    ".KWSSSSSSSSSKKKKKKKKSSGGSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSDDSSSKDDK.",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDK..",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKK...",
    ".KKKKKKKKKKKKKKKKKKKKKKKKKKK....",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]

# An optical disc: its hub, the light on it and its shadow.
GLYPHS2["drive-cdrom"] = [
    "................................",
    "..............KKKK..............",
    "..........KKKKKKKKKKKK..........",
    "........KKKWWWWWSSSAAKKK........",
    ".......KKWWWWWWWSSAAAAAKK.......",
    "......KKWWWWWWWWSSAAAAAAKK......",
    ".....KKWWWWWWWWWSSAAAAAAAKK.....",
    "....KKWWWWWWWWWWSSAAAAAAAAKK....",
    "...KKWWWWWWWWWWWSSAAAAAAAAAKK...",
    "...KWWWWWWWWWWWWSAAAAAAAAAAAK...",
    "..KKWWWWWWWWWWSSSSAAAAAAAAAAKK..",
    "..KWWWWWWWWWSSSSSSSSAAAAAAASSK..",
    "..KWWWWWWWWSSKKKKKKSSAAAASSSSK..",
    "..KWWWWWWWWSKK....KKSASSSSSSSK..",
    ".KKWWWWWWWSSK......KSSSSSSSSSKK.",
    ".KKWWWWWWWSSK......KSSDDDDDDDKK.",
    ".KKWWWWWWWSSK......KSSDDDDDDDKK.",
    ".KKWWWWWWWSSK......KSSDDDDDDDKK.",
    "..KWWWWWWWWSKK....KKSDDDDDDDDK..",
    "..KWWWWWWWWSSKKKKKKSSDDDDDDDDK..",
    "..KWWWWWWWWWSSSSSSSSDDDDDDDDDK..",
    "..KKWWWWWWWWWWSSSSDDDDDDDDDDKK..",
    "...KWWWWWWWWWWSDDDDDDDDDDDDDK...",
    "...KKWWWWWWWWWSDDDDDDDDDDDDKK...",
    "....KKWWWWWWWWSDDDDDDDDDDDKK....",
    ".....KKWWWWWWSSDDDDDDDDDDKK.....",
    "......KKWWWWWSSDDDDDDDDDKK......",
    ".......KKWWWWSSDDDDDDDDKK.......",
    "........KKKWWSSDDDDDDKKK........",
    "..........KKKKKKKKKKKK..........",
    "..............KKKK..............",
    "................................",
]

# A disk on the network, its cable running to two machines.
GLYPHS2["drive-network"] = [
    "................................",
    "................................",
    "................................",
    "................................",
    "......KKKKKKKKKKKKKKKKKKKKKK....",
    "......WWWWWWWWWWWWWWWWWWWWWKK...",
    ".....KWSSSSSSSSSSSSSSSSSSSSKDK..",
    "....KWSSSSSSSSSSSSSSSSSSSSSKDDK.",
    "...KWSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    "..KWSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWWWWWWWWWWWWWWWWWWWWWWWWWKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDDDK",
    ".KWSSSSSSSSSSSSSSSSSSSLLSSSKDDK.",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKDK..",
    ".KWSSSSSSSSSSSSSSSSSSSSSSSSKK...",
    ".KKKKKKKKKKKKKKKKKKKKKKKKKKK....",
    "............KK..................",
    "............KK..................",
    "............KK..................",
    "............KK..................",
    "............KK..................",
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
    "....KK....................KK....",
    "....KK....................KK....",
    ".KKKKKKKK..............KKKKKKKK.",
    ".KSSSSSSK..............KSSSSSSK.",
    ".KSLGGGSK..............KSLGGGSK.",
    ".KSGGGGSK..............KSGGGGSK.",
    ".KSSSSSSK..............KSSSSSSK.",
    ".KKKKKKKK..............KKKKKKKK.",
]

# A disk in memory: a module with its chips and a row of pins.
GLYPHS2["drive-ram"] = [
    "................................",
    "................................",
    "................................",
    "................................",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
    "....KLLLLLLLLLLLLLLLLLLLLLLK....",
    "....KGGGGGGGGGGGGGGGGGGGGGLK....",
    "....KGGKKKKKKKGGKKKKKKKGGGLK....",
    "....KGGKDDDDDKGGKDDDDDKGGGLK....",
    "....KGGKKKKKKKGGKKKKKKKGGGLK....",
    "....KGGKKKKKKKGGKKKKKKKGGGLK....",
    "....KGGKKKKKKKGGKKKKKKKGGGLK....",
    "....KGGKKKKKKKGGKKKKKKKGGGLK....",
    "....KGGGGGGGGGGGGGGGGGGGGGLK....",
    "....KGGGGGGGGGGGGGGGGGGGGGLK....",
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "......K.K.K.K.K.K.K.K.K.K.......",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]

# ---------------------------------------------------------------------------
# The program's icon: a wooden crate with a lightning rune burnt into it.

def _hex(s):
    return tuple(int(s[i:i + 2], 16) for i in (1, 3, 5))


WOOD = {k: _hex(v) for k, v in {
    "k": "#2a180b",  # outline
    "n": "#3a1600",  # the rune's burnt edge
    "d": "#4a2a12",  # seams on the front
    "s": "#3e2410",  # seams on the side
    "S": "#6b3f1d",  # side, in shadow
    "p": "#7d4c24",  # front panel
    "u": "#8a5a2a",  # seams on the lid
    "b": "#b77a3c",  # front frame
    "t": "#d29a57",  # lid, in the light
    "o": "#ffb021",  # rune, glowing edge
    "y": "#ffe866",  # rune, glowing core
}.items()}

ICON16 = [
    "................",
    ".....kkkkkkkkkkk",
    "....ktttttttttkk",
    "...kuuuuuuuuukSk",
    "..ktttttttttkSSk",
    ".kkkkkkkkkkkSSSk",
    ".kbbbbbbbbbkSSSk",
    ".kbdddyyodbkSSSk",
    ".kbdpyyoppbkSSsk",
    ".kbdpyyyopbkSsSk",
    ".kbdddyoddbksSSk",
    ".kbdpyopppbkSSSk",
    ".kbdpoppppbkSSk.",
    ".kbdopppppbkSk..",
    ".kbbbbbbbbbkk...",
    ".kkkkkkkkkkk....",
]

ICON32 = [
    "................................",
    "................................",
    "................................",
    ".........kkkkkkkkkkkkkkkkkkkkk..",
    "........ktttttttttttttttttttkk..",
    ".......ktttttttttttttttttttkSk..",
    "......kuuuuuuuuuuuuuuuuuuukSSk..",
    ".....ktttttttttttttttttttkSSSk..",
    "....ktttttttttttttttttttkSSSSk..",
    "...kuuuuuuuuuuuuuuuuuuukSSSSSk..",
    "..kkkkkkkkkkkkkkkkkkkkkSSSSSsk..",
    "..kbbbbbbbbbbbbbbbbbbbkSSSSsSk..",
    "..kbbbbbbbbbbbbbbbbbbbkSSSsSSk..",
    "..kbbddddddnnnnnnnddbbkSSsSSSk..",
    "..kbbdpppppnyyyyonppbbkSsSSSSk..",
    "..kbbdppppnnyyyonnppbbksSSSSsk..",
    "..kbbdddddnyyyyondddbbkSSSSsSk..",
    "..kbbdpppnnyyyonnpppbbkSSSsSSk..",
    "..kbbdpppnyyyyonnnppbbkSSsSSSk..",
    "..kbbdppnnyyyyyyonppbbkSsSSSSk..",
    "..kbbdddnoooyyyyonddbbksSSSSsk..",
    "..kbbdppnnnnyyyonnppbbkSSSSsSk..",
    "..kbbdppppnnyyonnpppbbkSSSsSSk..",
    "..kbbdppppnyyyonppppbbkSSsSSSk..",
    "..kbbdddddnyyonnddddbbkSsSSSk...",
    "..kbbdpppnnyonnpppppbbksSSSk....",
    "..kbbdpppnyyonppppppbbkSSSk.....",
    "..kbbdpppnyonnppppppbbkSSk......",
    "..kbbbbbbnonnbbbbbbbbbkSk.......",
    "..kbbbbbbnnnbbbbbbbbbbkk........",
    "..kkkkkkkkkkkkkkkkkkkkk.........",
    "................................",
]

# The same crate as shapes on a 256-unit square, for the scalable picture and
# the large sizes: ("fill", polygon, colour) or ("line", points, closed,
# width, colour). Lines have round joins and caps.
_FRONT = [(20, 84), (180, 84), (180, 244), (20, 244)]
_LID = [(20, 84), (76, 28), (236, 28), (180, 84)]
_SIDE = [(180, 84), (236, 28), (236, 188), (180, 244)]
_PANEL = [(42, 106), (158, 106), (158, 222), (42, 222)]
_BOLT = [(100, 110), (134, 110), (112, 150), (136, 150), (84, 224), (98, 168), (74, 168)]
_BOLT_CORE = [(104, 116), (126, 116), (104, 156), (124, 156), (96, 200), (104, 162), (84, 162)]

CRATE = [("fill", _FRONT, "#b77a3c"), ("fill", _PANEL, "#7d4c24")]
CRATE += [("line", [(42, y), (158, y)], False, 4, "#4a2a12") for y in (135, 164, 193)]
CRATE += [
    ("line", _PANEL, True, 4, "#4a2a12"),
    ("fill", _LID, "#d29a57"),
    ("line", [(20 + 56 / 3, 84 - 56 / 3), (180 + 56 / 3, 84 - 56 / 3)], False, 4, "#8a5a2a"),
    ("line", [(20 + 112 / 3, 84 - 112 / 3), (180 + 112 / 3, 84 - 112 / 3)], False, 4, "#8a5a2a"),
    ("fill", _SIDE, "#6b3f1d"),
]
CRATE += [("line", [(180, y), (236, y - 56)], False, 4, "#3e2410") for y in (124, 164, 204)]
CRATE += [
    ("line", _BOLT, True, 14, "#3a1600"),
    ("fill", _BOLT, "#ffb021"),
    ("fill", _BOLT_CORE, "#ffe866"),
    ("line", [(20, 84), (180, 84), (236, 28)], False, 5, "#2a180b"),
    ("line", [(180, 84), (180, 244)], False, 5, "#2a180b"),
    ("line", [(20, 84), (76, 28), (236, 28), (236, 188), (180, 244), (20, 244)], True, 9, "#2a180b"),
]


def _num(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def crate_svg():
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
           '  <title>Zorvak</title>']
    for shape in CRATE:
        if shape[0] == "fill":
            pts = " ".join(_num(x) + "," + _num(y) for x, y in shape[1])
            out.append('  <polygon points="%s" fill="%s"/>' % (pts, shape[2]))
        else:
            _, pts, closed, width, colour = shape
            pts = " ".join(_num(x) + "," + _num(y) for x, y in pts)
            out.append('  <%s points="%s" fill="none" stroke="%s" stroke-width="%s" '
                       'stroke-linejoin="round" stroke-linecap="round"/>'
                       % ("polygon" if closed else "polyline", pts, colour, _num(width)))
    out.append("</svg>")
    return ("\n".join(out) + "\n").encode("ascii")


# A small scan-line rasteriser for those shapes: exact coverage across each
# sub-scan-line, sixteen sub-scan-lines a pixel, nonzero winding so that the
# pieces of one line join without seams.

def _circle(cx, cy, r, n=24):
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n))
            for i in range(n)]


def _line_polygons(points, closed, width):
    pts = points + points[:1] if closed else points
    h = width / 2
    out = []
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        length = math.hypot(x1 - x0, y1 - y0) or 1.0
        nx, ny = -(y1 - y0) / length * h, (x1 - x0) / length * h
        out.append([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])
    out += [_circle(x, y, h) for x, y in points]
    return out


def _counter_clockwise(poly):
    area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]))
    return poly if area >= 0 else poly[::-1]


def _coverage(polygons, size, scale, sub=16):
    edges = []
    for poly in polygons:
        poly = _counter_clockwise([(x * scale, y * scale) for x, y in poly])
        for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]):
            if y0 == y1:
                continue
            winding = 1 if y1 > y0 else -1
            if y0 > y1:
                x0, y0, x1, y1 = x1, y1, x0, y0
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), winding))
    cover = [[0.0] * size for _ in range(size)]
    for row in range(size):
        acc = cover[row]
        for s in range(sub):
            y = row + (s + 0.5) / sub
            xs = sorted((x0 + (y - y0) * k, w) for (y0, y1, x0, k, w) in edges if y0 <= y < y1)
            winding, start = 0, 0.0
            for x, w in xs:
                before, winding = winding, winding + w
                if before == 0 and winding != 0:
                    start = x
                elif before != 0 and winding == 0:
                    a, b = max(start, 0.0), min(x, float(size))
                    if b <= a:
                        continue
                    ia, ib = int(a), int(b)
                    if ia == ib:
                        acc[ia] += (b - a) / sub
                        continue
                    acc[ia] += (ia + 1 - a) / sub
                    for j in range(ia + 1, min(ib, size)):
                        acc[j] += 1.0 / sub
                    if ib < size:
                        acc[ib] += (b - ib) / sub
    return cover


def crate_rgba(size):
    img = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for shape in CRATE:
        if shape[0] == "fill":
            polygons, colour = [shape[1]], _hex(shape[2])
        else:
            polygons, colour = _line_polygons(shape[1], shape[2], shape[3]), _hex(shape[4])
        cover = _coverage(polygons, size, size / 256.0)
        for y in range(size):
            for x in range(size):
                a = min(1.0, cover[y][x])
                if a <= 0.0:
                    continue
                r, g, b, da = img[y][x]
                da /= 255.0
                oa = a + da * (1.0 - a)
                img[y][x] = tuple(int(round((c * a + d * da * (1.0 - a)) / oa))
                                  for c, d in zip(colour, (r, g, b))) + (int(round(oa * 255)),)
    return img


# ---------------------------------------------------------------------------

def check_grid(name, grid, size, colours):
    if len(grid) != size or any(len(r) != size for r in grid):
        raise SystemExit("%s: not %d x %d" % (name, size, size))
    for r in grid:
        for c in r:
            if c != "." and c not in colours:
                raise SystemExit("%s: unknown colour %r" % (name, c))


def all_pictures():
    """Output path (relative to this folder) -> PNG or SVG bytes."""
    out = {}
    if set(GLYPHS2) != set(GLYPHS):
        raise SystemExit("glyphs without their twin at twice the density: %s"
                         % sorted(set(GLYPHS) ^ set(GLYPHS2)))
    for name, grid in GLYPHS.items():
        check_grid(name, grid, 16, VGA)
        check_grid(name + "@2x", GLYPHS2[name], 32, VGA)
        for suffix, drawn in (("", grid), ("@2x", GLYPHS2[name])):
            out["pictures/%s%s.png" % (name, suffix)] = grid_to_png(drawn, VGA)
            if name not in PLAIN:
                out["pictures/%s-disabled%s.png" % (name, suffix)] = grid_to_png(greyed(drawn), VGA)
    check_grid("icon16", ICON16, 16, WOOD)
    check_grid("icon32", ICON32, 32, WOOD)
    out["pictures/icon16.png"] = grid_to_png(ICON16, WOOD)
    out["pictures/icon16@2x.png"] = grid_to_png(ICON32, WOOD)
    out["pictures/icon32.png"] = grid_to_png(ICON32, WOOD)
    out["pictures/icon32@2x.png"] = png_rgba(64, 64, crate_rgba(64))
    out["pictures/icon48.png"] = png_rgba(48, 48, crate_rgba(48))
    out["pictures/icon48@2x.png"] = png_rgba(96, 96, crate_rgba(96))
    out["zorvak-256.png"] = png_rgba(256, 256, crate_rgba(256))
    out["zorvak.svg"] = crate_svg()
    return out


def _image_data(blob):
    """What a PNG shows (header, palette and pixels), whatever zlib made of
    it, so that --check does not depend on the zlib version."""
    if not blob.startswith(b"\x89PNG"):
        return blob
    pos, parts, idat = 8, [], b""
    while pos < len(blob):
        (length,) = struct.unpack(">I", blob[pos:pos + 4])
        kind, data = blob[pos + 4:pos + 8], blob[pos + 8:pos + 8 + length]
        if kind == b"IDAT":
            idat += data
        elif kind != b"IEND":
            parts.append(kind + data)
        pos += 12 + length
    return b"".join(parts) + zlib.decompress(idat)


# ---------------------------------------------------------------------------
# Enlarged views, to look at what was drawn.

def preview_sheet(items, scale, pad=8):
    """items: pictures as rows of RGBA; returns one sheet (rows of RGB): each
    picture on a button-face grey, enlarged with a faint pixel grid, and
    below it at 1:1 and 2:1."""
    face = (0xF0, 0xF0, 0xF0)
    width = sum(len(p[0]) * scale + pad for p in items) + pad
    tall = max(len(p) for p in items)
    height = tall * scale + tall * 2 + pad * 3
    sheet = [[face] * width for _ in range(height)]
    x0 = pad
    for pix in items:
        h, w = len(pix), len(pix[0])
        for y in range(h):
            for x in range(w):
                r, g, b, a = pix[y][x]
                col = tuple((c * a + f * (255 - a)) // 255 for c, f in zip((r, g, b), face))
                for yy in range(scale):
                    for xx in range(scale):
                        edge = scale >= 6 and (xx == 0 or yy == 0)
                        sheet[pad + y * scale + yy][x0 + x * scale + xx] = (
                            tuple(max(0, v - 24) for v in col) if edge else col)
                sheet[pad * 2 + tall * scale + y][x0 + x] = col
                for yy in range(2):
                    for xx in range(2):
                        sheet[pad * 2 + tall * scale + y * 2 + yy][x0 + w + pad + x * 2 + xx] = col
        x0 += w * scale + pad
    return sheet


def _write_sheet(path, sheet):
    rgba = [[p + (255,) for p in row] for row in sheet]
    with open(path, "wb") as f:
        f.write(png_rgba(len(rgba[0]), len(rgba), rgba))


def write_preview(directory):
    os.makedirs(directory, exist_ok=True)
    for sheet, glyphs, scale in (("glyphs.png", GLYPHS, 10), ("glyphs@2x.png", GLYPHS2, 5)):
        items = []
        for name, grid in glyphs.items():
            items += [grid_to_rgba(grid, VGA)]
            if name not in PLAIN:
                items.append(grid_to_rgba(greyed(grid), VGA))
        _write_sheet(os.path.join(directory, sheet), preview_sheet(items, scale))
    icons = [grid_to_rgba(ICON16, WOOD), grid_to_rgba(ICON32, WOOD), crate_rgba(48),
             crate_rgba(64), crate_rgba(96)]
    _write_sheet(os.path.join(directory, "icons.png"), preview_sheet(icons, 4))


def main(argv):
    if len(argv) > 1 and argv[1] == "--preview":
        write_preview(argv[2] if len(argv) > 2 else "/tmp/zorvak-pictures")
        return 0
    check = len(argv) > 1 and argv[1] == "--check"
    stale = []
    for name, data in sorted(all_pictures().items()):
        path = os.path.join(HERE, name)
        old = open(path, "rb").read() if os.path.exists(path) else None
        if old is not None and _image_data(old) == _image_data(data):
            continue
        if check:
            stale.append(path)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    if stale:
        print("stale pictures, run make_pictures.py:\n  " + "\n  ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
