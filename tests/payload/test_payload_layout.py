"""The layout header and the built program against the item files: order,
offsets, sizes, the block's bytes in the program, marks, and that the marks
need no code run at start-up."""

import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest

from payloadtest import GENERATED_DIR, ITEM_FILES, PROGRAM, SOURCE_DIR, item, main, require_items

NAMES = ["HelpFrench", "HelpEnglish", "LibraryFile", "ResidentFile",
         "ExampleSources", "LogoBitmap", "ButtonBitmap"]
MARKS = [n + "Start" for n in NAMES] + ["PayloadEnd"]


def setUpModule():
    require_items()
    if not os.path.isfile(os.path.join(GENERATED_DIR, "PayloadLayout.h")):
        raise RuntimeError("QUILLFERN_PAYLOAD_GENERATED must name the folder of PayloadLayout.h")


def layout():
    with open(os.path.join(GENERATED_DIR, "PayloadLayout.h")) as f:
        return {m.group(1): int(m.group(2))
                for m in re.finditer(r"constexpr (?:unsigned|int) (\w+) = (\d+);", f.read())}


class Layout(unittest.TestCase):
    def test_items_end_to_end_in_order(self):
        values = layout()
        offset = 0
        for name, filename in zip(NAMES, ITEM_FILES):
            size = len(item(filename))
            self.assertEqual(values["PayloadOffset" + name], offset, name)
            self.assertEqual(values["PayloadSize" + name], size, name)
            offset += size
        self.assertEqual(values["PayloadSize"], offset)

    def test_example_size_is_the_whole_example_item(self):
        self.assertEqual(layout()["PayloadExampleTintwellSize"], len(item("Tintwell.pb")))

    def test_the_program_holds_the_items_byte_for_byte_in_read_only_data(self):
        self.assertTrue(PROGRAM, "QUILLFERN_PROGRAM must name the built program")
        with open(PROGRAM, "rb") as f:
            program = f.read()
        block = b"".join(item(n) for n in ITEM_FILES)
        at = program.find(block)
        self.assertGreaterEqual(at, 0, "the items, end to end in order, are not in the program")
        self.assertEqual(program.find(block, at + 1), -1, "the block is in the program twice")
        section = file_section(program, at)
        self.assertIsNotNone(section, "the block is not inside one of the program's sections")
        name, start, size, flags = section
        self.assertLessEqual(at + len(block), start + size, "the block runs past the end of %s" % name)
        self.assertFalse(flags & (SCN_MEM_WRITE | SCN_MEM_EXECUTE), "%s is writable or executable" % name)


SCN_MEM_EXECUTE = 0x20000000
SCN_MEM_WRITE = 0x80000000


def file_section(program, at):
    """(name, file offset, size in the file, flags) of the PE section whose
    bytes in the file hold offset `at`; None when none does."""
    pe, = struct.unpack_from("<I", program, 0x3C)
    count, optional = struct.unpack_from("<H12xH", program, pe + 6)
    table = pe + 24 + optional
    for i in range(count):
        name, raw_size, raw_start, flags = struct.unpack_from("<8s8xII12xI", program, table + 40 * i)
        if raw_start <= at < raw_start + raw_size:
            return name.rstrip(b"\0").decode(), raw_start, raw_size, flags
    return None


def cross_compiler():
    return os.environ.get("QUILLFERN_CXX") or shutil.which("i686-w64-mingw32-g++-posix")


@unittest.skipUnless(cross_compiler(), "no MinGW compiler")
class Marks(unittest.TestCase):
    """Compiles a user of Payload.h with the target compiler."""

    def compile(self, source):
        cxx = cross_compiler()
        with tempfile.TemporaryDirectory() as tmp:
            src, obj = os.path.join(tmp, "marks.cpp"), os.path.join(tmp, "marks.o")
            with open(src, "w") as f:
                f.write(source)
            run = subprocess.run([cxx, "-std=c++20", "-O0", "-Wall", "-Wextra", "-Werror", "-c",
                                  "-I", os.path.join(SOURCE_DIR, "payload"), "-I", GENERATED_DIR,
                                  src, "-o", obj], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self.assertEqual(run.returncode, 0, run.stdout.decode(errors="replace"))
            nm = os.environ.get("QUILLFERN_NM") or re.sub(r"g\+\+(-posix)?$", "nm", cxx)
            return subprocess.run([nm, obj], stdout=subprocess.PIPE, check=True).stdout.decode()

    def test_each_end_mark_is_the_next_start_and_nothing_runs_at_start_up(self):
        asserts = "".join("static_assert(%s - %s == PayloadSize%s);\n" % (MARKS[i + 1], MARKS[i], NAMES[i])
                          for i in range(len(NAMES)))
        source = ('#include "Payload.h"\n' + asserts +
                  "static_assert(HelpFrenchStart == PayloadBlock);\n"
                  "const unsigned char* const Marks[] = {%s};\n" % ", ".join(MARKS) +
                  "const unsigned char* Mark(int i) { return Marks[i]; }\n")
        symbols = self.compile(source)
        self.assertNotRegex(symbols, r"_GLOBAL__sub_I|\.ctors|__static_initialization")


if __name__ == "__main__":
    main()
