#!/usr/bin/env python3
"""Builds one language's compiled help file (.chm) for the library.

The pages come from the descriptor (one page per function, the constants page,
the contents and the index) plus a hand-written overview text per language,
whose @VERSION@ is the descriptor's version;
chmcmd compiles them. chmcmd stamps the compile time into the ITSF header and
into the #SYSTEM file, so both stamps are set to zero afterwards; its binary
keyword index holds uninitialised bytes, so it is switched off (the .hhk
index is still compiled in and used by the viewer).

Usage: mkhelp.py DESCRIPTOR LANGUAGE OVERVIEW_FRAGMENT WORK_DIR OUTPUT
       (CHMCMD in the environment names the compiler, default chmcmd)
"""

import html
import os
import re
import shutil
import struct
import subprocess
import sys

from qfcommon import DescriptorError, cp1252, fail, load_descriptor, with_version, write_bytes
from qfkinds import help_fault

PROJECT = "Quillfern"
STYLE = ("body{font-family:Verdana,Arial,sans-serif;font-size:10pt;margin:12px}"
         "h1{font-size:15pt;color:#2E206E;border-bottom:2px solid #40826D}"
         "h2{font-size:11pt;color:#40826D;margin-bottom:4px}"
         "pre,code{font-family:'Courier New',monospace;color:#2E206E}"
         "pre{background:#F2F7F3;border-left:3px solid #ACE1AF;padding:6px}"
         "table{border-collapse:collapse}"
         "td,th{border:1px solid #C8D6CC;padding:2px 8px;text-align:left;vertical-align:top}"
         "th{background:#E4EFE7}.foot{color:#707F90;font-size:8pt;margin-top:24px}")


def page_name(function_name):
    return function_name + ".html"


def constant_anchor(name):
    return name.lstrip("#")


class Linker:
    """Turns names of the library's functions and constants in help text into links."""

    def __init__(self, d):
        names = sorted((f["name"] for f in d["functions"]), key=len, reverse=True)
        self.functions = re.compile(r"\b(%s)\b" % "|".join(names))
        self.constants = {c["name"] for c in d["constants"]}

    def __call__(self, escaped, current=None):
        def fn(m):
            if m.group(1) == current:
                return m.group(1)
            return '<a href="%s">%s</a>' % (page_name(m.group(1)), m.group(1))

        def const(m):
            if m.group(0) not in self.constants:
                return m.group(0)
            return '<a href="constants.html#%s">%s</a>' % (constant_anchor(m.group(0)), m.group(0))

        escaped = self.functions.sub(fn, escaped)
        return re.sub(r"#Quill_\w+", const, escaped)


def esc(text):
    return html.escape(text, quote=False)


def document(title, body):
    return ('<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">\n'
            "<html><head>\n"
            '<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">\n'
            "<title>%s</title>\n<style>%s</style>\n</head><body>\n%s</body></html>\n"
            % (esc(title), STYLE, body))


def syntax(fn):
    call = "%s(%s)" % (fn["name"], ", ".join(p[0] for p in fn["params"]))
    if fn["returns"] == "s":
        return "Result$ = " + call
    if fn["returns"]:
        return "Result = " + call
    return call


def function_page(d, lang, fn, link):
    t, labels = fn[lang], d["languages"][lang]
    out = ["<h1>%s</h1>\n" % fn["name"]]
    out.append("<h2>%s</h2>\n<pre>%s</pre>\n" % (labels["syntax"], esc(syntax(fn))))
    out.append("<h2>%s</h2>\n<p>%s</p>\n" % (labels["description"], link(esc(t["summary"]), fn["name"])))
    out.append("<h2>%s</h2>\n" % labels["parameters"])
    if fn["params"]:
        out.append("<dl>\n")
        for pname, _ in fn["params"]:
            out.append("<dt><code>%s</code></dt><dd>%s</dd>\n"
                       % (esc(pname), link(esc(t["params"][pname]), fn["name"])))
        out.append("</dl>\n")
    else:
        out.append("<p>%s</p>\n" % labels["no_parameters"])
    out.append("<h2>%s</h2>\n<p>%s</p>\n"
               % (labels["result"], link(esc(t["result"]), fn["name"]) if t["result"] else labels["no_result"]))
    out.append("<h2>%s</h2>\n<p>%s</p>\n" % (labels["remarks"], link(esc(t["remarks"]), fn["name"])))
    out.append("<h2>%s</h2>\n<pre>%s</pre>\n"
               % (labels["example"], link(esc("\n".join(fn["example"])), fn["name"])))
    if fn["see_also"]:
        out.append("<h2>%s</h2>\n<p>%s</p>\n"
                   % (labels["see_also"], ", ".join(link(n) for n in fn["see_also"])))
    out.append('<p class="foot">%s <a href="index.html">%s %s</a></p>\n'
               % (labels["library_label"], d["library"], d["version"]))
    return document("%s - %s" % (fn["name"], d["library"]), "".join(out))


