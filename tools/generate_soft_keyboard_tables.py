#!/usr/bin/env python3
"""Generates the character picker's key tables.

One table per language code, in the order of the language index: the
language's name as the picker's title shows it, its grid (rows x columns)
and its keys row by row, each with the text it inserts (its label, at most
four UTF-16 units) and the name shown under the grid when the key is hovered
or pressed. A key's name is the Unicode character name of its label, taken
from Python's unicodedata; the multi-letter keys (conjuncts) carry the names
given below. Every language has exactly rows x columns keys; Amharic and
Tigrinya have no picker (0 x 0).

The keys of a script are its letters and signs in code point order: the
signs that nasalise or aspirate, the independent vowels, the consonants,
the nukta and avagraha, the dependent vowel signs, the virama, then the
script's other letters and the conjuncts. Rare historic letters make room
where the grid is smaller than the script.

The tables live as literals in ime/t13n/frontend/soft_keyboard_tables.cc,
between the marker lines. This script rewrites the block (--write) or checks
that the file still holds exactly what it would write (--check).

Usage:
  generate_soft_keyboard_tables.py [--write | --check] [path of soft_keyboard_tables.cc]
Without an option it prints the block.
"""

import sys
import unicodedata

# The checks run from the source tree: leave no compiled cache beside it.
sys.dont_write_bytecode = True
import generated_block  # noqa: E402

MAX_KEYS = 77
MAX_LABEL_UNITS = 4
MAX_NAME_UNITS = 19


def span(first, last):
    """The code points first..last, both included, as one-letter keys."""
    return [chr(c) for c in range(first, last + 1)]


def one(*code_points):
    return [chr(c) for c in code_points]


def without(keys, *code_points):
    dropped = {chr(c) for c in code_points}
    missing = dropped - set(keys)
    assert not missing, "dropping keys that are not there: %r" % missing
    return [k for k in keys if k not in dropped]


# The four two-letter conjuncts of the Devanagari pickers and their names.
DEVANAGARI_CONJUNCTS = [
    ("\u0915\u094D\u0937", "DEVANAGARI LETTER KSHA"),
    ("\u0924\u094D\u0930", "DEVANAGARI LETTER TRA"),
    ("\u091C\u094D\u091E", "DEVANAGARI LETTER JNYA"),
    ("\u0936\u094D\u0930", "DEVANAGARI LETTER SHRA"),
]

HINDI = (
    one(0x0901, 0x0902, 0x0903) + span(0x0905, 0x090B) + one(0x090D)
    + one(0x090F, 0x0910, 0x0911) + span(0x0913, 0x0928)
    + span(0x092A, 0x0930) + one(0x0932, 0x0933) + span(0x0935, 0x0939)
    + one(0x093C, 0x093D) + span(0x093E, 0x0943) + one(0x0945)
    + one(0x0947, 0x0948, 0x0949) + one(0x094B, 0x094C, 0x094D)
    + one(0x0950, 0x0952) + span(0x095B, 0x095E) + one(0x0960, 0x0970)
    + [c for c, _ in DEVANAGARI_CONJUNCTS])

# Sanskrit has no candra vowels and no nukta letters; it has the vocalic L
# vowels, the long vocalic R sign, the udatta and the dandas instead.
SANSKRIT = sorted(
    without(HINDI[:-4], 0x090D, 0x0911, 0x0945, 0x0949,
            0x095B, 0x095C, 0x095D, 0x095E)
    + one(0x090C, 0x0944, 0x0951, 0x0961, 0x0962, 0x0963, 0x0964, 0x0965)
) + [c for c, _ in DEVANAGARI_CONJUNCTS]

ARABIC = (
    span(0x0621, 0x063A) + span(0x0641, 0x064A)   # letters
    + span(0x064B, 0x0652)                        # harakat
    + one(0x0670, 0x0671)                         # dagger alef, alef wasla
    + one(0x060C, 0x061B, 0x061F, 0x0640))        # punctuation, tatweel

FARSI = (
    one(0x0627, 0x0628, 0x067E, 0x062A, 0x062B, 0x062C, 0x0686, 0x062D,
        0x062E, 0x062F, 0x0630, 0x0631, 0x0632, 0x0698, 0x0633, 0x0634,
        0x0635, 0x0636, 0x0637, 0x0638, 0x0639, 0x063A, 0x0641, 0x0642,
        0x06A9, 0x06AF, 0x0644, 0x0645, 0x0646, 0x0648, 0x0647, 0x06CC)
    + one(0x0621, 0x0622, 0x0623, 0x0624, 0x0626, 0x0629)  # hamza forms
    + span(0x064B, 0x0652) + one(0x0654)
    + one(0x060C, 0x061B, 0x061F))

