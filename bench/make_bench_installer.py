#!/usr/bin/env python3
"""The unpacking measurement's installer: make_bench_installer.py SOURCE_ROOT OUTPUT.
Ten 5 MB members of low-entropy bytes (they pack to about half) in a Data folder."""
import os
import random
import sys

sys.path.insert(0, os.path.join(sys.argv[1], 'cmake'))
import pack_installer as packer  # noqa: E402

MEMBER = 5 * 1024 * 1024


def main():
    out = sys.argv[2]
    os.makedirs(os.path.dirname(out), exist_ok=True)
    rng = random.Random(7)
    table = bytes(b & 0x1F for b in range(256))
    entries = [('enter', 'Data')]
    for i in range(10):
        entries.append(('file', 'part%d.bin' % i, rng.randbytes(MEMBER).translate(table)))
    entries.append(('leave',))
    packer.pack(out, os.path.abspath(__file__), entries, {'folderName': 'Ravo', 'exeName': 'ravo.exe'})


if __name__ == '__main__':
    main()
