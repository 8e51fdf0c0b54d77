#!/usr/bin/env python3
"""Prepares the content of the Hindi language data file.

Reads the open inputs (the romanisation lexicon's train split, word
frequencies, the Debian word lists, the Latin spellings of the Devanagari
characters) and writes one UTF-8 text file that langdata_builder turns into
the binary data file with the project's own format writer.

The data file built from these inputs is a derived work of the Dakshina
dataset and of the OpenSubtitles word frequencies, both under CC BY-SA 4.0,
and is distributed under CC BY-SA 4.0.

Output: one record per line, fields separated by tabs (no field holds a
tab or a line break):
  language  <field> <value>          fields of the Language message
  character <ch> <class> <code point> <name> <itrans> <spellings> <matra>
  special   <native> <spellings>
  rule      <rule name> <first> <second> <count>
  lookup    <section 3|5> <latin> {<native> <score>}...
  class     <letters>                one letter-class list
  segment   <latin> <type> <weight> {<native> <probability>}...
  keyvalue  <native> <latin>
  word      <native> <score>         Suggest dictionary
Standard library only.
"""

import argparse
import collections
import hashlib
import math
import os
import pickle
import re
import sys
import tomllib
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import alignment  # noqa: E402
import devanagari as dv  # noqa: E402
import wordlists  # noqa: E402

LICENCE_NOTE = (
    "derived from the Dakshina dataset (Hindi lexicon, train split) and "
    "the OpenSubtitles 2018 word frequencies, CC BY-SA 4.0; distributed "
    "under CC BY-SA 4.0")

# Choices of the estimation. They were tuned on the train split alone:
# built with --hold-out, which leaves a fixed tenth of its words out (see
# held_out), and measured on the rows left out (scripts/eval-held-out). The
# dev split of the lexicon (which the builder never reads) only measures the
# result. The lookups were not tuned that way: the words left out are never
# in them, so such a measure sees only the lookups that collide with those
# words, and fewer lookups always look better there; dropping them costs the
# words of the train split about two points of top-1.
PARAMS = {
    # Longest segment, in aligned units (5: a whole syllable with its
    # consonant cluster is more often one segment than with 4).
    "max_units": 5,
    # Spans may end on a unit typed as nothing (1) or not (0): with 1 the x
    # of max also reads as the ks it stands for.
    "empty_edges": 1,
    # A segment needs this many (weighted) observations.
    "min_count": 1.0,
    # Native readings kept per Latin segment (inside a word, and at its
    # start or end), and the smallest probability (at the edges, inside).
    # Readings inside a word multiply the work of every keystroke: past
    # three, or below 0.1, they cost more time than they bring accuracy;
    # readings at the edges are cheap.
    "max_natives": 3,
    "max_natives_edge": 8,
    "min_probability": 0.02,
    "min_probability_simple": 0.1,
    # Weight of a segment: type factor x (how often the Latin string is a
    # segment where it occurs) ^ exponent x length factor ^ (letters - 1).
    "weight_prefix": 3.0,
    "weight_simple": 1.0,
    "weight_suffix": 1.0,
    "boundary_exponent": 1.0,
    "length_factor": 2.0,
    # Dictionary scores: base + scale x log2(1 + frequency) for words with a
    # frequency; the others (no frequency known) score
    # fallback x (1 + the number of Debian word lists that hold them).
    "dict_scale": 200.0,
    "dict_base": 100.0,
    "dict_fallback": 40.0,
    # Above 0: base + scale x (1 + frequency) ^ power instead of the log2.
    "dict_power": 0.0,
    # Lookups: a Latin spelling of a word is kept when this many people typed
    # it that way (a consensus spelling; a lookup outranks the segments).
    "lookup_min_count": 3,
    # A letter joins the class of a consonant when it spells it this often.
    "class_share": 0.04,
    "alignment_iterations": 6,
    "rule_scale": 1,
    # Anusvara spellings for the rule-based conversion (NASAL_FOLLOWERS).
    "nasal_mappings": 1,
}

