"""The generated block and its layout header against the item files: order,
offsets, sizes, marks, and that the marks need no code run at start-up."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

from payloadtest import GENERATED_DIR, ITEM_FILES, SOURCE_DIR, item, main, require_items

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

    def test_block_holds_the_items_byte_for_byte(self):
        with open(os.path.join(GENERATED_DIR, "PayloadBlock.cpp")) as f:
            source = f.read()
        body = source[source.index("{") + 1:source.index("};")]
        block = bytes(int(h, 16) for h in re.findall(r"0x([0-9a-fA-F]{2})", body))
        self.assertEqual(block, b"".join(item(n) for n in ITEM_FILES))


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
