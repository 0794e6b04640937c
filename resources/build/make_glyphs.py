#!/usr/bin/env python3
"""Writes the build dialog's 16 x 16, 16-colour glyphs as XPM files.

Each glyph is drawn below as rows of palette letters; "." is olive, the
transparent colour. Button glyphs also get a greyed image for the disabled
state: the dark shapes of the picture in grey over a white copy moved one
pixel down and right, the way engraved text looks on a button face.
Run it from anywhere; it writes beside itself.
"""
import os

PALETTE = {  # the 16 colours of the classic palette
    "k": "#000000", "m": "#800000", "g": "#008000", ".": "#808000", "n": "#000080",
    "p": "#800080", "t": "#008080", "d": "#808080", "s": "#C0C0C0", "r": "#FF0000",
    "l": "#00FF00", "y": "#FFFF00", "b": "#0000FF", "f": "#FF00FF", "a": "#00FFFF",
    "w": "#FFFFFF",
}

GLYPHS = {
    # Three folders joined by tree lines: a parent and its two children.
    "build": [
        "................",
        "..kkk...........",
        ".kyyykkkk.......",
        ".kwyyyyyk.......",
        ".kyyyyyyk.......",
        ".kkkkkkkk.......",
        "...k....kkk.....",
        "...k...kyyykkkk.",
        "...kkkkkwyyyyyk.",
        "...k...kyyyyyyk.",
        "...k...kkkkkkkk.",
        "...k............",
        "...k....kkk.....",
        "...k...kyyykkkk.",
        "...kkkkkwyyyyyk.",
        ".......kkkkkkkk.",
    ],
    # An open door in its frame, the way out.
    "close": [
        "................",
        "......kkkkkkkk..",
        ".....kkssssssk..",
        "....kmksnnnnsk..",
        "...kmmksnnnnsk..",
        "..kmmmksnnnnsk..",
        "..kmmmksnnnnsk..",
        "..kmmmksnnnnsk..",
        "..kymmksnnnnsk..",
        "..kmmmksnnnnsk..",
        "..kmmmksnnnnsk..",
        "..kmmmksnnnnsk..",
        "..kmmmksnnnnsk..",
        "..kmmmkssssssk..",
        "...kmmkkkkkkkk..",
        "....kkk.........",
    ],
    "folder_closed": [
        "................",
        "................",
        "................",
        "..kkkkk.........",
        ".kwyyyyk........",
        ".kyyyyyykkkkkkk.",
        ".kwwwwwwwwwwwwyk",
        ".kwyyyyyyyyyyyyk",
        ".kwyyyyyyyyyyyyk",
        ".kwyyyyyyyyyyyyk",
        ".kwyyyyyyyyyyyyk",
        ".kwyyyyyyyyyyyyk",
        ".kyyyyyyyyyyyyyk",
        ".kkkkkkkkkkkkkkk",
        "................",
        "................",
    ],
    "folder_open": [
        "................",
        "................",
        "................",
        "..kkkkk.........",
        ".kwyyyyk........",
        ".kyyyyyykkkkkk..",
        ".kyyyyyyyyyyyk..",
        ".kyyykkkkkkkkkkk",
        ".kyykwwwwwwwwwyk",
        ".kyykwyyyyyyyyk.",
        ".kykwyyyyyyyyyk.",
        ".kykwyyyyyyyyk..",
        ".kkwyyyyyyyyyk..",
        ".kkkkkkkkkkkkk..",
        "................",
        "................",
    ],
    "drive_fixed": [
        "................",
        "................",
        "................",
        "................",
        "...kkkkkkkkkkk..",
        "..kwwwwwwwwwwdk.",
        ".kwsssssssssdk.k",
        ".kwwwwwwwwwwwkdk",
        ".kssssssssssskdk",
        ".ksssssssslgskdk",
        ".kssssssssssskk.",
        ".kkkkkkkkkkkkk..",
        "................",
        "................",
        "................",
        "................",
    ],
    "drive_removable": [
        "................",
        "................",
        "................",
        "...kkkkkkkkkkk..",
        "..kwwwwwwwwwwdk.",
        ".kwsssssssssdkdk",
        ".kwwwwwwwwwwwkdk",
        ".kssskkkkkssskdk",
        ".kssskdddkssskdk",
        ".ksssskkkksgskdk",
        ".kssssssssssskk.",
        ".kkkkkkkkkkkkk..",
        "................",
        "................",
        "................",
        "................",
    ],
    "drive_cdrom": [
        "................",
        ".....kkkkkk.....",
        "...kkwwwwssakk..",
        "..kwwwwwwsaaadk.",
        ".kwwwwwwsaaaadk.",
        ".kwwwwwwsaaaaddk",
        "kwwwwwskkksaaddk",
        "kwwwwsk...ksddk.",
        "kwwwwsk...ksddk.",
        "kwwwwwskkksdddk.",
        ".kwwwwwwsddddk..",
        ".kwwwwwsddddddk.",
        "..kwwwwsdddddk..",
        "...kkwssdddkk...",
        ".....kkkkkk.....",
        "................",
    ],
    "drive_network": [
        "................",
        "................",
        "...kkkkkkkkkkk..",
        "..kwwwwwwwwwwdk.",
        ".kwsssssssssdkdk",
        ".kwwwwwwwwwwwkdk",
        ".kssssssssslskdk",
        ".kkkkkkkkkkkkkk.",
        "......kk........",
        "......kk........",
        "......kk........",
        "..kkkkkkkkkkkk..",
        "..k..........k..",
        ".kkk........kkk.",
        ".kgk........kgk.",
        ".kkk........kkk.",
    ],
    "drive_ram": [
        "................",
        "................",
        "...k.k.k.k.k....",
        "...k.k.k.k.k....",
        "..kkkkkkkkkkk...",
        "..kggggggggglk..",
        "..kgkkkgkkkgkk..",
        "..kgkkkgkkkgkk..",
        "..kggggggggggk..",
        "..kkkkkkkkkkkk..",
        "...k.k.k.k.k....",
        "...k.k.k.k.k....",
        "................",
        "................",
        "................",
        "................",
    ],
}

WITH_GREYED = ("build", "close")


def dark(letter):
    rgb = PALETTE[letter]
    r, g, b = (int(rgb[i:i + 2], 16) for i in (1, 3, 5))
    return letter != "." and (r * 30 + g * 59 + b * 11) / 100 < 160


def greyed(rows):
    out = [["."] * 16 for _ in range(16)]
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if dark(c) and x + 1 < 16 and y + 1 < 16:
                out[y + 1][x + 1] = "w"
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if dark(c):
                out[y][x] = "d"
    return ["".join(r) for r in out]


def write_xpm(path, name, rows):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
    used = sorted({c for r in rows for c in r})
    lines = [f'"16 16 {len(used)} 1",']
    for c in used:
        lines.append(f'"{c} c {"None" if c == "." else PALETTE[c]}",')
    lines += [f'"{r}",' for r in rows]
    lines[-1] = lines[-1].rstrip(",")
    with open(path, "w") as f:
        f.write("/* XPM */\n")
        f.write(f"static const char* {name}_xpm[] = {{\n")
        f.write("\n".join(lines) + "\n};\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, rows in GLYPHS.items():
        write_xpm(os.path.join(here, f"{name}.xpm"), name, rows)
        if name in WITH_GREYED:
            write_xpm(os.path.join(here, f"{name}_disabled.xpm"), f"{name}_disabled", greyed(rows))


if __name__ == "__main__":
    main()