LATIN_WORD = re.compile(r"^[a-z]+$")
INHERENT_VOWEL = "\u0905"
VOWEL_LETTERS = "aeiou"
MIN_SPELLING_COUNT = 5
MIN_SPELLING_SHARE = 0.03


def log(message):
    print("[prepare_hindi] " + message, file=sys.stderr)


# ---------------------------------------------------------------- inputs


def read_lexicon(path):
    """(native NFC, latin lower-case, count) of every usable row."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 3:
                continue
            native = dv.normalize(parts[0])
            latin = parts[1].strip().lower()
            if not LATIN_WORD.match(latin) or not dv.is_wellformed(native):
                continue
            rows.append((native, latin, int(parts[2])))
    return rows


def held_out(native):
    """Whether a word belongs to the fixed tenth of the train split that a
    tuning build leaves out (--hold-out): chosen by the word's CRC-32, so
    the same words every run, and every romanisation of a word together, as
    the dev split holds words the train split does not."""
    return zlib.crc32(native.encode("utf-8")) % 10 == 0


def split_held_out(rows, path):
    """The rows a tuning build keeps; the rows it leaves out are written to
    |path| in the lexicon's own form, to measure the build against."""
    kept, left = [], []
    for row in rows:
        (left if held_out(row[0]) else kept).append(row)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        for native, latin, count in left:
            f.write("%s\t%s\t%d\n" % (native, latin, count))
    log("held out %d rows (%d words) into %s" % (
        len(left), len({r[0] for r in left}), path))
    return kept


def read_frequencies(path):
    freq = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) != 2 or not parts[1].isdigit():
                continue
            word = dv.normalize(parts[0])
            if dv.is_wellformed(word):
                freq[word] = freq.get(word, 0) + int(parts[1])
    return freq


def read_common_maps(folder):
    """Latin spellings of Devanagari strings from the romanisation maps,
    lower-cased, letters only; and the vowel -> vowel sign table."""
    spellings = collections.defaultdict(list)
    for scheme in ("itrans", "optitrans", "itrans_lowercase", "hk"):
        path = os.path.join(folder, "roman", scheme + ".toml")
        if not os.path.exists(path):
            continue
        with open(path, "rb") as f:
            table = tomllib.load(f)
        alternates = table.get("alternates", {})
        for section, entries in table.items():
            if section in ("alternates", "shortcuts", "accents", "skip") or \
                    not isinstance(entries, dict):
                continue
            for native, latin in entries.items():
                native = dv.normalize(native)
                forms = [latin] if isinstance(latin, str) else list(latin)
                for form in list(forms):
                    forms.extend(alternates.get(form, []))
                for form in forms:
                    form = form.lower()
                    if LATIN_WORD.match(form) and form not in spellings[native]:
                        spellings[native].append(form)
    with open(os.path.join(folder, "_devanagari_vowel_to_marks.toml"), "rb") as f:
        matras = {dv.normalize(k): v for k, v in tomllib.load(f).items()}
    return spellings, matras


def read_word_lists(args):
    lists = {}
    lists["hunspell"] = wordlists.read_hunspell(args.hunspell)
    lists["aspell"] = wordlists.read_aspell_cwl(args.aspell)
    lists["apertium"] = wordlists.read_att_surface_forms(
        args.apertium,
        lambda s: all(0x900 <= ord(c) <= 0x97F for c in s))
    lists["tesseract"] = wordlists.read_tesseract_words(args.tesseract)
    for name in list(lists):
        raw = lists[name]
        lists[name] = {w for w in raw if dv.is_wellformed(w)}
        log("%s: %d words, %d well-formed" % (name, len(raw), len(lists[name])))
    return lists


# ---------------------------------------------------------------- alignment


