#!/usr/bin/env python3
"""Generates the per-language identity tables of the input method.

Seven tables of 19 GUIDs each, one row per language code in the order of the
language index. Every value is a name-based (version 3, MD5) GUID made from a
name of ours, "<table>/<language code>", in a namespace of our own, so that
the same names always give the same values. Two rows are fixed instead: the
display attribute and the candidate UI element of "hi" keep the values they
had before the tables were generated.

The tables live as literals in ime/shared/language_identity.cc, between the
marker lines; the module and both installer programs compile that file. The
values were generated once and must never change (the product's installation
registers the same class identifier and profile). This script rewrites the
block (--write) or checks that the file still holds exactly what the names
give (--check).

Usage:
  generate_language_identity.py [--write | --check] [path of language_identity.cc]
Without an option it prints the block.
"""

import sys
import uuid

# The checks run from the source tree: leave no compiled cache beside it.
sys.dont_write_bytecode = True
import generated_block  # noqa: E402

LANGUAGE_CODES = [
    "hi", "ar", "bn", "fa", "el", "gu", "kn", "ml", "mr", "ne",
    "pa", "ta", "te", "ur", "ru", "sr", "sa", "am", "ti",
]

# Table order is the order of the tables in the source.
TABLES = [
    ("kTextServiceClsids", "text-service-class"),
    ("kInputProcessorProfiles", "input-processor-profile"),
    ("kDisplayAttributes", "display-attribute"),
    ("kCandidateUIElements", "candidate-ui-element"),
    ("kLangBarToggleButtons", "language-bar-toggle-button"),
    ("kLangBarPickerButtons", "language-bar-picker-button"),
    ("kLangBarMenuButtons", "language-bar-menu-button"),
]

# The namespace of all our names.
NAMESPACE = uuid.uuid3(uuid.NAMESPACE_URL, "urn:kelvane:language-identity")

# Rows whose values are given, not generated.
FIXED = {
    ("display-attribute", "hi"): uuid.UUID("A28B2E14-BF3B-3907-A74E-5DD7B4BF3484"),
    ("candidate-ui-element", "hi"): uuid.UUID("6528723D-B088-3C49-A9CE-187A458E0A7A"),
}

BEGIN = "// BEGIN GENERATED IDENTITY TABLES"
END = "// END GENERATED IDENTITY TABLES"


def identity(table, code):
    fixed = FIXED.get((table, code))
    return fixed if fixed is not None else uuid.uuid3(NAMESPACE, f"{table}/{code}")


def guid_literal(value):
    """A GUID initialiser in memory layout order: Data1, Data2, Data3, Data4."""
    fields = value.fields
    data4 = value.bytes[8:]
    return "{0x%08X, 0x%04X, 0x%04X, {%s}}" % (
        fields[0], fields[1], fields[2],
        ", ".join("0x%02X" % b for b in data4))


def block():
    lines = [BEGIN,
             "// tools/generate_language_identity.py wrote this block; "
             "never edit it by hand."]
    seen = set()
    for cpp_name, table in TABLES:
        lines.append("constexpr GUID %s[kRows] = {" % cpp_name)
        for code in LANGUAGE_CODES:
            value = identity(table, code)
            assert value.version == 3, (table, code)
            assert value not in seen, (table, code)
            seen.add(value)
            lines.append("    %s,  // %s %s" % (guid_literal(value), code,
                                                 str(value).upper()))
        lines.append("};")
    lines.append(END)
    return "\n".join(lines) + "\n"


def main(argv):
    return generated_block.main(argv, __doc__, BEGIN, END, block,
                                "%s: the identity tables differ from their names\n")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
