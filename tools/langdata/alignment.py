"""Alignment of Latin romanisations with their Devanagari words.

Each Devanagari unit (devanagari.units) produces a run of 0 to MAX_CHUNK
Latin letters; the probability of a pair is the sum over all ways of cutting
the Latin word into one run per unit of the product of p(run | unit).
p(run | unit) is estimated by expectation maximisation (forward-backward
over the cuts, weighted by the number of people who typed the pair), and
each pair is then cut its most probable way (Viterbi).
"""

import math
from collections import defaultdict

import devanagari as dv

MAX_CHUNK = 4
# Starting weight of a unit that produces no letter, against 1 for a run of
# letters: typing nothing for a unit happens (an unwritten nasal, a dropped
# h), but rarely.
_EMPTY_START = 0.05


def _chunks(latin, j_end):
    """(start, run) of every run of at most MAX_CHUNK letters ending at
    j_end, the empty run included."""
    for k in range(0, MAX_CHUNK + 1):
        start = j_end - k
        if start < 0:
            break
        yield start, latin[start:j_end]


_VOWEL_LETTERS = "aeiou"


def allowed(unit, run):
    """Whether |unit| may produce |run| at all. A consonant's letters begin
    with a consonant letter (y and v, which sound as vowels in i-a and u-a,
    excepted); a vowel's or vowel sign's letters begin with a vowel letter,
    y or w. Without these limits the alignment drifts into attaching a
    vowel letter to the consonant beside it."""
    if not run:
        return True
    cls = dv.char_class(unit[0])
    if cls == dv.CONSONANT and unit[0] not in "\u092f\u0935":
        return run[0] not in _VOWEL_LETTERS
    if cls in (dv.VOWEL, dv.MATRA):
        return run[0] in _VOWEL_LETTERS or run[0] in "yw"
    return True


def estimate(pairs, iterations=6, log=None):
    """pairs: list of (units, latin, weight). Returns p: dict unit ->
    dict run -> probability."""
    prob = defaultdict(dict)

    def p(unit, run):
        table = prob.get(unit)
        if table is None:
            if not allowed(unit, run):
                return 0.0
            return _EMPTY_START if run == "" else 1.0
        return table.get(run, 0.0)

    for iteration in range(iterations):
        counts = defaultdict(lambda: defaultdict(float))
        total_log = 0.0
        for us, latin, weight in pairs:
            m, n = len(us), len(latin)
            # forward[i][j]: the first i units produced the first j letters.
            forward = [[0.0] * (n + 1) for _ in range(m + 1)]
            forward[0][0] = 1.0
            for i in range(1, m + 1):
                unit = us[i - 1]
                row, before = forward[i], forward[i - 1]
                for j in range(0, n + 1):
                    s = 0.0
                    for start, run in _chunks(latin, j):
                        b = before[start]
                        if b:
                            s += b * p(unit, run)
                    row[j] = s
            z = forward[m][n]
            if z <= 0.0:
                continue
            total_log += weight * math.log(z)
            backward = [[0.0] * (n + 1) for _ in range(m + 1)]
            backward[m][n] = 1.0
            for i in range(m, 0, -1):
                unit = us[i - 1]
                after, row = backward[i], backward[i - 1]
                fore = forward[i - 1]
                for j in range(n, -1, -1):
                    a = after[j]
                    if not a:
                        continue
                    for start, run in _chunks(latin, j):
                        f = fore[start]
                        if not f:
                            continue
                        q = p(unit, run)
                        row[start] += q * a
                        counts[unit][run] += weight * f * q * a / z
        new = defaultdict(dict)
        for unit, runs in counts.items():
            total = sum(runs.values())
            for run, c in runs.items():
                if c / total > 1e-6:
                    new[unit][run] = c / total
        prob = new
        if log:
            log("alignment iteration %d: log-likelihood %.1f" %
                (iteration + 1, total_log))
    return prob


def viterbi(units, latin, prob):
    """The most probable cut of |latin| into one run per unit, as a list of
    runs; None when there is none."""
    m, n = len(units), len(latin)
    best = [[-1e300] * (n + 1) for _ in range(m + 1)]
    back = [[0] * (n + 1) for _ in range(m + 1)]
    best[0][0] = 0.0
    for i in range(1, m + 1):
        table = prob.get(units[i - 1], {})
        for j in range(0, n + 1):
            for start, run in _chunks(latin, j):
                q = table.get(run)
                if not q or best[i - 1][start] <= -1e299:
                    continue
                score = best[i - 1][start] + math.log(q)
                if score > best[i][j]:
                    best[i][j] = score
                    back[i][j] = start
    if best[m][n] <= -1e299:
        return None
    runs = []
    j = n
    for i in range(m, 0, -1):
        start = back[i][j]
        runs.append(latin[start:j])
        j = start
    runs.reverse()
    return runs
