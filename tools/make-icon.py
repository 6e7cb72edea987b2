#!/usr/bin/env python3
"""Draws the program icon, a ruler with the character 尺, and writes it as a
48x48, 256-colour Windows icon: resources/convert.ico. Needs ImageMagick and
the WenQuanYi Micro Hei font (Debian: imagemagick, fonts-wqy-microhei)."""
import struct
import subprocess
import sys
from pathlib import Path

SIZE = 48
MAGICK = "/usr/bin/convert" if Path("/usr/bin/convert").exists() else "convert"
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"


def render() -> bytes:
    draw = ["-fill", "#E8C27A", "-stroke", "#8A5A1C", "-strokewidth", "2",
            "-draw", "roundrectangle 2,26 45,45 3,3", "-stroke", "#3A2A10", "-strokewidth", "1"]
    for i, x in enumerate(range(6, 44, 4)):
        length = 9 if i % 5 == 0 else 5
        draw += ["-draw", f"line {x},27 {x},{27 + length}"]
    draw += ["-stroke", "none", "-fill", "#D01010", "-font", FONT, "-pointsize", "26",
             "-gravity", "north", "-annotate", "+0-4", "尺"]
    command = [MAGICK, "-size", f"{SIZE}x{SIZE}", "xc:none", *draw,
               "-dither", "None", "-colors", "255", "-depth", "8", "pam:-"]
    pam = subprocess.run(command, check=True, capture_output=True).stdout
    end = pam.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    if b"TUPLTYPE RGB_ALPHA" not in pam[:end]:
        sys.exit("expected an RGBA picture from ImageMagick")
    return pam[end:]


def icon(rgba: bytes) -> bytes:
    palette, indices, mask_rows = [], [], []
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        row_mask = 0
        for x in range(SIZE):
            r, g, b, a = rgba[(y * SIZE + x) * 4:(y * SIZE + x) * 4 + 4]
            colour = (b, g, r) if a >= 128 else (0, 0, 0)
            if colour not in palette:
                palette.append(colour)
            indices.append(palette.index(colour))
            row_mask = (row_mask << 1) | (0 if a >= 128 else 1)
        mask_rows.append(row_mask.to_bytes(SIZE // 8, "big") + b"\0" * ((4 - SIZE // 8 % 4) % 4))
    if len(palette) > 256:
        sys.exit(f"{len(palette)} colours: more than 256")
    palette += [(0, 0, 0)] * (256 - len(palette))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for b, g, r in palette)
    image = header + colours + bytes(indices) + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = Path(__file__).resolve().parent.parent / "resources" / "convert.ico"
    out.write_bytes(icon(render()))
    print(out)
