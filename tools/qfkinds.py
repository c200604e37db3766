"""What kind of file each payload item must be (build tools, never shipped).

The installer copies the help, library, residents and example items blindly
and hands the two pictures to the image service, which trusts their headers:
an item of the wrong kind would build without a word and go wrong only on the
user's machine. So every item, ours or a maintainer's, is checked here before
the block is laid out. Each check returns None for a good item, otherwise one
short phrase that says what is wrong.
"""

import struct

LIBRARY_PREAMBLE = b"ERUP" + struct.pack("<I", 253) + b"3BIL" + struct.pack("<I", 1) + b"LIB3"
RESIDENTS_PREAMBLE = b"ERUP" + struct.pack("<I", 0) + b"2SER"
# An empty structure section, then the constants section's tag.
RESIDENTS_SECTIONS = b"TCRS" + struct.pack("<I", 0) + b"TSNC"

ITSF_HEADER = 96
ITSF_SECTION0_MAGIC = 0x1FE
BMP_HEADERS = 14 + 40


def itsf_recorded_length(data):
    """The file length recorded in a compiled help file's first header
    section; None when that section isn't there."""
    if len(data) < ITSF_HEADER:
        return None
    section0, = struct.unpack_from("<Q", data, 0x38)
    if section0 + 16 > len(data) or struct.unpack_from("<I", data, section0)[0] != ITSF_SECTION0_MAGIC:
        return None
    return struct.unpack_from("<Q", data, section0 + 8)[0]


def bmp_headers(data):
    """(BITMAPFILEHEADER, BITMAPINFOHEADER) fields of a bitmap file."""
    return struct.unpack_from("<2sIHHI", data, 0), struct.unpack_from("<IiiHHIIiiII", data, 14)


def help_fault(data):
    if data[:4] != b"ITSF" or len(data) < ITSF_HEADER:
        return "not a compiled help file (no ITSF header)"
    version, header = struct.unpack_from("<II", data, 4)
    if (version, header) != (3, ITSF_HEADER):
        return "ITSF version %d with a %d-byte header, expected version 3 with %d" % (version, header, ITSF_HEADER)
    recorded = itsf_recorded_length(data)
    if recorded is None:
        return "compiled help file without its first header section"
    if recorded != len(data):
        return "compiled help file that records a length of %d bytes but has %d" % (recorded, len(data))
    return None


def library_fault(data):
    if not data.startswith(LIBRARY_PREAMBLE):
        return "does not begin as a library file (ERUP, 253, 3BIL, 1, LIB3)"
    if len(data) == len(LIBRARY_PREAMBLE):
        return "library file with nothing after its opening bytes"
    return None


def residents_fault(data):
    opening = RESIDENTS_PREAMBLE + RESIDENTS_SECTIONS
    if not data.startswith(opening):
        return "does not begin as a residents file (ERUP, 0, 2SER, empty TCRS, TSNC)"
    at = len(opening)
    if len(data) < at + 4 or struct.unpack_from("<I", data, at)[0] != len(data) - at - 4:
        return "residents file whose constants section does not end where the file ends"
    return None


def example_fault(data):
    if b"\0" in data:
        return "not a text file (it holds zero bytes)"
    if b"\r" in data.replace(b"\r\n", b"") or b"\n" in data.replace(b"\r\n", b""):
        return "text whose lines do not all end in CR LF"
    return None


def bitmap_fault(data, bits):
    """bits: the depth the window expects; 8 bits come with a palette."""
    if data[:2] != b"BM" or len(data) < BMP_HEADERS:
        return "not a Windows bitmap (no BM header)"
    (_, size, _, _, offset), (info, width, height, _, depth, compression, _, _, _, used, _) = bmp_headers(data)
    if size != len(data):
        return "bitmap that records a file size of %d bytes but has %d" % (size, len(data))
    if info != 40 or compression != 0:
        return "bitmap without a plain 40-byte information header and uncompressed pixels"
    if depth != bits:
        return "bitmap of %d bits per pixel, the window expects %d" % (depth, bits)
    colours = used or (1 << bits if bits <= 8 else 0)
    if offset < BMP_HEADERS + 4 * colours:
        return "bitmap without room for its palette of %d colours" % colours
    stride = (width * bits + 31) // 32 * 4
    if width <= 0 or height == 0 or offset + stride * abs(height) > len(data):
        return "bitmap whose %d x %d pixels do not fit in the file" % (width, abs(height))
    return None