URDU = (
    one(0x0627, 0x0628, 0x067E, 0x062A, 0x0679, 0x062B, 0x062C, 0x0686,
        0x062D, 0x062E, 0x062F, 0x0688, 0x0630, 0x0631, 0x0691, 0x0632,
        0x0698, 0x0633, 0x0634, 0x0635, 0x0636, 0x0637, 0x0638, 0x0639,
        0x063A, 0x0641, 0x0642, 0x06A9, 0x06AF, 0x0644, 0x0645, 0x0646,
        0x06BA, 0x0648, 0x06C1, 0x06BE, 0x0621, 0x06CC, 0x06D2)
    + one(0x0622, 0x0623, 0x0624, 0x0626, 0x06C2, 0x06D3, 0x0629)
    + span(0x064B, 0x0652) + one(0x0670, 0x0654)
    + one(0x060C, 0x061B, 0x061F, 0x06D4)
    + span(0x06F0, 0x06F9))                       # Urdu digits

# Monotonic Greek: the small letters, the accented vowels in both cases,
# the tonos and the Greek punctuation.
GREEK = (
    span(0x03B1, 0x03C9)
    + one(0x03AC, 0x03AD, 0x03AE, 0x03AF, 0x03CC, 0x03CD, 0x03CE)
    + one(0x03CA, 0x03CB, 0x0390, 0x03B0)
    + one(0x0386, 0x0388, 0x0389, 0x038A, 0x038C, 0x038E, 0x038F)
    + one(0x03AA, 0x03AB)
    + one(0x0384, 0x0385, 0x0387, 0x037E, 0x037A))

RUSSIAN = (
    span(0x0410, 0x0415) + one(0x0401) + span(0x0416, 0x042F)
    + span(0x0430, 0x0435) + one(0x0451) + span(0x0436, 0x044F))

# The 30 letters of the Serbian Cyrillic alphabet, capital then small.
SERBIAN_CAPITALS = one(
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0402, 0x0415, 0x0416,
    0x0417, 0x0418, 0x0408, 0x041A, 0x041B, 0x0409, 0x041C, 0x041D,
    0x040A, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x040B, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x040F, 0x0428)
SERBIAN = SERBIAN_CAPITALS + [c.lower() for c in SERBIAN_CAPITALS]

BENGALI = (
    span(0x0981, 0x0983) + span(0x0985, 0x098B) + one(0x098F, 0x0990)
    + one(0x0993, 0x0994) + span(0x0995, 0x09A8) + span(0x09AA, 0x09B0)
    + one(0x09B2) + span(0x09B6, 0x09B9) + one(0x09BC, 0x09BD)
    + span(0x09BE, 0x09C3) + one(0x09C7, 0x09C8, 0x09CB, 0x09CC, 0x09CD)
    + one(0x09CE) + one(0x09DC, 0x09DD, 0x09DF))

# Without the candra vowels of loanwords.
GUJARATI = (
    span(0x0A81, 0x0A83) + span(0x0A85, 0x0A8B) + one(0x0A8F, 0x0A90)
    + one(0x0A93, 0x0A94) + span(0x0A95, 0x0AA8) + span(0x0AAA, 0x0AB0)
    + one(0x0AB2, 0x0AB3) + span(0x0AB5, 0x0AB9) + one(0x0ABC, 0x0ABD)
    + span(0x0ABE, 0x0AC4) + one(0x0AC7, 0x0AC8, 0x0ACB, 0x0ACC, 0x0ACD)
    + one(0x0AD0))

KANNADA = (
    one(0x0C82, 0x0C83) + span(0x0C85, 0x0C8B) + span(0x0C8E, 0x0C90)
    + span(0x0C92, 0x0C94) + span(0x0C95, 0x0CA8) + span(0x0CAA, 0x0CB3)
    + span(0x0CB5, 0x0CB9) + one(0x0CBC, 0x0CBD) + span(0x0CBE, 0x0CC4)
    + span(0x0CC6, 0x0CC8) + span(0x0CCA, 0x0CCD))

MALAYALAM = (
    one(0x0D02, 0x0D03) + span(0x0D05, 0x0D0B) + span(0x0D0E, 0x0D10)
    + span(0x0D12, 0x0D14) + span(0x0D15, 0x0D28) + span(0x0D2A, 0x0D39)
    + span(0x0D3E, 0x0D43) + span(0x0D46, 0x0D48) + span(0x0D4A, 0x0D4D)
    + span(0x0D7A, 0x0D7F))                       # chillu letters

PUNJABI = (
    span(0x0A01, 0x0A03) + span(0x0A05, 0x0A0A) + one(0x0A0F, 0x0A10)
    + one(0x0A13, 0x0A14) + span(0x0A15, 0x0A28) + span(0x0A2A, 0x0A30)
    + one(0x0A32, 0x0A33, 0x0A35, 0x0A36, 0x0A38, 0x0A39, 0x0A3C)
    + span(0x0A3E, 0x0A42) + one(0x0A47, 0x0A48, 0x0A4B, 0x0A4C, 0x0A4D)
    + span(0x0A59, 0x0A5C) + one(0x0A5E, 0x0A70, 0x0A71))

