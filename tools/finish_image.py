#!/usr/bin/env python3
"""Turns a linked program into the shipped image: puts its headers into one
block of the file, checks it and pads it to the stub size. A compiled copy is this image with records appended, so the
image must be exactly the stub size and hold each marker text exactly once.
Its manifest (resource 1 of type 24) must ask for version 6 of the common
controls and declare per-monitor DPI awareness: without it Windows scales a
program on a scaled display, and recorded and played positions stop being
the screen's pixels.

usage: finish_image.py LINKED OUTPUT STUB_SIZE OBJDUMP
"""
import os
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

MARKERS = (b"@@@@@", b"$$$$$")
# Windows' own DLLs the program may import; anything else (a C or C++
# runtime, libgcc, winpthread) would have to ship beside it.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "shell32.dll", "winmm.dll"}


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    return [line.split("DLL Name:")[1].strip().lower() for line in out.splitlines() if "DLL Name:" in line]


def resource(data, path):
    """The bytes of the resource at the path of ids (type, name), in its first language; None when there is none."""
    u16, u32 = (lambda at: struct.unpack_from("<H", data, at)[0]), (lambda at: struct.unpack_from("<I", data, at)[0])
    pe = u32(0x3C)
    sections, optional = u16(pe + 6), pe + 24
    directory = optional + (112 if u16(optional) == 0x20B else 96) + 2 * 8  # the resource directory's entry
    table = optional + u16(pe + 20)

    def offset(rva):
        for at in range(table, table + 40 * sections, 40):
            start, size, raw = u32(at + 12), u32(at + 16), u32(at + 20)
            if start <= rva < start + size:
                return rva - start + raw
        raise ValueError(f"address {rva:#x} is in no section")
    if not u32(directory):
        return None
    base = offset(u32(directory))
    node = base
    for wanted in path + (None,):
        count = u16(node + 12) + u16(node + 14)
        entries = [(u32(at), u32(at + 4)) for at in range(node + 16, node + 16 + 8 * count, 8)]
        target = next((to for name, to in entries if wanted in (None, name)), None)
        if target is None:
            return None
        node = base + (target & 0x7FFFFFFF)
    return data[offset(u32(node)):offset(u32(node)) + u32(node + 4)]


def manifest_problems(data):
    try:
        text = resource(data, (24, 1))
        root = ElementTree.fromstring(text) if text else None
    except (ValueError, struct.error, ElementTree.ParseError) as error:
        return [f"the manifest cannot be read: {error}"]
    if root is None:
        return ["there is no manifest (resource 1 of type 24)"]
    found = {element.tag.split("}")[-1]: element.text for element in root.iter()}
    problems = []
    if (found.get("dpiAwareness") or "").split(",")[0] != "PerMonitorV2":
        problems.append("the manifest's dpiAwareness is not PerMonitorV2 first")
    if found.get("dpiAware") != "true/pm":
        problems.append("the manifest's dpiAware is not true/pm (per monitor, for older Windows)")
    if not any(e.get("name") == "Microsoft.Windows.Common-Controls" and e.get("version") == "6.0.0.0"
               for e in root.iter() if e.tag.endswith("assemblyIdentity")):
        problems.append("the manifest does not ask for version 6 of the common controls")
    return problems


def compact_headers(data):
    """The image with its headers in the first 512-byte block of the file, where the linker gives them two: the PE
    headers move up over the DOS stub (a message for DOS that no Windows reads), right behind the DOS header, and the
    sections' bytes follow a block earlier. Nothing else in the headers names a place in the file (imports and
    resources are named by their addresses once loaded, which stay as they are). Unchanged when that gains nothing."""
    u16, u32 = (lambda at: struct.unpack_from("<H", data, at)[0]), (lambda at: struct.unpack_from("<I", data, at)[0])
    pe, dos_header = u32(0x3C), 0x40
    sections, optional = u16(pe + 6), pe + 24
    table = optional + u16(pe + 20)
    end, alignment, size_of_headers = table + 40 * sections, u32(optional + 36), u32(optional + 60)
    compact = -(-(end - (pe - dos_header)) // alignment) * alignment
    if compact >= size_of_headers or any(data[end:size_of_headers]):
        return data
    shift = size_of_headers - compact
    out = bytearray(data[:dos_header] + data[pe:end])
    out += bytes(compact - len(out))
    struct.pack_into("<I", out, 0x3C, dos_header)
    moved = dos_header - pe
    struct.pack_into("<I", out, optional + moved + 60, compact)
    for at in range(table + moved, end + moved, 40):
        if u32(at - moved + 20):
            struct.pack_into("<I", out, at + 20, u32(at - moved + 20) - shift)
    return bytes(out) + data[size_of_headers:]


def main():
    linked, output, stub_size, objdump = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    data = compact_headers(open(linked, "rb").read())
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
    problems += manifest_problems(data)
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