def align(train, iterations, cache=None):
    pairs = [(dv.units(n), l, c) for n, l, c in train]
    # A cached alignment stands for the same rows, aligned by the same code.
    digest = hashlib.sha256(repr(train).encode("utf-8"))
    with open(alignment.__file__, "rb") as f:
        digest.update(f.read())
    key = (len(pairs), iterations, alignment.MAX_CHUNK, digest.hexdigest())
    if cache and os.path.exists(cache):
        with open(cache, "rb") as f:
            saved = pickle.load(f)
        if saved[0] == key:
            return saved[1]
    prob = alignment.estimate(pairs, iterations=iterations, log=log)
    aligned = []
    for (us, latin, count), (native, _, _) in zip(pairs, train):
        runs = alignment.viterbi(us, latin, prob)
        if runs is not None:
            aligned.append((us, runs, count, native, latin))
    if cache:
        with open(cache, "wb") as f:
            pickle.dump((key, aligned), f)
    return aligned


# ---------------------------------------------------------------- section 1


def base_char(unit):
    """The character a unit spells: a consonant unit without its virama."""
    return unit[:-1] if unit.endswith(dv.VIRAMA) else unit


def spelling_counts(aligned):
    """For each Devanagari character (a consonant with its nukta counts as
    one), how often each Latin run spelt it. A consonant's run loses the
    inherent a that ends it; a vowel sign's runs count for its vowel."""
    counts = collections.defaultdict(collections.Counter)
    for us, runs, count, _, _ in aligned:
        for unit, run in zip(us, runs):
            if not run:
                continue
            ch = base_char(unit)
            if dv.char_class(ch[0]) == dv.CONSONANT and not unit.endswith(dv.VIRAMA):
                if len(run) > 1 and run.endswith("a") and run[-2] not in VOWEL_LETTERS:
                    run = run[:-1]
                    # The inherent vowel, typed as a.
                    counts[INHERENT_VOWEL]["a"] += count
            counts[ch][run] += count
    return {ch: _frequent_runs(c) for ch, c in counts.items()}


def _frequent_runs(counter):
    """Drops the runs seen too rarely for a character: alignment noise,
    mostly English spellings of loanwords, not spellings of it."""
    total = sum(counter.values())
    return collections.Counter(
        {s: n for s, n in counter.items()
         if n >= max(MIN_SPELLING_COUNT, MIN_SPELLING_SHARE * total)})


def build_characters(used_chars, counts, map_spellings, matras):
    """Character records: (ch, class, name, itrans, spellings, matra)."""
    vowel_of_matra = {m: v for v, m in matras.items()}
    # Combined counts of a vowel and its vowel sign.
    combined = {}
    for ch in used_chars:
        c = collections.Counter(counts.get(ch, {}))
        if dv.char_class(ch[0]) == dv.VOWEL and ch in matras:
            c.update(counts.get(matras[ch], {}))
        combined[ch] = c
    # Every spelling is given to the character that it spells most often, so
    # that the static conversion has one reading per spelling.
    for ch, c in combined.items():
        combined[ch] = _frequent_runs(c)
    owner = {}
    for ch, c in combined.items():
        cls = dv.char_class(ch[0])
        if cls == dv.MATRA or ch in (dv.VIRAMA, dv.NUKTA):
            continue
        for spelling, n in c.items():
            if spelling not in owner or n > owner[spelling][1]:
                owner[spelling] = (ch, n)
    records = []
    for ch in sorted(used_chars, key=lambda s: (ord(s[0]), s)):
        cls = dv.char_class(ch[0])
        spellings = []
        if cls not in (dv.MATRA,) and ch not in (dv.VIRAMA, dv.NUKTA):
            observed = [s for s, _ in combined[ch].most_common()
                        if owner.get(s, (None,))[0] == ch and
                        _sounds_like(ch, s)]
            # A letter nobody typed in the lexicon (the vocalic RR or LL)
            # gets no spelling of its own: the rule-based conversion would
            # turn common letter pairs into it.
            spellings = observed
            if observed or cls != dv.VOWEL:
                spellings = observed + [s for s in map_spellings.get(ch, [])
                                        if s not in observed and s not in owner]
        itrans = (map_spellings.get(ch) or [""])[0]
        matra = None
        if cls == dv.VOWEL:
            if ch == "\u0905":
                matra = ""  # the inherent vowel: nothing after a consonant
            elif ch in matras:
                matra = matras[ch]
        name = " + ".join(dv.char_description(c) for c in ch)
        records.append((ch, dv.CONSONANT if len(ch) > 1 else cls, name, itrans,
                        spellings, matra))
    return records


