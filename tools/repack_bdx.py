#!/usr/bin/python3
"""Re-packs a capture file stream by stream with a second compound-file
writer, libgsf's `gsf` tool: every stream is taken out with `gsf cat` into a
folder tree, and `gsf createole` writes a new compound file from it, choosing
its own sector layout, directory order and mini-stream placement. gsf does not
carry the root storage's class id, which the capture-file format requires, so
the class id of the original is written into the new root entry afterwards
(16 bytes in place; the structure stays gsf's).

Usage: repack_bdx.py SOURCE.bdx TARGET.bdx WORK_DIR
"""
import os
import shutil
import struct
import subprocess
import sys


def members(path):
    """The streams of a compound file as gsf lists them: (size, name)."""
    out = subprocess.run(["gsf", "list", path], check=True, capture_output=True).stdout
    streams = []
    for line in out.split(b"\n")[1:]:
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == b"f":
            streams.append((int(parts[1]), parts[2]))
    return streams


def root_entry_offset(data):
    """Byte offset of the root directory entry (entry 0)."""
    shift = struct.unpack_from("<H", data, 30)[0]
    first_directory_sector = struct.unpack_from("<I", data, 48)[0]
    return (first_directory_sector + 1) << shift


def main():
    source, target, work = sys.argv[1:4]
    tree = os.path.join(work, "tree")
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(tree)
    streams = members(source)
    if not streams:
        sys.exit("repack: no streams in " + source)
    for size, name in streams:
        local = os.path.join(os.fsencode(tree), name)
        os.makedirs(os.path.dirname(local), exist_ok=True)
        with open(local, "wb") as f:
            subprocess.run(["gsf", "cat", source, name], check=True, stdout=f)
        if os.path.getsize(local) != size:
            sys.exit("repack: %r read %d of %d bytes" % (name, os.path.getsize(local), size))
    if os.path.exists(target):
        os.remove(target)
    children = sorted(os.path.join(os.fsencode(tree), n) for n in os.listdir(os.fsencode(tree)))
    subprocess.run(["gsf", "createole", target] + children, check=True, capture_output=True)

    with open(source, "rb") as f:
        original = f.read()
    with open(target, "r+b") as f:
        repacked = bytearray(f.read())
        clsid = original[root_entry_offset(original) + 80:root_entry_offset(original) + 96]
        at = root_entry_offset(repacked) + 80
        repacked[at:at + 16] = clsid
        f.seek(0)
        f.write(repacked)
    print("repack: %d streams, %d -> %d bytes" % (len(streams), len(original), len(repacked)))


if __name__ == "__main__":
    main()
