#!/usr/bin/env python3
"""The packer's own checks: layout, a file packed to itself, and the command line."""
import gzip
import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, 'cmake'))
import pack_installer as packer  # noqa: E402

SCRIPT = os.path.join(ROOT, 'cmake', 'pack_installer.py')


class PackerTest(unittest.TestCase):
    def test_layout(self):
        image = b'MZimage'
        data = packer.build(image, [('enter', 'Data'), ('file', 'a.txt', b'alpha'), ('leave',)], {'exeName': 'ravo.exe'})
        offset, marker, zero = struct.unpack('<Q4sI', data[-16:])
        self.assertEqual((marker, zero), (b'I#ST', 0))
        member = data[len(image):offset]
        self.assertEqual(gzip.decompress(member), b'alpha')
        version, length = struct.unpack('<II', data[offset:offset + 8])
        self.assertEqual(version, 2)
        body = data[offset + 8:offset + 8 + length]
        self.assertEqual(body[-24:], struct.pack('<QQQ', len(image), 5, 0))
        m = struct.unpack('<I', data[offset + 8 + length:offset + 12 + length])[0]
        index = data[offset + 12 + length:offset + 12 + length + m]
        self.assertEqual(offset + 12 + length + m, len(data) - 16)
        self.assertEqual(index, struct.pack('<I', 0) + b'Data\0' + struct.pack('<I', 1) + b'a.txt\0' +
                         struct.pack('<QQ', len(member), 5) + struct.pack('<II', 2, 3))

    def test_command_line_and_self(self):
        with tempfile.TemporaryDirectory() as folder:
            data = os.path.join(folder, 'Data')
            os.makedirs(os.path.join(data, 'lang'))
            with open(os.path.join(data, 'lang', 'lang.xml'), 'wb') as f:
                f.write(b'<list/>')
            image = os.path.join(folder, 'ravo.exe')
            with open(image, 'wb') as f:
                f.write(b'MZ')
            out = os.path.join(folder, 'setup.exe')
            run = subprocess.run([sys.executable, SCRIPT, out, image, '--tree', data, '--set', 'folderName=Ravo',
                                  '--shortcut', 'Ravo.lnk'], capture_output=True)
            self.assertEqual(run.returncode, 0, run.stderr)
            packed = open(out, 'rb').read()
            self.assertIn(b'lang\0', packed)
            self.assertIn(b'Ravo.lnk\0', packed)
            for args in ([out, out], [image, image, '--tree', folder]):
                run = subprocess.run([sys.executable, SCRIPT] + args, capture_output=True, text=True)
                self.assertEqual(run.returncode, 1)
                self.assertEqual(run.stderr.strip(), 'Cannot pack file to self.')
            self.assertEqual(open(image, 'rb').read(), b'MZ')


if __name__ == '__main__':
    unittest.main()