def _sounds_like(ch, spelling):
    """Whether |spelling| can stand for |ch| in a rule-based conversion: a
    consonant's spelling holds no vowel letter, a vowel's only vowel letters
    (and y, w, h; the vocalic r and l begin with their r or l), a nasal
    sign's begins with n or m. Alignment runs such
    as "ar" or "te" for a consonant, which hold a vowel beside it, would make
    the conversion drop or double letters."""
    cls = dv.char_class(ch[0])
    first = spelling[0]
    if cls == dv.CONSONANT:
        return not any(letter in VOWEL_LETTERS for letter in spelling)
    if cls == dv.VOWEL:
        if "VOCALIC" in dv.char_description(ch):
            return first in "rl" or first in VOWEL_LETTERS
        return all(letter in VOWEL_LETTERS or letter in "ywh"
                   for letter in spelling)
    if ch in (dv.ANUSVARA, dv.CANDRABINDU):
        return first in "nm"
    if ch == dv.VISARGA:
        return first == "h"
    return True


# Consonants after which a typed n (m before the labials) is written as the
# anusvara, as Hindi spells nearly always (ant, angrez, ambar): the
# rule-based conversion gets them as one piece.
NASAL_FOLLOWERS = "\u0915\u0916\u0917\u0918\u091a\u091b\u091c\u091d" \
    "\u091f\u0920\u0921\u0922\u0924\u0925\u0926\u0927\u0936\u0937\u0938"
LABIALS = "\u092a\u092b\u092c\u092d"


def nasal_mappings(records):
    """(anusvara + consonant, spellings) for every spelling of the
    consonants above, after n (and after m for the labials)."""
    result = []
    for ch, cls, _, _, spellings, _ in records:
        if len(ch) != 1 or cls != dv.CONSONANT or not spellings:
            continue
        typed = []
        if ch in NASAL_FOLLOWERS or ch in LABIALS:
            typed += ["n" + s for s in spellings]
        if ch in LABIALS:
            typed += ["m" + s for s in spellings]
        if typed:
            result.append((dv.ANUSVARA + ch, typed))
    return result


# Conjuncts that are typed as one sound.
SPECIAL_MAPPINGS = [
    ("\u0915\u094d\u0937", ["ksh", "x", "ksha"]),
    ("\u0924\u094d\u0930", ["tr"]),
    ("\u091c\u094d\u091e", ["gy", "gya", "jny", "dny"]),
    ("\u0936\u094d\u0930", ["shr"]),
]


# ---------------------------------------------------------------- section 2


def rule_counts(words, scale=1):
    """Counts over the word types of the cleaned word list, times |scale|:
    the word checks want fixed least counts, which a larger scale lowers."""
    pairs = collections.Counter()
    class_pairs = collections.Counter()
    positions = {"b": collections.Counter(), "m": collections.Counter(),
                 "e": collections.Counter()}
    for w in words:
        classes = [str(dv.char_class(c)) for c in w]
        positions["b"][w[0]] += 1
        if len(w) > 1:
            positions["e"][w[-1]] += 1
        for c in w[1:-1]:
            positions["m"][c] += 1
        for i in range(1, len(w)):
            pairs[w[i - 1] + "\t" + w[i]] += 1
            class_pairs[classes[i - 1] + "\t" + classes[i]] += 1
    rules = []
    for key, n in sorted(pairs.items()):
        rules.append((0, key, n * scale))
    for key, n in sorted(class_pairs.items()):
        rules.append((1, key, n * scale))
    for pos in "bme":
        for ch, n in sorted(positions[pos].items()):
            rules.append((3, pos + "\t" + ch, n * scale))
    return rules


