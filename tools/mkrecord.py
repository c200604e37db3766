#!/usr/bin/env python3
"""What a build writes beside its program, for a release (build tool, never shipped).

    mkrecord.py guard PROGRAM
        Fails, in one line, when PROGRAM carries an Authenticode signature:
        the build runs it before it links, so that no rebuild replaces a
        signed program without a word. A missing PROGRAM passes.

    mkrecord.py record PROGRAM ITEMS_DIR VERSION SOURCE_DIR CONTENT [NAME=TOOL ...]
        Writes beside PROGRAM (QuillfernSetup.exe):
          QuillfernSetup.exe.sha256   the program's SHA-256, as sha256sum
                                      writes it (sha256sum -c checks it)
          QuillfernSetup.exe.build    the build record: version, size and
                                      SHA-256, the content it was built
                                      around, the source's commit, and each
                                      tool's path, version and Debian package
          Quillfern-detection.ps1     an Intune custom detection script: every
                                      file of this version, with its SHA-256
        CONTENT is the folder of other items, or - for the shipped ones;
        each NAME=TOOL names a tool of the build. The record holds no
        time and no build folder: the same sources and tools give the same
        record. A signed PROGRAM is left with the record of its build.
"""

import hashlib
import os
import shutil
import struct
import subprocess
import sys

from qfcommon import fail, write_bytes

# A PE file's optional header: where its data directories start, by magic.
DATA_DIRECTORIES = {0x10B: 96, 0x20B: 112}
SECURITY_DIRECTORY = 4

# Where the installer puts each item under the PureBasic folder, as
# app/install/Installation.cpp does; the help file goes in either language.
INSTALLED = [
    ("Help\\Quillfern.chm", ["HelpFrench.chm", "HelpEnglish.chm"]),
    ("PureLibraries\\UserLibraries\\Quillfern", ["Quillfern"]),
    ("Residents\\Ostravel.res", ["Ostravel.res"]),
    ("Examples\\Quillfern\\Tintwell\\Tintwell.pb", ["Tintwell.pb"]),
]
DEFAULT_HOST = "C:\\Program Files\\PureBasic"
DETECTION_SCRIPT = "Quillfern-detection.ps1"


def signed(path):
    """Whether the PE file at path has a certificate table (a signature)."""
    with open(path, "rb") as f:
        data = f.read(4096)
    if data[:2] != b"MZ" or len(data) < 64:
        return False
    pe, = struct.unpack_from("<I", data, 0x3C)
    optional = pe + 24
    if data[pe:pe + 4] != b"PE\0\0" or optional + 2 > len(data):
        return False
    magic, = struct.unpack_from("<H", data, optional)
    entry = optional + DATA_DIRECTORIES.get(magic, 0) + 8 * SECURITY_DIRECTORY
    if magic not in DATA_DIRECTORIES or entry + 8 > len(data):
        return False
    _, size = struct.unpack_from("<II", data, entry)
    return size != 0


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def first_line(command):
    """The first line a command writes, or '' when it fails."""
    try:
        run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
    except (OSError, subprocess.TimeoutExpired):
        return ""
    lines = run.stdout.decode(errors="replace").strip().splitlines()
    return lines[0].strip() if lines and run.returncode == 0 else ""


def debian_package(path):
    """'package version' of the Debian package that installed path, or ''."""
    if not shutil.which("dpkg-query"):
        return ""
    owner = first_line(["dpkg-query", "-S", os.path.realpath(path)])
    if ": " not in owner:
        return ""
    package = owner.split(": ")[0].split(", ")[0]
    version = first_line(["dpkg-query", "-W", "-f=${Version}", package])
    return "%s %s" % (package, version) if version else package


def tool_line(name, tool, version=None):
    path = shutil.which(tool) or tool
    parts = [path, version or first_line([path, "--version"])]
    package = debian_package(path)
    if package:
        parts.append("Debian package " + package)
    return "  %s: %s" % (name, "; ".join(p for p in parts if p))


def compiler_files(compiler):
    """What a MinGW compiler links with besides itself: its linker, its
    runtime library and the Windows import libraries."""
    files = [("linker", first_line([compiler, "-print-prog-name=ld"])),
             ("compiler runtime", first_line([compiler, "-print-libgcc-file-name"])),
             ("Windows headers and libraries", first_line([compiler, "-print-file-name=libkernel32.a"]))]
    return [(name, path) for name, path in files if path and os.path.isfile(shutil.which(path) or path)]