def format_value(c):
    if c["group"] == "ink":
        return "$%06X" % c["value"]
    return str(c["value"])


def constants_page(d, lang, link):
    labels = d["languages"][lang]
    out = ["<h1>%s</h1>\n" % esc(labels["constants_title"])]
    for g in d["constant_groups"]:
        out.append("<h2>%s</h2>\n<table>\n<tr><th>%s</th><th>%s</th><th>%s</th></tr>\n"
                   % (esc(g[lang]), labels["name"], labels["value"], labels["meaning"]))
        for c in d["constants"]:
            if c["group"] == g["id"]:
                out.append('<tr><td><a name="%s"></a><code>%s</code></td><td><code>%s</code></td><td>%s</td></tr>\n'
                           % (constant_anchor(c["name"]), c["name"], format_value(c), link(esc(c[lang]))))
        out.append("</table>\n")
    return document("%s - %s" % (labels["constants_title"], d["library"]), "".join(out))


def overview_page(d, lang, fragment, link):
    labels = d["languages"][lang]
    out = ["<h1>%s %s</h1>\n" % (d["library"], d["version"]), link(fragment)]
    out.append("<h2>%s</h2>\n<table>\n" % labels["functions_title"])
    for fn in d["functions"]:
        out.append("<tr><td>%s</td><td>%s</td></tr>\n" % (link(fn["name"]), esc(fn[lang]["summary"])))
    out.append('</table>\n<h2>%s</h2>\n<p><a href="constants.html">%s</a></p>\n'
               % (labels["constants_title"], labels["constants_title"]))
    return document(labels["overview_title"], "".join(out))


def sitemap_item(name, local, indent):
    return ('%s<LI><OBJECT type="text/sitemap"><param name="Name" value="%s"><param name="Local" value="%s"></OBJECT>\n'
            % (indent, html.escape(name), local))


def sitemap(body, properties=""):
    return ('<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD>\n'
            '<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">\n'
            '</HEAD><BODY>\n<OBJECT type="text/site properties">%s</OBJECT>\n<UL>\n%s</UL>\n</BODY></HTML>\n'
            % (properties, body))


def contents(d, lang):
    labels = d["languages"][lang]
    body = sitemap_item(labels["overview_title"], "index.html", "")
    body += "<UL>\n"
    body += ('<LI><OBJECT type="text/sitemap"><param name="Name" value="%s"></OBJECT>\n<UL>\n'
             % html.escape(labels["functions_title"]))
    for fn in d["functions"]:
        body += sitemap_item(fn["name"], page_name(fn["name"]), "  ")
    body += "</UL>\n"
    body += sitemap_item(labels["constants_title"], "constants.html", "")
    body += "</UL>\n"
    return sitemap(body, '<param name="ImageType" value="Folder">')


def index(d, lang):
    entries = [(d["library"], "index.html"), (d["languages"][lang]["constants_title"], "constants.html")]
    entries += [(fn["name"], page_name(fn["name"])) for fn in d["functions"]]
    entries += [(c["name"], "constants.html#" + constant_anchor(c["name"])) for c in d["constants"]]
    entries.sort(key=lambda e: e[0].lstrip("#").lower())
    return sitemap("".join(sitemap_item(name, local, "") for name, local in entries))


def project(d, lang, pages):
    labels = d["languages"][lang]
    return ("[OPTIONS]\n"
            "Compatibility=1.1 or later\n"
            "Compiled file=%s\n"
            "Contents file=%s.hhc\n"
            "Index file=%s.hhk\n"
            "Default topic=index.html\n"
            "Display compile progress=No\n"
            "Full-text search=Yes\n"
            "Binary TOC=Yes\n"
            "Binary Index=No\n"
            "Language=%s\n"
            "Title=%s\n"
            "\n[FILES]\n%s\n"
            % (d["help_file"], PROJECT, PROJECT, labels["lcid"], labels["title"], "\n".join(pages)))


