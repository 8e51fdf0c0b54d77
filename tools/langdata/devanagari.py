"""Devanagari characters, their classes, and the checks of a well-formed word.

Classes are those of the Language message (CHARACTER_CLASS): consonant 1,
vowel 2, vowel sign (matra) 3, sign 4, digit 5; they are read from the
Unicode character names.

Nukta letters are written as the base consonant followed by the separate
nukta U+093C, which is what Unicode normalisation (NFC) gives: the
precomposed letters U+0958..U+095F are decomposed on input. The nukta has
the consonant class, so that a consonant with nukta behaves as a consonant
everywhere: before a vowel sign or a virama, and at the end of a word.
"""

import unicodedata

CONSONANT, VOWEL, MATRA, SPECIAL, DIGIT = 1, 2, 3, 4, 5

NUKTA = "\u093c"
VIRAMA = "\u094d"
ANUSVARA = "\u0902"
CANDRABINDU = "\u0901"
VISARGA = "\u0903"

_VOWEL_LETTERS = {
    "A", "AA", "I", "II", "U", "UU", "VOCALIC R", "VOCALIC RR", "VOCALIC L",
    "VOCALIC LL", "CANDRA E", "SHORT E", "E", "AI", "CANDRA O", "SHORT O",
    "O", "AU", "CANDRA A", "OE", "OOE", "AW", "UE", "UUE",
}

# Letters of the southern scripts that Hindi does not write; words holding
# them are not Hindi words.
_NOT_HINDI = {"\u0946", "\u094a", "\u090e", "\u0912", "\u0931", "\u0934",
              "\u0933"}


def char_class(ch):
    """The class of one Devanagari character; 0 for anything else."""
    if ch == NUKTA:
        return CONSONANT
    name = unicodedata.name(ch, "")
    if not name.startswith("DEVANAGARI "):
        return 0
    rest = name[len("DEVANAGARI "):]
    if rest.startswith("LETTER "):
        return VOWEL if rest[len("LETTER "):] in _VOWEL_LETTERS else CONSONANT
    if rest.startswith("VOWEL SIGN "):
        return MATRA
    if rest.startswith("DIGIT "):
        return DIGIT
    if rest.startswith("SIGN ") or rest == "OM":
        return SPECIAL
    return 0


def char_description(ch):
    return unicodedata.name(ch, "")


def normalize(word):
    return unicodedata.normalize("NFC", word.strip())


def is_wellformed(word):
    """True for a plausible Hindi word in Devanagari letters.

    Refused: anything but Devanagari letters, vowel signs and signs (digits
    and punctuation included); a word that starts with anything but a
    consonant letter or a vowel; a vowel sign that does not follow a
    consonant (after a vowel, a vowel sign, a virama or a sign); a virama or
    a nukta that does not follow a consonant; a sign after a virama; two
    viramas, two nuktas or two signs in a row.
    """
    if not word:
        return False
    previous = None
    for index, ch in enumerate(word):
        if ch in _NOT_HINDI:
            return False
        cls = char_class(ch)
        if cls in (0, DIGIT):
            return False
        if index == 0:
            if ch == NUKTA or cls not in (CONSONANT, VOWEL) or ch == "\u0950":
                return False
        elif cls == MATRA:
            if char_class(previous) != CONSONANT:
                return False
        elif ch == VIRAMA:
            if char_class(previous) != CONSONANT:
                return False
        elif ch == NUKTA:
            if previous == NUKTA or char_class(previous) != CONSONANT:
                return False
        elif cls == SPECIAL:
            if previous == VIRAMA or char_class(previous) == SPECIAL:
                return False
            if ch == "\u0950" or ch == "\u093d":
                return False
        previous = ch
    return True


def units(word):
    """Splits a word into the units that are aligned with Latin letters: a
    consonant with its nukta and virama, a vowel, a vowel sign or a sign."""
    result = []
    for ch in word:
        if result and ch in (NUKTA, VIRAMA) and char_class(result[-1][0]) == CONSONANT \
                and not result[-1].endswith(VIRAMA):
            result[-1] += ch
        else:
            result.append(ch)
    return result
