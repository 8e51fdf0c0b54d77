#!/usr/bin/env python3
"""Draws the bitmaps and the icon of the input method's windows.

    draw_window_images.py OUTPUT_FOLDER

Writes, with the Python standard library only, 24-bit BMP files named
"bitmap_<id>.bmp" and the icon "icon_<id>.ico" for the module's resource
script (ime/t13n/frontend/t13n_windows.rc). The drawings are ours; what the
windows rely on is each image's size and, for image strips, the width and
order of the images:

  110, 113, 114, 115  page buttons of the candidate window (strips of 8
                      images 22, 26, 22 and 28 pixels wide): previous page
                      normal, hover, pressed, disabled, then next page
                      normal, hover, pressed, disabled
  111, 112            logo button (3 images 61 and 52 pixels wide: normal,
                      hover, pressed; white is transparent)
  120                 skin under the selected candidate (margins 3, 3, 4, 4)
  121                 candidate window background (margins 2, 3, 2, 3)
  122                 status window background (margins 6, 3, 2, 3)
  123, 124            hover mark of a candidate cell, outside and inside its
                      zone (2 images 5 pixels wide: on a plain cell, on the
                      selected cell)
  154                 the about box's icon (32 x 32 and 16 x 16)
"""

import os
import struct
import sys

WHITE = (255, 255, 255)


def rgb(value):
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    def __init__(self, width, height, fill=WHITE):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y][x] = colour

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        rows = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            self.rect(x0, y, x1, y + 1, mix(top, bottom, (y - y0) / rows))

    def frame(self, x0, y0, x1, y1, colour, rounded=False):
        for x in range(x0, x1):
            if rounded and x in (x0, x1 - 1):
                continue
            self.put(x, y0, colour)
            self.put(x, y1 - 1, colour)
        for y in range(y0, y1):
            if rounded and y in (y0, y1 - 1):
                continue
            self.put(x0, y, colour)
            self.put(x1 - 1, y, colour)

    def blit(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                self.put(x0 + x, y0 + y, other.pixels[y][x])

    def bmp(self):
        """A bottom-up 24-bit BMP file."""
        stride = (self.width * 3 + 3) & ~3
        rows = []
        for y in range(self.height - 1, -1, -1):
            row = bytearray()
            for (r, g, b) in self.pixels[y]:
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            rows.append(bytes(row))
        data = b"".join(rows)
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24,
                           0, len(data), 2835, 2835, 0, 0)
        return header + info + data


def strip(images):
    width = sum(i.width for i in images)
    height = max(i.height for i in images)
    out = Canvas(width, height)
    x = 0
    for image in images:
        out.blit(image, x, 0)
        x += image.width
    return out


# The candidate window's colours.
BORDER = rgb(0x7F98C4)
FACE_TOP = rgb(0xFFFFFF)
FACE_BOTTOM = rgb(0xEAF0FA)
SELECT_TOP = rgb(0x4F8EE8)
SELECT_BOTTOM = rgb(0x2A62C4)
SELECT_BORDER = rgb(0x1F4E9E)
ARROW = rgb(0x2D5DA8)
ARROW_DISABLED = rgb(0xB4BCC8)


def background_skin(width, height, grip):
    """A framed, softly shaded panel; |grip| columns of dots on the left."""
    c = Canvas(width, height)
    c.vgradient(0, 0, width, height, FACE_TOP, FACE_BOTTOM)
    c.frame(0, 0, width, height, BORDER)
    for y in range(1, height - 1):
        c.put(1, y, WHITE)
    if grip:
        for y in range(4, height - 4, 3):
            c.put(2, y, BORDER)
            c.put(3, y + 1, WHITE)
    return c


def selected_skin():
    c = Canvas(16, 16)
    c.vgradient(1, 1, 15, 15, SELECT_TOP, SELECT_BOTTOM)
    c.frame(0, 0, 16, 16, SELECT_BORDER, rounded=True)
    corner = mix(SELECT_BORDER, FACE_BOTTOM, 0.6)
    for (x, y) in ((0, 0), (15, 0), (0, 15), (15, 15)):
        c.put(x, y, corner)
    for x in range(2, 14):
        c.put(x, 1, mix(SELECT_TOP, WHITE, 0.35))
    return c


