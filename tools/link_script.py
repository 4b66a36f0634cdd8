#!/usr/bin/env python3
"""Writes the images' linker script: the linker's own default script, with the
read-only data and the import tables in one section instead of two. Every
section is padded to 512 bytes in the file, so two half-empty sections cost a
block of the image's 32768 bytes that one section does not.

The import tables come first in that section, and the section keeps their
name, .idata: the linker points the image's import directory at the start of
the section of that name.

usage: link_script.py LD OUTPUT
"""
import re
import subprocess
import sys

BLOCK = r"\n  {name} BLOCK\(__section_alignment__\) :\n  \{{\n(.*?)\n  \}}\n"


def main():
    ld, output = sys.argv[1], sys.argv[2]
    verbose = subprocess.run([ld, "--verbose"], check=True, capture_output=True, text=True).stdout
    script = verbose.split("=" * 50 + "\n")[1]
    imports = re.search(BLOCK.format(name=r"\.idata"), script, re.S)
    data = re.search(BLOCK.format(name=r"\.rdata"), script, re.S)
    if not imports or not data:
        sys.exit(f"{ld}: its default script has no .idata or .rdata section to merge")
    merged = f"\n  .idata BLOCK(__section_alignment__) :\n  {{\n{imports[1]}\n    . = ALIGN(8);\n{data[1]}\n  }}\n"
    script = script.replace(imports[0], "\n").replace(data[0], merged)
    with open(output, "w") as f:
        f.write(script)


if __name__ == "__main__":
    main()