# ---------------------------------------------------------------- segments


def extract_segments(aligned, max_units, empty_edges=0):
    """Counts of (latin, native) per position: 'p' at the start of a word
    (not reaching its end), 's' inside it, 'e' reaching its end (the whole
    word included). Also how often each Latin string occurs at each
    position, to weigh how often it is a segment where it occurs.

    A unit typed as nothing (the s of x for ks, an unwritten vowel sign)
    belongs to the span before it when |empty_edges| is set: that span's
    Latin text then also reads as the native text with that unit."""
    seg = {t: collections.defaultdict(collections.Counter) for t in "pse"}
    for us, runs, count, _, latin in aligned:
        m = len(us)
        offsets = [0]
        for r in runs:
            offsets.append(offsets[-1] + len(r))
        for s in range(m):
            for e in range(s + 1, min(m, s + max_units) + 1):
                lat = "".join(runs[s:e])
                if not lat:
                    continue
                # A span that starts on a unit typed as nothing is the same
                # Latin text as the span without it, and so is one that ends
                # on such a unit unless that unit is counted with it.
                if not runs[s] or (not runs[e - 1] and not empty_edges):
                    continue
                nat = "".join(us[s:e])
                t = "e" if e == m else ("p" if s == 0 else "s")
                seg[t][lat][nat] += count
    return seg


def substring_occurrences(train, max_len):
    occ = {t: collections.Counter() for t in "pse"}
    for _, latin, count in train:
        n = len(latin)
        for i in range(n):
            for j in range(i + 1, min(n, i + max_len) + 1):
                t = "e" if j == n else ("p" if i == 0 else "s")
                occ[t][latin[i:j]] += count
    return occ


def build_segments(aligned, train, params):
    seg = extract_segments(aligned, params["max_units"],
                           params["empty_edges"])
    max_len = max((len(l) for t in seg.values() for l in t), default=1)
    occ = substring_occurrences(train, max_len)
    type_of = {"s": 0, "p": 1, "e": 2}
    factor = {"s": params["weight_simple"], "p": params["weight_prefix"],
              "e": params["weight_suffix"]}
    records = []
    for t in "pse":
        for lat, natives in sorted(seg[t].items()):
            total = sum(natives.values())
            if total < params["min_count"]:
                continue
            floor = params["min_probability" if t != "s" else "min_probability_simple"]
            kept = [(n, c / total) for n, c in natives.most_common()
                    if c / total >= floor]
            kept = kept[:params["max_natives" if t == "s" else "max_natives_edge"]]
            if not kept:
                continue
            boundary = min(1.0, total / max(occ[t][lat], 1))
            weight = factor[t] * boundary ** params["boundary_exponent"] * \
                params["length_factor"] ** (len(lat) - 1)
            if t == "e":
                weight /= len(lat)  # the runtime multiplies by the length
            records.append((lat, type_of[t], weight, kept))
    return records


# ---------------------------------------------------------------- lookups


def build_lookups(train, params):
    by_latin = collections.defaultdict(collections.Counter)
    for native, latin, count in train:
        if count >= params["lookup_min_count"]:
            by_latin[latin][native] += count
    single, several = [], []
    for latin in sorted(by_latin):
        natives = by_latin[latin]
        total = sum(natives.values())
        entry = (latin, [(n, c / total) for n, c in natives.most_common()])
        (single if len(natives) == 1 else several).append(entry)
    return single, several


# ---------------------------------------------------------------- classes