TAMIL = (
    one(0x0B83) + span(0x0B85, 0x0B8A) + span(0x0B8E, 0x0B90)
    + span(0x0B92, 0x0B94)
    + one(0x0B95, 0x0B99, 0x0B9A, 0x0B9C, 0x0B9E, 0x0B9F, 0x0BA3, 0x0BA4,
          0x0BA8, 0x0BA9, 0x0BAA) + span(0x0BAE, 0x0BB9)
    + span(0x0BBE, 0x0BC2) + span(0x0BC6, 0x0BC8) + span(0x0BCA, 0x0BCD))

TELUGU = (
    span(0x0C01, 0x0C03) + span(0x0C05, 0x0C0B) + span(0x0C0E, 0x0C10)
    + span(0x0C12, 0x0C14) + span(0x0C15, 0x0C28) + span(0x0C2A, 0x0C39)
    + span(0x0C3E, 0x0C44) + span(0x0C46, 0x0C48) + span(0x0C4A, 0x0C4D))

# (code, picker title, rows, columns, keys), in language-index order.
LANGUAGES = [
    ("hi", "HINDI", 7, 11, HINDI),
    ("ar", "ARABIC", 5, 10, ARABIC),
    ("bn", "BENGALI", 7, 9, BENGALI),
    ("fa", "FARSI", 5, 10, FARSI),
    ("el", "GREEK", 5, 10, GREEK),
    ("gu", "GUJARATI", 7, 9, GUJARATI),
    ("kn", "KANNADA", 6, 11, KANNADA),
    ("ml", "MALAYALAM", 7, 10, MALAYALAM),
    ("mr", "MARATHI", 7, 11, HINDI),
    ("ne", "NEPALI", 7, 11, HINDI),
    ("pa", "PUNJABI", 8, 8, PUNJABI),
    ("ta", "TAMIL", 8, 6, TAMIL),
    ("te", "TELUGU", 6, 11, TELUGU),
    ("ur", "URDU", 10, 7, URDU),
    ("ru", "RUSSIAN", 6, 11, RUSSIAN),
    ("sr", "SERBIAN", 6, 10, SERBIAN),
    ("sa", "SANSKRIT", 7, 11, SANSKRIT),
    ("am", "AMHARIC", 0, 0, []),
    ("ti", "TIGRINYA", 0, 0, []),
]

CONJUNCT_NAMES = dict(DEVANAGARI_CONJUNCTS)

BEGIN = "// BEGIN GENERATED SOFT KEYBOARD TABLES"
END = "// END GENERATED SOFT KEYBOARD TABLES"


def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2


def key_name(label):
    if label in CONJUNCT_NAMES:
        return CONJUNCT_NAMES[label]
    assert len(label) == 1, label
    return unicodedata.name(label)


def wide_literal(text):
    """A wide string literal; everything outside printable ASCII escaped."""
    out = []
    for ch in text:
        if 32 <= ord(ch) < 127 and ch not in '"\\':
            out.append(ch)
        else:
            assert ord(ch) <= 0xFFFF, "only the basic plane: %r" % ch
            out.append("\\u%04X" % ord(ch))
    return 'L"%s"' % "".join(out)


def check_language(code, title, rows, columns, keys):
    assert len(keys) == rows * columns, (
        "%s: %d keys for %d x %d" % (code, len(keys), rows, columns))
    assert len(keys) <= MAX_KEYS, code
    assert len(set(keys)) == len(keys), "%s: a key appears twice" % code
    assert utf16_units(title) <= MAX_NAME_UNITS and title == title.upper(), code
    for label in keys:
        assert 0 < utf16_units(label) <= MAX_LABEL_UNITS, (code, label)


def array_name(title):
    return "k%sKeys" % title.capitalize()


def block():
    lines = [BEGIN,
             "// tools/generate_soft_keyboard_tables.py wrote this block; "
             "never edit it by hand."]
    arrays = {}  # keys -> the array that holds them; languages share arrays
    for code, title, rows, columns, keys in LANGUAGES:
        check_language(code, title, rows, columns, keys)
        if not keys or tuple(keys) in arrays:
            continue
        arrays[tuple(keys)] = array_name(title)
        lines.append("")
        lines.append("// %s: %d rows of %d keys." % (title, rows, columns))
        lines.append("constexpr SoftKeyboardKey %s[] = {" % array_name(title))
        for label in keys:
            lines.append("    {%s, %s}," % (wide_literal(label),
                                           wide_literal(key_name(label))))
        lines.append('    {L"", L""},')
        lines.append("};")
    lines.append("")
    lines.append("constexpr SoftKeyboardTable kTables[kLanguageCount] = {")
    for code, title, rows, columns, keys in LANGUAGES:
        lines.append("    {%s, %d, %d, %s},  // %s" % (
            wide_literal(title), rows, columns,
            arrays[tuple(keys)] if keys else "kNoKeys", code))
    lines.append("};")
    lines.append(END)
    return "\n".join(lines) + "\n"


def main(argv):
    return generated_block.main(
        argv, __doc__, BEGIN, END, block,
        "%s: the soft keyboard tables differ from what "
        "tools/generate_soft_keyboard_tables.py writes\n")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
