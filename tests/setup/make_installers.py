#!/usr/bin/env python3
"""The member tests' installers, made with the project's packer: make_installers.py SOURCE_ROOT OUTDIR."""
import gzip
import os
import struct
import sys

sys.path.insert(0, os.path.join(sys.argv[1], 'cmake'))
import language_files  # noqa: E402
import pack_installer as packer  # noqa: E402

IMAGE = b'MZ' + bytes(range(256)) * 4
RECORD = {'folderName': 'Ravo', 'exeName': 'ravo.exe', 'runFileName': 'ravo.exe'}
TEXT = b'sound editor payload\n' * 40


def red_bitmap(side=8):
    """A 24-bit BMP of one red square."""
    row = side * 3
    pad = (4 - row % 4) % 4
    data = (b'\0\0\xff' * side + b'\0' * pad) * side
    header = struct.pack('<IiiHHIIiiII', 40, side, side, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b'BM' + struct.pack('<IHHI', 14 + 40 + len(data), 0, 0, 54) + header + data


def bad(data, packed):
    return ('file', 'x.bin', None, packed, len(data))


MODULES = [('kxcore', 'core/kxcore.texts'), ('kxgui', 'gui/kernel/kxgui.texts'), ('kxmm', 'mm/kxmm.texts'),
           ('kxnet', 'app/kxnet.texts'), ('kxin', 'app/kxin.texts'), ('ravo', 'app/ravo.texts')]


def testish_language():
    """The list of one language, "Testish": every module's English texts, the installer's behind "[xx] "."""
    files = []
    listing = (b'<?xml version="1.0" encoding="windows-1252"?>\n<Languages>\n'
               b'  <Lang name="Testish" show="Testish" codepage="1252">\n')
    for module, source in MODULES:
        texts = language_files.read_texts(os.path.join(sys.argv[1], source))
        if module == 'kxin':
            texts = [b'[xx] ' + t for t in texts]
        name = 'xx_%s.bin' % module
        files.append(('file', name, language_files.language_file(texts)))
        listing += b'    <File module="%s" bin="%s"/>\n' % (module.encode(), name.encode())
    listing += b'  </Lang>\n</Languages>\n'
    return [('enter', 'Data'), ('enter', 'lang'), ('file', 'lang.xml', listing)] + files + [('leave',), ('leave',)]


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
        # Its own language; and one without the list.
        'localized': testish_language(),
        'unlisted': [('enter', 'Data'), ('file', 'a.txt', b'alpha\n'), ('leave',)],
        # A page picture, and a member that is no picture.
        'pictured': [('file', 'logo.bmp', red_bitmap()), ('file', 'broken.bmp', b'BM not a picture')],
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
    'pictured': {'displayName': 'Ravo Test', 'folderName': 'RavoSetupTest', 'exeName': 'ravo.exe',
                 'logoMember': 'logo.bmp'},
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
