#!/usr/bin/env python3
"""Writes the release: a zip holding the 32-bit program, the 32-bit kestrova-rec,
the user part of the README as README.txt (UTF-8 with a byte-order mark and
CRLF line ends, so that Notepad shows it right) and SHA256SUMS over the three,
all in one folder kestrova-VERSION/. Every entry has the same fixed time and
permissions and the entries a fixed order, so the same inputs always give the
same zip.

usage: make_dist.py VERSION TIMESTAMP OUT.zip KESTROVA.EXE KESTROVA-REC.EXE README.md
"""
import hashlib
import os
import re
import sys
import time
import zipfile

USER_PART = "## Using Kestrova"


def user_part(readme, version):
    """The README from its user part's heading up to the next part's, without the pictures (not shipped) and with
    links to places in the README reduced to their text."""
    text = readme.split("\n" + USER_PART + "\n", 1)
    if len(text) != 2:
        sys.exit(f"make_dist.py: README.md has no line {USER_PART!r}")
    part = USER_PART + "\n" + text[1].split("\n## ", 1)[0].rstrip("\n") + "\n"
    part = re.sub(r"^!\[[^\]]*\]\([^)]*\)\n\n?", "", part, flags=re.M)
    part = re.sub(r"\[([^\]]*)\]\(#[^)]*\)", r"\1", part)
    title = f"Kestrova {version}"
    return "\ufeff" + (title + "\n" + "=" * len(title) + "\n\n" + part).replace("\n", "\r\n")


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    version, stamp, out, program, tool, readme = sys.argv[1:]
    date_time = time.gmtime(max(int(stamp), 315532800))[:6]  # a zip holds no date before 1980
    files = [("kestrova.exe", open(program, "rb").read()), ("kestrova-rec.exe", open(tool, "rb").read()),
             ("README.txt", user_part(open(readme, encoding="utf-8").read(), version).encode("utf-8"))]
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))
    os.makedirs(os.path.dirname(out) or ".", exist_ok=True)
    work = out + "~"
    with zipfile.ZipFile(work, "w") as z:
        for name, data in files:
            info = zipfile.ZipInfo(f"kestrova-{version}/{name}", date_time)
            info.create_system = 3  # Unix, so that the permissions below count
            info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(work, out)
    print(f"{out}: " + ", ".join(name for name, _ in files))


if __name__ == "__main__":
    main()