# --- Compiled file fix-ups -------------------------------------------------

def read_encint(data, pos):
    value = 0
    while True:
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if b < 0x80:
            return value, pos


def directory(data):
    """Yields (name, section, offset, length) for each entry of an ITSF file."""
    dir_offset = struct.unpack_from("<Q", data, 0x48)[0]
    if data[dir_offset:dir_offset + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    header_len, = struct.unpack_from("<I", data, dir_offset + 0x08)
    chunk_size, = struct.unpack_from("<I", data, dir_offset + 0x10)
    chunks, = struct.unpack_from("<I", data, dir_offset + 0x2C)
    for i in range(chunks):
        chunk = dir_offset + header_len + i * chunk_size
        if data[chunk:chunk + 4] != b"PMGL":
            continue
        free, = struct.unpack_from("<I", data, chunk + 4)
        pos, end = chunk + 0x14, chunk + chunk_size - free
        while pos < end:
            n, pos = read_encint(data, pos)
            name = data[pos:pos + n].decode("utf-8")
            pos += n
            section, pos = read_encint(data, pos)
            offset, pos = read_encint(data, pos)
            length, pos = read_encint(data, pos)
            yield name, section, offset, length


def clear_timestamps(data):
    """Zeroes the ITSF header time stamp and the #SYSTEM time stamp record (code 10)."""
    data = bytearray(data)
    struct.pack_into("<I", data, 0x10, 0)
    content, = struct.unpack_from("<Q", data, 0x58)
    for name, section, offset, length in directory(data):
        if name != "/#SYSTEM":
            continue
        if section != 0:
            raise ValueError("#SYSTEM is compressed; its time stamp can't be cleared")
        pos, end = content + offset + 4, content + offset + length
        while pos < end:
            code, size = struct.unpack_from("<HH", data, pos)
            if code == 10:
                data[pos + 4:pos + 4 + size] = bytes(size)
            pos += 4 + size
        return bytes(data)
    raise ValueError("no #SYSTEM file")


def check_header(data, lcid):
    fault = help_fault(data)
    if fault:
        raise ValueError(fault)
    if struct.unpack_from("<I", data, 0x14)[0] != lcid:
        raise ValueError("language identifier is not 0x%04X" % lcid)


# ---------------------------------------------------------------------------

def build(d, lang, fragment, work, output, chmcmd):
    if lang not in d["languages"]:
        raise DescriptorError("no texts for language %r" % lang)
    link = Linker(d)
    if os.path.isdir(work):
        shutil.rmtree(work)  # a page left over from an older descriptor must not slip in
    os.makedirs(work)
    files = {"index.html": overview_page(d, lang, fragment, link),
             "constants.html": constants_page(d, lang, link)}
    for fn in d["functions"]:
        files[page_name(fn["name"])] = function_page(d, lang, fn, link)
    pages = list(files)
    files[PROJECT + ".hhc"] = contents(d, lang)
    files[PROJECT + ".hhk"] = index(d, lang)
    files[PROJECT + ".hhp"] = project(d, lang, pages)
    for name, text in files.items():
        write_bytes(os.path.join(work, name), cp1252(text))
    run = subprocess.run([chmcmd, "--no-html-scan", PROJECT + ".hhp"], cwd=work,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    compiled = os.path.join(work, d["help_file"])
    if run.returncode != 0 or not os.path.isfile(compiled):
        fail("chmcmd failed:\n" + run.stdout.decode(errors="replace"))
    with open(compiled, "rb") as f:
        data = clear_timestamps(f.read())
    check_header(data, int(d["languages"][lang]["lcid"].split()[0], 16))
    write_bytes(output, data)


def main(argv):
    if len(argv) != 6:
        fail("usage: mkhelp.py DESCRIPTOR LANGUAGE OVERVIEW_FRAGMENT WORK_DIR OUTPUT")
    try:
        d = load_descriptor(argv[1])
        with open(argv[3], encoding="utf-8") as f:
            fragment = with_version(f.read(), d)
        build(d, argv[2], fragment, argv[4], argv[5], os.environ.get("CHMCMD", "chmcmd"))
    except (DescriptorError, ValueError, OSError) as e:
        fail(str(e))


if __name__ == "__main__":
    main(sys.argv)
