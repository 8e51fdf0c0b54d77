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
  108, 116            status window buttons (strips of 61 images 20 and 15
                      pixels wide and high; the top-left pixel's colour is
                      transparent): 4, 5 transliteration off normal and
                      hover; 14, 15, 18 character picker normal, hover,
                      pressed; 16, 17 menu normal and hover; 19 + 2 x
                      language and the one after it, transliteration on for
                      the language of that row (normal, hover); 57, 58
                      scheme off and on, 59, 60 the same hovered; the
                      others unused
  109, 117            status window logo (16 x 26 and 12 x 21, the top-left
                      pixel's colour transparent)
  118, 119            status window minimise button (strips of 4 images 8 x
                      20 and 5 x 15, opaque): expanded normal, hover, then
                      minimised normal, hover
  127                 character picker logo (50 x 19, on the picker's grey)
  174                 character picker joiner keys (120 x 56): columns of
                      40 pixels for the states normal, hover, pressed; the
                      top row (28 high) the non-joiner key, the bottom row
                      the joiner key, drawn like the keys of the grid
  175                 the joiner keys magnified (160 x 80): joiner, then
                      non-joiner, 80 x 80 each
  105, 106, 107       language-bar icons (16 x 16 and 32 x 32):
                      transliteration off, the character picker, the menu
  155-173             language-bar icon of transliteration on, one per
                      language row (16 x 16 and 32 x 32)
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


# The status window. Its button strips are masked with the colour of their
# top-left pixel, which every image leaves untouched.
KEY = (255, 0, 255)
OFF_INK = rgb(0x6A7688)

# Upper-case letters for the language codes on the status window's
# language button: 5 x 7 for the normal size, 3 x 5 for the small one.
LETTERS_5X7 = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
}
LETTERS_3X5 = {
    "A": ["010", "101", "111", "101", "101"],
    "B": ["110", "101", "110", "101", "110"],
    "E": ["111", "100", "110", "100", "111"],
    "F": ["111", "100", "110", "100", "100"],
    "G": ["011", "100", "101", "101", "011"],
    "H": ["101", "101", "111", "101", "101"],
    "I": ["111", "010", "010", "010", "111"],
    "K": ["101", "101", "110", "101", "101"],
    "L": ["100", "100", "100", "100", "111"],
    "M": ["101", "111", "111", "101", "101"],
    "N": ["110", "101", "101", "101", "101"],
    "P": ["110", "101", "110", "100", "100"],
    "R": ["110", "101", "110", "101", "101"],
    "S": ["011", "100", "010", "001", "110"],
    "T": ["111", "010", "010", "010", "010"],
    "U": ["101", "101", "101", "101", "111"],
}

# The language rows, in the order of the language tables.
LANGUAGE_CODES = ["hi", "ar", "bn", "fa", "el", "gu", "kn", "ml", "mr", "ne",
                  "pa", "ta", "te", "ur", "ru", "sr", "sa", "am", "ti"]


def draw_letters(c, text, ink):
    """|text| centred on the canvas in the font that suits its size."""
    font = LETTERS_5X7 if c.height >= 18 else LETTERS_3X5
    width = len(font["A"][0])
    height = len(font["A"])
    total = len(text) * (width + 1) - 1
    x = (c.width - total) // 2
    y = (c.height - height) // 2
    for letter in text:
        for r, line in enumerate(font[letter]):
            for col, bit in enumerate(line):
                if bit == "1":
                    c.put(x + col, y + r, ink)
        x += width + 1


def status_face(size, fill_top, fill_bottom, border):
    """A rounded square face on the transparent key colour."""
    c = Canvas(size, size, KEY)
    if fill_top is not None:
        c.vgradient(1, 1, size - 1, size - 1, fill_top, fill_bottom)
    if border is not None:
        c.frame(0, 0, size, size, border, rounded=True)
    return c


def status_plain(size, state):
    """No face while resting; a light face when hovered, a deeper one when
    pressed."""
    if state == "hover":
        return status_face(size, rgb(0xF4F8FF), rgb(0xD6E4FA), BORDER)
    if state == "pressed":
        return status_face(size, rgb(0xC4D6F2), rgb(0xE2EBF8), SELECT_BORDER)
    return Canvas(size, size, KEY)


def status_language(size, code, hover):
    """Transliteration on: the language code in white on a blue badge."""
    top = rgb(0x6FA4F0) if hover else SELECT_TOP
    c = status_face(size, top, SELECT_BOTTOM, SELECT_BORDER)
    draw_letters(c, code.upper(), WHITE)
    return c


def status_off(size, hover):
    """Transliteration off: "EN" in grey, the keys typing as they are."""
    c = status_plain(size, "hover" if hover else "normal")
    if not hover:
        c.frame(0, 0, size, size, OFF_INK, rounded=True)
    draw_letters(c, "EN", OFF_INK)
    return c


def status_picker(size, state):
    """A small keyboard: a frame with three rows of keys."""
    c = status_plain(size, state)
    margin = max(2, size // 6)
    top = size // 4
    bottom = size - size // 4
    c.frame(margin, top, size - margin, bottom, ARROW)
    step = 2 if size < 18 else 3
    for y in range(top + 2, bottom - 2, 2 if size < 18 else 3):
        for x in range(margin + 2, size - margin - 2, step):
            c.put(x, y, ARROW)
    return c


def status_menu(size, state):
    """Three lines over a small down-pointing triangle."""
    c = status_plain(size, state)
    margin = max(3, size // 5)
    y = size // 4
    for i in range(3):
        c.rect(margin, y + 2 * i, size - margin, y + 2 * i + 1, ARROW)
    tip_y = y + 7 if size >= 18 else y + 6
    half = max(2, size // 6)
    cx = size // 2
    for i in range(half + 1):
        c.rect(cx - half + i, tip_y + i, cx + half - i + 1, tip_y + i + 1, ARROW)
    return c


def status_scheme(size, on, hover):
    """The custom scheme: "S", on a badge while it converts."""
    if on:
        top = rgb(0x6FA4F0) if hover else SELECT_TOP
        c = status_face(size, top, SELECT_BOTTOM, SELECT_BORDER)
        draw_letters(c, "S", WHITE)
    else:
        c = status_plain(size, "hover" if hover else "normal")
        draw_letters(c, "S", OFF_INK)
    return c


def status_buttons(size):
    images = [status_plain(size, "normal") for _ in range(61)]
    images[4] = status_off(size, False)
    images[5] = status_off(size, True)
    images[14] = status_picker(size, "normal")
    images[15] = status_picker(size, "hover")
    images[18] = status_picker(size, "pressed")
    images[16] = status_menu(size, "normal")
    images[17] = status_menu(size, "hover")
    for row, code in enumerate(LANGUAGE_CODES):
        images[19 + 2 * row] = status_language(size, code, False)
        images[20 + 2 * row] = status_language(size, code, True)
    images[57] = status_scheme(size, False, False)
    images[58] = status_scheme(size, True, False)
    images[59] = status_scheme(size, False, True)
    images[60] = status_scheme(size, True, True)
    return strip(images)


def status_narrow(width, height):
    """The minimise button, drawn opaque on the status window's face: a
    chevron to the left (minimise), then one to the right (expand), each
    resting and hovered."""
    images = []
    for direction in (-1, 1):
        for hover in (False, True):
            c = Canvas(width, height)
            c.vgradient(0, 0, width, height, FACE_TOP, FACE_BOTTOM)
            ink = SELECT_TOP if hover else ARROW
            half = max(2, (width - 2) // 2)
            cy = height // 2
            for i in range(half + 1):
                x = width // 2 + direction * (half // 2 - i)
                c.put(x, cy - i, ink)
                c.put(x, cy + i, ink)
            images.append(c)
    return strip(images)


def status_logo(width, height):
    """The product's "T" on a blue rounded badge, centred on the key
    colour."""
    c = Canvas(width, height, KEY)
    side = width - 2
    top = (height - side) // 2
    badge = status_face(side, SELECT_TOP, SELECT_BOTTOM, SELECT_BORDER)
    for y in range(side):
        for x in range(side):
            if badge.get(x, y) != KEY:
                c.put(1 + x, top + y, badge.get(x, y))
    # A bold "T" inside the badge's frame.
    thick = 2 if side >= 12 else 1
    inset = 3 if side >= 12 else 2
    c.rect(1 + inset, top + inset, 1 + side - inset, top + inset + thick, WHITE)
    middle = 1 + side // 2
    c.rect(middle - thick // 2 - (thick % 2), top + inset, middle + thick // 2,
           top + side - inset, WHITE)
    return c


# The language-bar buttons' icons: the status window's pictures on an
# icon's square, in the two sizes the bar asks for.
def bar_icon_off(size):
    c = Canvas(size, size, WHITE)
    c.frame(0, 0, size, size, OFF_INK, rounded=True)
    draw_letters(c, "EN", OFF_INK)
    return c


def bar_icon_picker(size):
    c = Canvas(size, size, WHITE)
    margin = max(1, size // 8)
    top = size // 4
    bottom = size - size // 4
    c.rect(margin, top, size - margin, bottom, FACE_BOTTOM)
    c.frame(margin, top, size - margin, bottom, ARROW)
    step = 2 if size < 24 else 4
    for y in range(top + 2, bottom - 2, step):
        for x in range(margin + 2, size - margin - 2, step):
            c.rect(x, y, x + step // 2, y + step // 2, ARROW)
    return c


def bar_icon_menu(size):
    c = Canvas(size, size, WHITE)
    margin = max(2, size // 5)
    gap = max(2, size // 6)
    thick = max(1, size // 16)
    y = size // 5
    for i in range(3):
        c.rect(margin, y + gap * i, size - margin, y + gap * i + thick, ARROW)
    half = max(2, size // 6)
    cx = size // 2
    tip_y = y + gap * 3
    for i in range(half + 1):
        c.rect(cx - half + i, tip_y + i, cx + half - i + 1, tip_y + i + 1, ARROW)
    return c


def bar_icon_language(size, code):
    c = Canvas(size, size, SELECT_BOTTOM)
    c.vgradient(0, 0, size, size, SELECT_TOP, SELECT_BOTTOM)
    c.frame(0, 0, size, size, SELECT_BORDER, rounded=True)
    draw_letters(c, code.upper(), WHITE)
    return c


def bar_icons():
    """The icon files of the language-bar buttons, by resource id."""
    icons = {
        105: [bar_icon_off(16), bar_icon_off(32)],
        106: [bar_icon_picker(16), bar_icon_picker(32)],
        107: [bar_icon_menu(16), bar_icon_menu(32)],
    }
    for row, code in enumerate(LANGUAGE_CODES):
        icons[155 + row] = [bar_icon_language(16, code), bar_icon_language(32, code)]
    return icons


# The character picker. Its grid comes from the picker images program; the
# two keys below the grid are drawn here in the same manner: a rounded face
# with a vertical gradient and a raised lower edge (at the top when
# pushed) on the picker's grey.
PICKER_GREY = rgb(0xDEDEDE)
PICKER_KEY_STYLES = {
    # border, face top, face bottom, lower edge, text, pushed
    "normal": (rgb(0x9A9A9A), rgb(0xFFFFFF), rgb(0xE4E4E4), rgb(0xC4C4C4),
               rgb(0x141414), False),
    "hover": (rgb(0x4A90D9), rgb(0xF4F9FF), rgb(0xCFE3FA), rgb(0xA9C9EE),
              rgb(0x0A2A5E), False),
    "pressed": (rgb(0x2F6DB5), rgb(0xB6D0EE), rgb(0xDCEAF9), rgb(0x8DB2DE),
                rgb(0x0A2A5E), True),
    "magnified": (rgb(0x2F6DB5), rgb(0xFFFFFF), rgb(0xDCEAF9), rgb(0xA9C9EE),
                  rgb(0x0A2A5E), False),
}

# Letters of the joiner keys' names, 5 x 7.
PICKER_LETTERS = {
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "W": ["10001", "10001", "10001", "10101", "10101", "11011", "10001"],
    "J": ["00111", "00010", "00010", "00010", "00010", "10010", "01100"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
}


def picker_key_face(c, x0, y0, x1, y1, border_width, style):
    """A key with rounded corners in (x0, y0)-(x1, y1), right and bottom
    excluded."""
    border, top, bottom, edge, _, pushed = style

    def into_edge(v, low, high):
        if v - low < 2:
            return 2 - (v - low)
        if high - 1 - v < 2:
            return 2 - (high - 1 - v)
        return 0

    height = y1 - y0
    for y in range(y0, y1):
        for x in range(x0, x1):
            dx, dy = into_edge(x, x0, x1), into_edge(y, y0, y1)
            if dx == 2 and dy == 2:
                continue
            corner = dx > 0 and dy > 0
            if (corner or x - x0 < border_width or x1 - 1 - x < border_width
                    or y - y0 < border_width or y1 - 1 - y < border_width):
                colour = mix(border, PICKER_GREY, 0.35) if corner else border
            elif (not pushed and y == y1 - 1 - border_width) or (
                    pushed and y == y0 + border_width):
                colour = edge
            else:
                colour = mix(top, bottom, (y - y0) / max(1, height - 1))
            c.put(x, y, colour)


def picker_word(c, word, x0, y0, x1, y1, ink, scale):
    """|word| in PICKER_LETTERS centred in (x0, y0)-(x1, y1)."""
    width = (len(word) * 6 - 1) * scale
    x = x0 + (x1 - x0 - width) // 2
    y = y0 + (y1 - y0 - 7 * scale) // 2
    for letter in word:
        for r, line in enumerate(PICKER_LETTERS[letter]):
            for col, bit in enumerate(line):
                if bit == "1":
                    c.rect(x + col * scale, y + r * scale,
                           x + (col + 1) * scale, y + (r + 1) * scale, ink)
        x += 6 * scale


def picker_joiner_keys():
    """The two keys below the picker's grid in their three states."""
    c = Canvas(120, 56, PICKER_GREY)
    for column, state in enumerate(("normal", "hover", "pressed")):
        style = PICKER_KEY_STYLES[state]
        shift = 1 if style[5] else 0
        for row, word in enumerate(("ZWNJ", "ZWJ")):
            x, y = column * 40, row * 28
            picker_key_face(c, x + 1, y + 1, x + 39, y + 27, 1, style)
            picker_word(c, word, x + 2 + shift, y + 2 + shift, x + 38 + shift,
                        y + 26 + shift - (0 if shift else 1), style[4], 1)
    return c


def picker_magnified_joiner_keys():
    c = Canvas(160, 80, PICKER_GREY)
    style = PICKER_KEY_STYLES["magnified"]
    for index, word in enumerate(("ZWJ", "ZWNJ")):
        x = index * 80
        picker_key_face(c, x + 2, 2, x + 78, 78, 2, style)
        picker_word(c, word, x + 10, 10, x + 70, 69, style[4], 2 if word == "ZWNJ" else 3)
    return c


def picker_logo():
    """The product's word in the picker's title bar, right-aligned."""
    c = Canvas(50, 19, PICKER_GREY)
    ink = rgb(0x2D5DA8)
    end = draw_word(c, "Tarvel", 50 - 36 - 2, (19 - 7) // 2, ink)
    for x in range(50 - 36 - 2, end - 1):
        c.put(x, 15, mix(ink, PICKER_GREY, 0.5))
    return c


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
        108: status_buttons(20),
        116: status_buttons(15),
        109: status_logo(16, 26),
        117: status_logo(12, 21),
        118: status_narrow(8, 20),
        119: status_narrow(5, 15),
        127: picker_logo(),
        174: picker_joiner_keys(),
        175: picker_magnified_joiner_keys(),
    }
    for number, canvas in bitmaps.items():
        with open(os.path.join(out, "bitmap_%d.bmp" % number), "wb") as f:
            f.write(canvas.bmp())
    with open(os.path.join(out, "icon_154.ico"), "wb") as f:
        f.write(ico([icon_image(32), icon_image(16)]))
    for number, images in bar_icons().items():
        with open(os.path.join(out, "icon_%d.ico" % number), "wb") as f:
            f.write(ico(images))
    return 0


if __name__ == "__main__":
    sys.exit(main())
