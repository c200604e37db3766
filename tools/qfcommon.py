"""Helpers shared by the payload generators (build tools, never shipped).

Every generator reads the one descriptor, payload/quillfern.json, so the help
pages, the library file, the residents file and the example check can't drift
apart. All text that ends up in an item is code page 1252.
"""

import json
import os
import re
import struct
import sys

ENCODING = "cp1252"

_PB_TYPES = {"l", "i", "s"}  # long, integer (pointer-sized), string


class DescriptorError(Exception):
    pass


def fail(message):
    """Ends a tool with a message that names the tool, for readable build logs."""
    sys.stderr.write("%s: error: %s\n" % (os.path.basename(sys.argv[0]), message))
    sys.exit(1)


# The version is written once, as the descriptor's "version" ("2.10"): every
# text that shows it says VERSION_MARK, and the #Quill_Version constant's value
# (the version times 100, as the library file holds it) is VERSION_NUMBER_MARK.
VERSION_MARK = "@VERSION@"
VERSION_NUMBER_MARK = "@VERSION_NUMBER@"
_VERSION = re.compile(r"([0-9]+)\.([0-9]{2})")


def version_number(version):
    """2.10 gives 210: the major version times 100 plus the two-digit minor."""
    match = _VERSION.fullmatch(version)
    if not match:
        raise DescriptorError("version %r is not major.minor with a two-digit minor (2.10)" % version)
    return int(match.group(1)) * 100 + int(match.group(2))


def with_version(text, d):
    """A text of the items (a help page's fragment, the example's code page
    1252 bytes) with the descriptor's version where it says VERSION_MARK."""
    if isinstance(text, bytes):
        return text.replace(cp1252(VERSION_MARK), cp1252(d["version"]))
    return text.replace(VERSION_MARK, d["version"])


def load_descriptor(path):
    """Reads and checks the descriptor, its version filled in where it is
    marked; a malformed one stops the build here rather than producing a
    half-right item."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    version = json.loads(text)["version"]
    number = version_number(version)
    text = text.replace('"%s"' % VERSION_NUMBER_MARK, str(number)).replace(VERSION_NUMBER_MARK, str(number))
    d = json.loads(text.replace(VERSION_MARK, version))
    d["version_number"] = number
    _check_descriptor(d)
    return d


def _check_descriptor(d):
    prefix = d["function_prefix"]
    cprefix = d["constant_prefix"]
    langs = list(d["languages"])
    seen = set()
    for fn in d["functions"]:
        name = fn["name"]
        if not name.startswith(prefix) or name in seen:
            raise DescriptorError("bad or duplicate function name %r" % name)
        seen.add(name)
        if fn["returns"] not in _PB_TYPES | {""}:
            raise DescriptorError("%s: unknown result type %r" % (name, fn["returns"]))
        pnames = [p[0] for p in fn["params"]]
        for pname, ptype in fn["params"]:
            if ptype not in _PB_TYPES:
                raise DescriptorError("%s: unknown type %r" % (name, ptype))
            if (ptype == "s") != pname.endswith("$"):
                raise DescriptorError("%s: string parameters end in $ (%s)" % (name, pname))
        for lang in langs:
            text = fn[lang]
            if sorted(text["params"]) != sorted(pnames):
                raise DescriptorError("%s/%s: parameter texts don't match" % (name, lang))
            if bool(text["result"]) != bool(fn["returns"]):
                raise DescriptorError("%s/%s: result text vs result type" % (name, lang))
        for other in fn["see_also"]:
            if other not in {f["name"] for f in d["functions"]}:
                raise DescriptorError("%s: see-also %r is no function" % (name, other))
    groups = {g["id"] for g in d["constant_groups"]}
    cseen = set()
    for c in d["constants"]:
        if not c["name"].startswith(cprefix) or c["name"] in cseen:
            raise DescriptorError("bad or duplicate constant %r" % c["name"])
        cseen.add(c["name"])
        if c["group"] not in groups:
            raise DescriptorError("%s: unknown group" % c["name"])
        if not -2**31 <= c["value"] < 2**31:
            raise DescriptorError("%s: value is not 32-bit" % c["name"])
    # Everything written into an item must survive the trip to code page 1252.
    json.dumps(d, ensure_ascii=False).encode(ENCODING)


def cp1252(text):
    return text.encode(ENCODING)


def u32(value):
    return struct.pack("<I", value)


def i32(value):
    return struct.pack("<i", value)


def tagged(tag, body):
    """A section: four-byte tag, 32-bit little-endian body length, body."""
    assert len(tag) == 4
    return tag + u32(len(body)) + body


def zstr(text):
    """A zero-terminated code page 1252 string."""
    data = cp1252(text)
    assert b"\0" not in data
    return data + b"\0"


def write_bytes(path, data):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


_NAME = re.compile(r"#?[A-Za-z_][A-Za-z0-9_]*\$?")


def basic_names(source):
    """Identifiers (with a leading # for constants) in PureBasic source text,
    leaving out comments and string literals."""
    names = []
    for line in source.splitlines():
        code = []
        in_string = False
        for ch in line:
            if ch == '"':
                in_string = not in_string
                continue
            if ch == ";" and not in_string:
                break
            code.append(" " if in_string else ch)
        names.extend(_NAME.findall("".join(code)))
    return names


def bmp_file(width, height, bits, pixel_rows, palette=None, ppm=2835):
    """A BITMAPFILEHEADER + BITMAPINFOHEADER bitmap, bottom-up.

    pixel_rows: the rows top first, each already bytes of width*bits/8;
    palette: list of (r, g, b) for 8-bit pictures, all of them declared used.
    """
    stride = (width * bits // 8 + 3) & ~3
    data = bytearray()
    for row in reversed(pixel_rows):
        assert len(row) == width * bits // 8
        data += row + b"\0" * (stride - len(row))
    colours = len(palette) if palette else 0
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in (palette or []))
    offset = 14 + 40 + len(table)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                         len(data), ppm, ppm, colours, colours)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header + table + bytes(data)
