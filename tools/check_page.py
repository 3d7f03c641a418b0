#!/usr/bin/env python3
"""Checks HTML pages written by the page writers, in a real browser.

For every page given:
  1. The source is read strictly (Python's html.parser): ASCII only; no '<',
     '>' or stray '&' in text (text that should have been escaped); only the
     entities the writers use; no scripts; every element closed in nesting
     order (void elements aside).
  2. Headless Chromium loads the page and dumps its DOM. The browser's tree
     must hold the same text in the same order and the same number of each
     element as the source: a page the browser had to repair (a stray tag,
     text inside a table outside a cell, a mis-nested end tag) differs. Any
     console message the page causes fails it too.
  3. A screenshot of the page is saved (--shots DIR, default beside the
     page's name in the current directory).

Exit status 0 when every page passes, 1 when one fails, 77 (skipped) when
chromium is not installed.
"""
import argparse
import html
import os
import re
import shutil
import concurrent.futures
import subprocess
import sys
import tempfile
from html.parser import HTMLParser

SKIP = 77
VOID = {"br", "meta", "img", "hr", "input", "link", "col", "wbr", "area", "base", "source"}
ENTITIES = {"amp", "lt", "gt", "quot", "nbsp", "micro"}
# Elements the browser adds on its own.
IMPLIED = {"tbody", "html", "head", "body"}


class StrictPage(HTMLParser):
    """The source's faults, its text in document order and its element counts."""

    def __init__(self, strict=True):
        super().__init__(convert_charrefs=False)
        self.strict = strict
        self.faults = []
        self.text = []
        self.counts = {}
        self.open = []
        self.raw = None  # inside style/script

    def fault(self, what):
        line, col = self.getpos()
        self.faults.append(f"line {line} col {col + 1}: {what}")

    def handle_starttag(self, tag, attrs):
        if tag == "script" and self.strict:
            self.fault("script element")
        for name, value in attrs:
            if value is not None and "<" in value and self.strict:
                self.fault(f"'<' in attribute {name}")
        if tag not in IMPLIED:
            self.counts[tag] = self.counts.get(tag, 0) + 1
        if tag in ("style", "script", "title"):
            self.raw = tag
        if tag not in VOID:
            self.open.append(tag)

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID and self.open and self.open[-1] == tag:
            self.open.pop()

    def handle_endtag(self, tag):
        if tag in ("style", "script", "title"):
            self.raw = None
        if tag in VOID:
            return
        if not self.open:
            if self.strict:
                self.fault(f"</{tag}> with nothing open")
            return
        if self.open[-1] != tag:
            if self.strict:
                self.fault(f"</{tag}> closes <{self.open[-1]}>")
            if tag in self.open:
                while self.open and self.open.pop() != tag:
                    pass
            return
        self.open.pop()

    def handle_data(self, data):
        if self.raw in ("style", "script"):
            return
        if self.strict:
            for ch, what in (("<", "unescaped '<' in text"), (">", "unescaped '>' in text"),
                             ("&", "stray '&' in text")):
                if ch in data:
                    self.fault(f"{what}: {data.strip()[:60]!r}")
        if self.raw != "title":
            self.text.append(data)

    def handle_entityref(self, name):
        if name not in ENTITIES and self.strict:
            self.fault(f"entity &{name};")
        if self.raw != "title":
            self.text.append(html.unescape(f"&{name};"))

    def handle_charref(self, name):
        try:
            code = int(name[1:], 16) if name[:1] in "xX" else int(name)
        except ValueError:
            code = -1
        if self.strict and (code < 0x20 and code not in (9, 10, 13) or 0xD800 <= code <= 0xDFFF
                            or code > 0x10FFFF or 0x7F <= code < 0xA0):
            self.fault(f"character reference &#{name}; to a character a page cannot hold")
        if self.raw != "title":
            self.text.append(html.unescape(f"&#{name};"))

    def handle_decl(self, decl):
        pass

    def unknown_decl(self, data):
        if self.strict:
            self.fault(f"declaration {data[:40]!r}")

    def finish(self):
        self.close()
        if self.strict and self.open:
            self.fault("left open: " + " ".join(f"<{t}>" for t in self.open))
        return self