def build_classes(counts, records, params):
    """Letter classes: the vowels first, with h (typed or not for
    aspiration), y and w (typed as often as i and u, and the other way
    round: kiya and kia, swagat and suagat), so that their presence never
    decides a match; then one list per consonant: the letters that begin its
    spellings at least class_share of the time; then the nasals. A letter
    that is also in a consonant's list (w) still matches that list."""
    vowel_like = ["a", "e", "i", "o", "u", "h", "y", "w"]
    lists = [", ".join(vowel_like)]
    for ch, cls, _, _, _, _ in records:
        if cls != dv.CONSONANT or ch == dv.NUKTA or ch == "\u0939":
            continue
        c = counts.get(ch, collections.Counter())
        # A consonant with nukta is one class with its base consonant.
        if len(ch) == 1:
            for other, oc in counts.items():
                if len(other) == 2 and other[0] == ch:
                    c = c + oc
        letters = collections.Counter()
        for spelling, n in c.items():
            consonants = [x for x in spelling if x not in "aeiouh"]
            if consonants:
                letters[consonants[0]] += n
        total = sum(letters.values())
        if not total:
            continue
        chosen = sorted(l for l, n in letters.items()
                        if n / total >= params["class_share"])
        # A consonant spelt only by letters of the first list (ya) is left
        # out of the skeleton like them.
        if chosen and not all(l in vowel_like for l in chosen):
            lists.append(", ".join(chosen))
    lists.append("m, n")
    # Identical lists carry the same information once.
    unique = []
    for l in lists:
        if l not in unique:
            unique.append(l)
    return unique


def build_key_values(counts, records):
    """The most common Latin spelling of each character (a vowel sign's own
    runs; the virama and the nukta spell nothing)."""
    lines = []
    for ch, cls, _, _, _, _ in records:
        if len(ch) != 1:
            continue
        if ch in (dv.VIRAMA, dv.NUKTA):
            lines.append((ch, ""))
            continue
        c = counts.get(ch)
        if not c:
            continue
        lines.append((ch, c.most_common(1)[0][0]))
    return lines


# ---------------------------------------------------------------- dictionary


def build_dictionary(train, freq, lists, params):
    sources = collections.Counter()
    for words in lists.values():
        for w in words:
            sources[w] += 1
    for native, _, _ in train:
        sources[native] += 0  # present, no extra evidence
    for w in freq:
        sources[w] += 0
    result = []
    for w in sorted(sources):
        if len(w) > 255:
            continue
        if w in freq and params["dict_power"] > 0:
            score = params["dict_base"] + params["dict_scale"] * \
                (1 + freq[w]) ** params["dict_power"]
        elif w in freq:
            score = params["dict_base"] + params["dict_scale"] * math.log2(1 + freq[w])
        else:
            score = params["dict_fallback"] * (1 + sources[w])
        result.append((w, max(1, int(round(score)))))
    return result


# ---------------------------------------------------------------- output


def clean_field(text):
    if "\t" in text or "\n" in text or "\r" in text:
        raise ValueError("field holds a separator: %r" % text)
    return text


def write_output(path, language, records, rules, lookups, classes, segments,
                 key_values, dictionary, params):
    tmp = path + ".partial"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write("# %s\n" % LICENCE_NOTE)
        for key, value in language:
            f.write("language\t%s\t%s\n" % (key, value))
        for ch, cls, name, itrans, spellings, matra in records:
            f.write("character\t%s\t%d\t%d\t%s\t%s\t%s\t%s\n" % (
                ch, cls, ord(ch[0]), name, itrans or "-", ", ".join(spellings),
                "-" if matra is None else ("=" + matra)))
        specials = list(SPECIAL_MAPPINGS)
        if params["nasal_mappings"]:
            specials += nasal_mappings(records)
        for native, spellings in specials:
            f.write("special\t%s\t%s\n" % (native, ", ".join(spellings)))
        for rule, key, n in rules:
            f.write("rule\t%d\t%s\t%d\n" % (rule, key, n))
        for section, entries in lookups:
            for latin, natives in entries:
                f.write("lookup\t%d\t%s\t%s\n" % (section, latin, "\t".join(
                    "%s\t%.6g" % (n, s) for n, s in natives)))
        for c in classes:
            f.write("class\t%s\n" % c)
        for latin, t, weight, natives in segments:
            f.write("segment\t%s\t%d\t%.6g\t%s\n" % (latin, t, weight, "\t".join(
                "%s\t%.6g" % (n, p) for n, p in natives)))
        for native, latin in key_values:
            f.write("keyvalue\t%s\t%s\n" % (clean_field(native), clean_field(latin)))
        for w, score in dictionary:
            f.write("word\t%s\t%d\n" % (clean_field(w), score))
    os.replace(tmp, path)


