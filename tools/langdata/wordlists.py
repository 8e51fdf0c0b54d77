"""Readers of the Hindi word lists that Debian packages ship.

Each list comes in its own storage form; the functions here turn each into
plain words (NFC, unfiltered). Standard library only.
"""

import gzip
import struct
import unicodedata


def nfc(word):
    return unicodedata.normalize("NFC", word)


def read_hunspell(dic_path):
    """Words of a hunspell .dic file: first line the count, then word/flags."""
    words = []
    with open(dic_path, encoding="utf-8") as f:
        for index, line in enumerate(f):
            line = line.strip()
            if index == 0 and line.isdigit():
                continue
            if not line:
                continue
            words.append(nfc(line.split("/", 1)[0]))
    return words


def read_aspell_cwl(path):
    """Words of an aspell compressed word list (.cwl, gzip over prezip).

    The prezip form starts with the byte 2 and stores each word as the number
    of leading bytes it shares with the word before (a byte below 30, or 30
    followed by the count beyond 30), then its remaining bytes. Bytes below
    32 never occur inside words (UTF-8 text), so they mark the next word; the
    byte 31 ends the list.
    """
    data = gzip.open(path, "rb").read()
    if not data or data[0] != 2:
        raise ValueError("%s: not a prezip word list" % path)
    words = []
    previous = b""
    i = 1
    n = len(data)
    while i < n:
        control = data[i]
        i += 1
        if control == 31:
            break  # end of the list
        if control == 30:
            shared = 30 + data[i]
            i += 1
        elif control < 30:
            shared = control
        else:
            raise ValueError("%s: bad control byte at %d" % (path, i - 1))
        start = i
        while i < n and data[i] >= 32:
            i += 1
        word = previous[:shared] + data[start:i]
        previous = word
        if word:
            words.append(nfc(word.decode("utf-8")))
    return words


def read_att_surface_forms(path, keep_symbol, max_forms=1000000):
    """Surface forms of a morphological analyser in AT&T text form.

    Lines are "from to input output [weight]" (arcs) or "state [weight]"
    (final states); "--" separates transducers, whose states are numbered
    anew; "@0@" and "ε" are the empty symbol. The surface form of a path
    is its input symbols. Arcs whose input symbol |keep_symbol| refuses are
    left out (punctuation, digits, multi-word expressions). Paths are walked
    depth first from state 0 of each transducer; a state already on the
    current path is not entered again, so cycles end.
    """
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rt", encoding="utf-8") as f:
        sections = f.read().split("\n--\n")
    forms = set()
    for section in sections:
        arcs = {}
        finals = set()
        for line in section.split("\n"):
            parts = line.split("\t")
            if len(parts) >= 4:
                symbol = parts[2]
                if symbol in ("@0@", "\u03b5"):
                    symbol = ""
                elif not keep_symbol(symbol):
                    continue
                arcs.setdefault(int(parts[0]), []).append(
                    (int(parts[1]), symbol))
            elif parts and parts[0].strip().isdigit():
                finals.add(int(parts[0]))
        stack = [(0, "", frozenset([0]))]
        while stack and len(forms) < max_forms:
            state, text, on_path = stack.pop()
            if state in finals and text:
                forms.add(text)
            for target, symbol in arcs.get(state, ()):
                if target in on_path or len(text) > 40:
                    continue
                stack.append((target, text + symbol, on_path | {target}))
    return sorted(nfc(w) for w in forms)


def _read_traineddata_components(path):
    """The components of a tesseract .traineddata file, by index."""
    data = open(path, "rb").read()
    (count,) = struct.unpack_from("<i", data, 0)
    offsets = struct.unpack_from("<%dq" % count, data, 4)
    components = {}
    for index, offset in enumerate(offsets):
        if offset < 0:
            continue
        end = len(data)
        for later in offsets[index + 1:]:
            if later >= 0:
                end = later
                break
        components[index] = data[offset:end]
    return components


_LSTM_UNICHARSET = 21
_LSTM_WORD_DAWG = 19


def _unichars(unicharset_bytes):
    lines = unicharset_bytes.decode("utf-8").split("\n")
    count = int(lines[0])
    chars = []
    for line in lines[1:count + 1]:
        text = line.split(" ", 1)[0]
        chars.append(" " if text == "NULL" else text)
    return chars


def read_tesseract_words(path):
    """Words of the LSTM word DAWG of a tesseract .traineddata file.

    The DAWG is stored squished: i16 magic 42, i32 unicharset size, i32 edge
    count, then one u64 per edge: the letter (unichar id) in the low bits,
    then three flag bits (marker = last edge of its node, direction,
    end of word), then the index of the next node's first edge.
    """
    components = _read_traineddata_components(path)
    chars = _unichars(components[_LSTM_UNICHARSET])
    dawg = components[_LSTM_WORD_DAWG]
    magic, size, edge_count = struct.unpack_from("<hii", dawg, 0)
    if magic != 42:
        raise ValueError("%s: not a squished DAWG" % path)
    edges = struct.unpack_from("<%dQ" % edge_count, dawg, 10)
    flag_bit = 0
    while (1 << flag_bit) < size:
        flag_bit += 1
    letter_mask = (1 << flag_bit) - 1
    marker = 1 << flag_bit
    backward = 2 << flag_bit
    word_end = 4 << flag_bit
    next_shift = flag_bit + 3
    words = []
    stack = [(0, "")]
    seen = 0
    while stack:
        node, prefix = stack.pop()
        index = node
        while index < edge_count:
            edge = edges[index]
            if not edge & backward:
                letter = edge & letter_mask
                text = prefix + (chars[letter] if letter < len(chars) else "")
                if edge & word_end:
                    words.append(text)
                following = edge >> next_shift
                if following:
                    seen += 1
                    if seen > 10 * edge_count:
                        raise ValueError("%s: DAWG does not end" % path)
                    stack.append((following, text))
            if edge & marker:
                break
            index += 1
    return sorted(set(nfc(w) for w in words))
