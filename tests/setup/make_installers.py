#!/usr/bin/env python3
"""The member tests' installers, made with the project's packer: make_installers.py SOURCE_ROOT OUTDIR."""
import gzip
import os
import sys

sys.path.insert(0, os.path.join(sys.argv[1], 'cmake'))
import pack_installer as packer  # noqa: E402

IMAGE = b'MZ' + bytes(range(256)) * 4
RECORD = {'folderName': 'Ravo', 'exeName': 'ravo.exe', 'runFileName': 'ravo.exe'}
TEXT = b'sound editor payload\n' * 40


def bad(data, packed):
    return ('file', 'x.bin', None, packed, len(data))


def installers():
    good = packer.gzip_member(TEXT)
    corrupted = bytearray(good)
    corrupted[-8] ^= 0xFF  # the CRC
    # Two members whose streams follow each other: the first must not run into the second.
    over = packer.gzip_member(TEXT)
    return {
        'tree': [('enter', 'Data'), ('file', 'a.txt', b'alpha\n'), ('leave',)],
        'flat': [('file', 'one.txt', b'first file\n' * 50), ('kind', 7), ('file', 'two.txt', b'second file\n' * 30),
                 ('file', 'empty.txt', b''), ('file', 'stored.bin', None, b'kept as it is', 13)],
        'truncated': [bad(TEXT, good[:len(good) // 2])],
        'corrupted': [bad(TEXT, bytes(corrupted))],
        'overlong': [('file', 'x.bin', None, over, len(TEXT) - 1)],
        'short': [('file', 'x.bin', None, over, len(TEXT) + 1)],
        'joined': [('file', 'x.bin', None, good + gzip.compress(b'more', mtime=0), len(TEXT) + 4)],
        'dotdot': [('enter', '..'), ('file', 'evil.txt', b'x'), ('leave',)],
        'backslash': [('file', 'a\\b', b'x')],
        'drive': [('file', 'C:x', b'x')],
        'leave': [('leave',), ('file', 'evil.txt', b'x')],
        # The installation tests' product: top-level program files, a folder tree, a licence.
        'product': [('file', 'helper.dll', b'dll bytes'), ('file', 'readme.txt', b'read me\n'),
                    ('file', 'license.htm', b'<p>terms</p>'),
                    ('enter', 'Data'), ('file', 'a.txt', b'alpha\n'), ('enter', 'lang'),
                    ('file', 'lang.xml', b'<languages/>'), ('leave',), ('leave',)],
        # Fails at its last member, after writing the others.
        'failing': [('file', 'one.txt', b'first\n'), ('enter', 'Data'), ('file', 'b.txt', b'second\n'),
                    ('leave',), bad(TEXT, bytes(corrupted))],
    }


# Records other than the default one.
RECORDS = {
    'product': {'displayName': 'Ravo Test', 'publisher': 'Ravo Makers', 'folderName': 'RavoSetupTest',
                'uninstallKeyName': 'RavoSetupTestEntry', 'exeName': 'ravo.exe', 'runFileName': 'ravo.exe',
                'licenseMember': 'license.htm'},
    'failing': {'displayName': 'Ravo Test', 'folderName': 'RavoSetupTest', 'exeName': 'ravo.exe'},
}


def main():
    out = sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for name, entries in installers().items():
        data = packer.build(IMAGE, entries, RECORDS.get(name, RECORD))
        path = os.path.join(out, name + '.exe')
        old = open(path, 'rb').read() if os.path.exists(path) else None
        if old != data:
            with open(path, 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