def normalized(pieces):
    return re.sub(r"\s+", " ", "".join(pieces)).strip()


def check_source(data):
    faults = []
    for i, b in enumerate(data):
        if b >= 0x80:
            faults.append(f"byte {i}: {b:02X}h outside ASCII")
            break
    page = StrictPage(strict=True)
    page.feed(data.decode("ascii", errors="replace"))
    page.finish()
    return faults + page.faults, page


def run_chromium(chromium, path, shot, width, height):
    url = "file://" + os.path.abspath(path)
    with tempfile.TemporaryDirectory(prefix="brx-chromium-") as profile:
        common = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--disable-extensions", "--hide-scrollbars", f"--user-data-dir={profile}",
                  "--enable-logging=stderr", "--v=0", "--force-device-scale-factor=1"]
        dom = subprocess.run(common + ["--dump-dom", url], capture_output=True, timeout=120)
        shot_run = subprocess.run(common + [f"--screenshot={os.path.abspath(shot)}",
                                            f"--window-size={width},{height}", url],
                                  capture_output=True, timeout=120)
    console = [line for line in (dom.stderr + shot_run.stderr).decode(errors="replace").splitlines()
               if ":CONSOLE" in line or "Uncaught" in line]
    return dom.returncode, dom.stdout.decode("utf-8", errors="replace"), console, shot_run.returncode


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("pages", nargs="+")
    ap.add_argument("--shots", default=".", help="folder for the screenshots")
    ap.add_argument("--width", type=int, default=900)
    ap.add_argument("--height", type=int, default=1400)
    ap.add_argument("--jobs", type=int, default=min(4, os.cpu_count() or 1),
                    help="pages checked at once")
    ap.add_argument("--source-only", action="store_true", help="skip the browser (strict source check only)")
    args = ap.parse_args()

    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if chromium is None and not args.source_only:
        print("SKIP: chromium is not installed (apt-get install chromium); pages not checked in a browser")
        return SKIP

    os.makedirs(args.shots, exist_ok=True)

    def check(path):
        with open(path, "rb") as f:
            data = f.read()
        faults, source = check_source(data)
        shot = os.path.join(args.shots, os.path.splitext(os.path.basename(path))[0] + ".png")
        # A page whose source is already at fault is not loaded.
        if not args.source_only and not faults:
            rc, dom, console, shot_rc = run_chromium(chromium, path, shot, args.width, args.height)
            if rc != 0 or not dom.strip():
                faults.append(f"chromium --dump-dom failed ({rc})")
            else:
                browser = StrictPage(strict=False)
                browser.feed(dom)
                browser.finish()
                a, b = normalized(source.text), normalized(browser.text)
                if a != b:
                    at = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
                    faults.append(f"browser text differs at {at}: source {a[max(0, at - 30):at + 30]!r} "
                                  f"browser {b[max(0, at - 30):at + 30]!r}")
                for tag in sorted(set(source.counts) | set(browser.counts)):
                    if source.counts.get(tag, 0) != browser.counts.get(tag, 0):
                        faults.append(f"<{tag}>: {source.counts.get(tag, 0)} in the source, "
                                      f"{browser.counts.get(tag, 0)} in the browser's tree")
            faults += [f"console: {line}" for line in console]
            if shot_rc != 0 or not os.path.exists(shot):
                faults.append(f"no screenshot ({shot_rc})")
        return path, shot, faults

    # Each page runs its own browser processes: several pages at once.
    jobs = max(1, min(args.jobs, len(args.pages)))
    failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for path, shot, faults in pool.map(check, args.pages):
            if faults:
                failed += 1
                print(f"FAIL {path}")
                for fault in faults[:20]:
                    print(f"  {fault}")
            else:
                print(f"ok   {path}" + ("" if args.source_only else f" (screenshot {shot})"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
