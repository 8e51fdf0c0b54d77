"""The part both table generators share: a block of generated lines kept
between two marker lines of a source file, printed, rewritten (--write) or
checked (--check)."""

import sys


def replace_block(text, begin, end, block):
    """|text| with the lines from |begin| to |end| (both included) replaced
    by |block|."""
    start = text.index(begin)
    stop = text.index(end, start) + len(end) + 1
    return text[:start] + block + text[stop:]


def main(argv, usage, begin, end, make_block, difference):
    """Runs a generator: without an option prints the block; with --write or
    --check and a path rewrites the file's block or checks that it still
    holds what |make_block| gives (|difference| % path is the complaint)."""
    if len(argv) == 1:
        sys.stdout.write(make_block())
        return 0
    if len(argv) != 3 or argv[1] not in ("--write", "--check"):
        sys.stderr.write(usage)
        return 2
    path = argv[2]
    with open(path, encoding="utf-8") as f:
        text = f.read()
    updated = replace_block(text, begin, end, make_block())
    if argv[1] == "--check":
        if updated != text:
            sys.stderr.write(difference % path)
            return 1
        return 0
    with open(path, "w", encoding="utf-8") as f:
        f.write(updated)
    return 0
