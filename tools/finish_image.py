#!/usr/bin/env python3
"""Turns a linked program into the shipped image: checks it and pads it to
the stub size. A compiled copy is this image with records appended, so the
image must be exactly the stub size and hold each marker text exactly once.

usage: finish_image.py LINKED OUTPUT STUB_SIZE OBJDUMP
"""
import os
import subprocess
import sys

MARKERS = (b"@@@@@", b"$$$$$")
# Windows' own DLLs the program may import; anything else (a C or C++
# runtime, libgcc, winpthread) would have to ship beside it.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "shell32.dll"}


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    return [line.split("DLL Name:")[1].strip().lower() for line in out.splitlines() if "DLL Name:" in line]


def main():
    linked, output, stub_size, objdump = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    data = open(linked, "rb").read()
    problems = []
    if len(data) > stub_size:
        problems.append(f"image is {len(data)} bytes, {len(data) - stub_size} bytes over the stub size {stub_size}")
    for text in MARKERS + (b"%06d" % stub_size,):
        count = data.count(text)
        if count != 1:
            problems.append(f"{text.decode()!r} occurs {count} times, must occur exactly once")
    foreign = [dll for dll in imports(objdump, linked) if dll not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports from non-system DLLs: " + ", ".join(foreign))
    if problems:
        for p in problems:
            print(f"{output}: {p}", file=sys.stderr)
        if os.path.exists(output):
            os.remove(output)
        sys.exit(1)
    with open(output, "wb") as f:
        f.write(data + bytes(stub_size - len(data)))
    print(f"{output}: {len(data)} bytes unpadded, headroom {stub_size - len(data)} bytes")


if __name__ == "__main__":
    main()