def load_inputs(args, params):
    """Everything read from the inputs, and the alignment of the train
    split: what the content is built from."""
    inputs = {}
    inputs["train"] = read_lexicon(args.train)
    if args.hold_out:
        inputs["train"] = split_held_out(inputs["train"], args.hold_out)
    log("train: %d usable rows" % len(inputs["train"]))
    inputs["freq"] = read_frequencies(args.frequencies)
    inputs["map_spellings"], inputs["matras"] = read_common_maps(args.common_maps)
    inputs["lists"] = read_word_lists(args)
    inputs["aligned"] = align(inputs["train"], params["alignment_iterations"],
                              args.alignment_cache)
    log("aligned %d pairs" % len(inputs["aligned"]))
    return inputs


def write_prepared(inputs, params, output):
    train, freq, lists = inputs["train"], inputs["freq"], inputs["lists"]
    matras = inputs["matras"]
    counts = spelling_counts(inputs["aligned"])
    words = set(freq)
    for ws in lists.values():
        words |= ws
    words |= {n for n, _, _ in train}
    used = set()
    for w in words:
        for u in dv.units(w):
            b = base_char(u)
            used.add(b)
            used.update(b)
    used.add(dv.VIRAMA)
    for ch in matras:
        if ch in used or matras[ch] in used:
            used.add(ch)
            used.add(matras[ch])
    records = build_characters(used, counts, inputs["map_spellings"], matras)
    language = [("language_id", "1"), ("language_name", "hi"),
                ("virama", dv.VIRAMA), ("indic_char_bytes", "3"),
                ("vowel_matra_difference", "56"),
                ("end_words_with_virama", "0")]
    rules = rule_counts(words, params["rule_scale"])
    single, several = build_lookups(train, params)
    classes = build_classes(counts, records, params)
    segments = build_segments(inputs["aligned"], train, params)
    key_values = build_key_values(counts, records)
    dictionary = build_dictionary(train, freq, lists, params)
    log("%d characters, %d rules, %d+%d lookups, %d classes, %d segments, "
        "%d dictionary words" % (len(records), len(rules), len(single),
                                 len(several), len(classes), len(segments),
                                 len(dictionary)))
    write_output(output, language, records, rules,
                 [(3, single), (5, several)], classes, segments, key_values,
                 dictionary, params)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--train", required=True)
    parser.add_argument("--frequencies", required=True)
    parser.add_argument("--common-maps", required=True)
    parser.add_argument("--hunspell", required=True)
    parser.add_argument("--aspell", required=True)
    parser.add_argument("--apertium", required=True)
    parser.add_argument("--tesseract", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--alignment-cache")
    parser.add_argument("--hold-out", metavar="LEXICON.tsv",
                        help="tuning build: leaves a fixed tenth of the train "
                        "split's words out and writes their rows here")
    parser.add_argument("--param", action="append", default=[],
                        help="NAME=VALUE, overrides a tuned choice")
    args = parser.parse_args()
    params = dict(PARAMS)
    for item in args.param:
        name, value = item.split("=", 1)
        params[name] = type(PARAMS[name])(value)
    write_prepared(load_inputs(args, params), params, args.output)


if __name__ == "__main__":
    main()