def page_button(size, height, direction, state):
    """One page button: a rounded face with an arrow; |direction| -1 left."""
    c = Canvas(size, height)
    c.vgradient(0, 0, size, height, FACE_TOP, FACE_BOTTOM)
    if state == "hover":
        c.vgradient(1, 1, size - 1, height - 1, rgb(0xF4F8FF), rgb(0xD6E4FA))
        c.frame(1, 1, size - 1, height - 1, BORDER, rounded=True)
    elif state == "pressed":
        c.vgradient(1, 1, size - 1, height - 1, rgb(0xC4D6F2), rgb(0xE2EBF8))
        c.frame(1, 1, size - 1, height - 1, SELECT_BORDER, rounded=True)
    colour = ARROW_DISABLED if state == "disabled" else ARROW
    half = max(3, (min(size, height) - 8) // 2)
    cx = size // 2 + (1 if state == "pressed" else 0)
    cy = height // 2 + (1 if state == "pressed" else 0)
    for i in range(half + 1):
        # Column i of the triangle, from its point outwards.
        x = cx + direction * (half // 2 - i)
        for y in range(cy - i, cy + i + 1):
            c.put(x, y, colour)
    return c


def page_buttons(size, height):
    images = []
    for direction in (-1, 1):
        for state in ("normal", "hover", "pressed", "disabled"):
            images.append(page_button(size, height, direction, state))
    return strip(images)


# A small pixel font for the logo's word.
GLYPHS = {
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    "v": ["00000", "00000", "10001", "10001", "10001", "01010", "00100"],
    "e": ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    "l": ["01100", "00100", "00100", "00100", "00100", "00100", "01110"],
}


def draw_word(c, word, x, y, colour, scale=1):
    for letter in word:
        rows = GLYPHS[letter]
        for r, line in enumerate(rows):
            for col, bit in enumerate(line):
                if bit == "1":
                    c.rect(x + col * scale, y + r * scale,
                           x + (col + 1) * scale, y + (r + 1) * scale, colour)
        x += 6 * scale
    return x


def logo(width, height, state):
    """The product mark on a white (transparent) ground: a magnifier and
    the word, in the candidate window's blue."""
    c = Canvas(width, height)
    ink = {"normal": rgb(0x2D5DA8), "hover": rgb(0x4F8EE8),
           "pressed": rgb(0x1F4E9E)}[state]
    shift = 1 if state == "pressed" else 0
    radius = (height - 10) // 2
    cx, cy = 3 + radius + shift, 4 + radius + shift
    for y in range(height):
        for x in range(2 * radius + 8):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if (radius - 1.2) ** 2 <= d2 <= (radius + 0.4) ** 2:
                c.put(x, y, ink)
    for i in range(4):
        c.put(cx + radius + i - 1, cy + radius + i - 1, ink)
        c.put(cx + radius + i, cy + radius + i - 1, ink)
    text_y = (height - 7) // 2 + shift
    text_x = cx + radius + 4
    draw_word(c, "Tarvel", text_x, text_y, ink)
    if state == "hover":
        for x in range(text_x, min(width, text_x + 35)):
            c.put(x, text_y + 8, ink)
    return c


def logos(width, height):
    return strip([logo(width, height, s) for s in ("normal", "hover", "pressed")])


def hover_marks(inside):
    """A small down-pointing mark: on a plain cell, then on the selected
    one. Inside its zone the mark is drawn inverted on a filled square."""
    images = []
    for on_selected in (False, True):
        ground = SELECT_BOTTOM if on_selected else FACE_BOTTOM
        ink = WHITE if on_selected else (SELECT_BORDER if inside else rgb(0x8E9CB4))
        c = Canvas(5, 5, ground)
        if inside:
            c.rect(0, 0, 5, 5, ink)
            ink = ground
        for i, (x0, x1) in enumerate(((0, 5), (1, 4), (2, 3))):
            c.rect(x0, 1 + i, x1, 2 + i, ink)
        images.append(c)
    return strip(images)


def icon_image(size):
    c = Canvas(size, size, (0, 0, 0))
    c.vgradient(0, 0, size, size, SELECT_TOP, SELECT_BOTTOM)
    scale = max(1, size // 10)
    width = 5 * scale
    draw_word(c, "T", (size - width) // 2, (size - 7 * scale) // 2, WHITE, scale)
    return c


def ico(images):
    """An icon file of 32-bit images with an all-visible mask."""
    entries = []
    blobs = []
    offset = 6 + 16 * len(images)
    for image in images:
        size = image.width
        xor = bytearray()
        for y in range(size - 1, -1, -1):
            for x in range(size):
                r, g, b = image.get(x, y)
                alpha = 0 if (x, y) in ((0, 0), (size - 1, 0), (0, size - 1),
                                        (size - 1, size - 1)) else 255
                xor += bytes((b, g, r, alpha))
        mask_stride = ((size + 31) // 32) * 4
        mask = b"\0" * (mask_stride * size)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + bytes(xor) + mask
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0,
                                   1, 32, len(blob), offset))
        offset += len(blob)
        blobs.append(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    bitmaps = {
        110: page_buttons(22, 22),
        113: page_buttons(26, 26),
        114: page_buttons(22, 18),
        115: page_buttons(28, 28),
        111: logos(61, 24),
        112: logos(52, 20),
        120: selected_skin(),
        121: background_skin(12, 24, grip=False),
        122: background_skin(24, 24, grip=True),
        123: hover_marks(False),
        124: hover_marks(True),
    }
    for number, canvas in bitmaps.items():
        with open(os.path.join(out, "bitmap_%d.bmp" % number), "wb") as f:
            f.write(canvas.bmp())
    with open(os.path.join(out, "icon_154.ico"), "wb") as f:
        f.write(ico([icon_image(32), icon_image(16)]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
