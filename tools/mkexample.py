#!/usr/bin/env python3
"""Copies an example source into the build, checked against the descriptor.

The example ships byte for byte, so it is normalised here: code page 1252,
lines ended by CR LF, no line end after the last line, first line a comment;
where it says @VERSION@ it shows the descriptor's version.
Every Quill... function and #Quill_... constant it names must exist in the
descriptor, and it must show a good share of them, or the build stops: an
example that calls something the library doesn't have is worse than none.

Usage: mkexample.py DESCRIPTOR SOURCE OUTPUT
"""

import sys

from qfcommon import DescriptorError, ENCODING, basic_names, fail, load_descriptor, with_version, write_bytes

# The share of the library's functions and constants the example must use.
MIN_FUNCTION_SHARE = 0.75
MIN_CONSTANT_SHARE = 0.5


def normalise(raw):
    text = raw.replace(b"\r\n", b"\n").replace(b"\r", b"\n").rstrip(b"\n")
    return text.replace(b"\n", b"\r\n")


def check(d, data):
    """Returns a list of problems; empty when the example is fit to ship."""
    problems = []
    try:
        text = data.decode(ENCODING)
    except UnicodeDecodeError as e:
        return ["not code page 1252 text: %s" % e]
    if not text.startswith(";"):
        problems.append("the first line must be a comment")
    functions = {f["name"] for f in d["functions"]}
    constants = {c["name"] for c in d["constants"]}
    used_f, used_c = set(), set()
    for name in basic_names(text):
        if name.startswith(d["constant_prefix"]):
            if name not in constants:
                problems.append("unknown constant %s" % name)
            used_c.add(name)
        elif name.startswith(d["function_prefix"]):
            if name not in functions:
                problems.append("unknown function %s" % name)
            used_f.add(name)
    if len(used_f & functions) < MIN_FUNCTION_SHARE * len(functions):
        problems.append("uses only %d of %d functions" % (len(used_f & functions), len(functions)))
    if len(used_c & constants) < MIN_CONSTANT_SHARE * len(constants):
        problems.append("uses only %d of %d constants" % (len(used_c & constants), len(constants)))
    return problems


def main(argv):
    if len(argv) != 4:
        fail("usage: mkexample.py DESCRIPTOR SOURCE OUTPUT")
    try:
        d = load_descriptor(argv[1])
    except DescriptorError as e:
        fail(str(e))
    with open(argv[2], "rb") as f:
        data = normalise(with_version(f.read(), d))
    problems = check(d, data)
    if problems:
        fail("%s: %s" % (argv[2], "; ".join(problems)))
    write_bytes(argv[3], data)


if __name__ == "__main__":
    main(sys.argv)