def source_line(source):
    if not shutil.which("git"):
        return "not a git work tree"
    commit = first_line(["git", "-C", source, "rev-parse", "HEAD"])
    if len(commit) != 40:
        return "not a git work tree"
    changes = subprocess.run(["git", "-C", source, "status", "--porcelain", "--untracked-files=no"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    return "git commit %s%s" % (commit, " with uncommitted changes" if changes.strip() else "")


def system_line():
    try:
        with open("/etc/os-release", encoding="utf-8") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    return line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    return first_line(["uname", "-sr"])


def build_record(program, version, source, other_content, tools):
    lines = ["Quillfern %s, the build of %s" % (version, os.path.basename(program)),
             "size: %d bytes" % os.path.getsize(program),
             "sha256: %s" % sha256(program),
             "content: %s" % (other_content or "the shipped items, built from payload/"),
             "source: %s" % source_line(source),
             "system: %s" % system_line(),
             "tools:"]
    # The generators' Python: this one, whatever wrapper started it.
    lines.append(tool_line("Python", os.path.realpath(sys.executable), "Python " + sys.version.split()[0]))
    for name, tool in tools:
        lines.append(tool_line(name, tool))
        if name == "C++ compiler":
            for part, path in compiler_files(tool):
                package = debian_package(path)
                lines.append("  %s: %s%s" % (part, os.path.realpath(path),
                                             "; Debian package " + package if package else ""))
    return "\n".join(lines) + "\n"


def detection_script(items, version):
    """PowerShell: detected (exit 0, one line on standard output, as Intune
    wants) when each file is in the host folder with one of its bytes."""
    entries = []
    for path, names in INSTALLED:
        hashes = ", ".join("'%s'" % sha256(os.path.join(items, name)).upper() for name in names)
        entries.append("    @{ Path = '%s'; Sha256 = @(%s) }" % (path, hashes))
    lines = [
        "# Intune custom detection script for Quillfern %s, written by the build" % version,
        "# beside QuillfernSetup.exe. Untried on Windows.",
        "# Quillfern %s is detected (exit code 0 and one line on standard output)" % version,
        "# when every file it installs is in the PureBasic folder below with the",
        "# bytes that this version installs (the help file in French or in English);",
        "# otherwise the script ends with exit code 1 and writes nothing.",
        "# Intune runs it as SYSTEM, which has no user's registration of PureBasic:",
        "# set HostFolder to the folder that the installation is given (/D=).",
        "param([string]$HostFolder = '%s')" % DEFAULT_HOST,
        "",
        "$files = @(",
        ",\n".join(entries),
        ")",
        "foreach ($file in $files) {",
        "    $path = Join-Path -Path $HostFolder -ChildPath $file.Path",
        "    if (-not (Test-Path -LiteralPath $path -PathType Leaf)) { exit 1 }",
        "    $hash = (Get-FileHash -LiteralPath $path -Algorithm SHA256).Hash",
        "    if ($file.Sha256 -notcontains $hash) { exit 1 }",
        "}",
        "Write-Output \"Quillfern %s is installed in $HostFolder\"" % version,
        "exit 0",
    ]
    return "\r\n".join("\n".join(lines).split("\n")) + "\r\n"


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    write_bytes(path, data)


def main(argv):
    if len(argv) == 3 and argv[1] == "guard":
        if os.path.isfile(argv[2]) and signed(argv[2]):
            fail("%s carries a signature: a build does not replace a signed program "
                 "(move it away, or scripts/build --force)" % argv[2])
        return
    if len(argv) < 7 or argv[1] != "record":
        fail("usage: mkrecord.py guard PROGRAM | record PROGRAM ITEMS_DIR VERSION SOURCE_DIR CONTENT [NAME=TOOL ...]")
    program, items, version, source, content = argv[2:7]
    other_content = "" if content == "-" else content
    tools = [tuple(arg.split("=", 1)) for arg in argv[7:]]
    if signed(program):
        print("%s carries a signature: its record is left as its build wrote it" % program)
        return
    folder = os.path.dirname(os.path.abspath(program))
    name = os.path.basename(program)
    write_if_changed(os.path.join(folder, name + ".sha256"), ("%s  %s\n" % (sha256(program), name)).encode("ascii"))
    write_if_changed(os.path.join(folder, name + ".build"),
                     build_record(program, version, source, other_content, tools).encode("utf-8"))
    write_if_changed(os.path.join(folder, DETECTION_SCRIPT), detection_script(items, version).encode("ascii"))


if __name__ == "__main__":
    main(sys.argv)
