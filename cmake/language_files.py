#!/usr/bin/env python3
"""Writes the English language files of the program's text modules.

usage: language_files.py OUTPUT_FOLDER SOURCE_ROOT module=path/to/module.texts ...

Each .texts file holds TEXT_SLOT(Id, "text") lines (C string literals, adjacent literals joined);
the binary file of a module is u32 count, u32 block size, count u32 offsets and the block of
NUL-terminated texts, little-endian. lang.xml lists the English language with one File per module.
"""
import os
import re
import struct
import sys

SLOT = re.compile(r'^\s*TEXT_SLOT\s*\(\s*(\w+)\s*,(.*)\)\s*$')
SIMPLE_ESCAPES = {'n': 10, 't': 9, 'r': 13, '0': 0, 'a': 7, 'b': 8, 'f': 12, 'v': 11,
                  '\\': 92, '"': 34, "'": 39, '?': 63}


def literal_bytes(text, where):
    """The bytes of the C string literals in text (joined), in code page 1252."""
    out = bytearray()
    i, found = 0, False
    while i < len(text):
        c = text[i]
        if c.isspace():
            i += 1
            continue
        if c != '"':
            raise SystemExit(f'{where}: expected a string literal')
        found = True
        i += 1
        while True:
            if i >= len(text):
                raise SystemExit(f'{where}: unterminated string literal')
            c = text[i]
            if c == '"':
                i += 1
                break
            if c != '\\':
                out += c.encode('cp1252')
                i += 1
                continue
            e = text[i + 1]
            if e == 'x':
                m = re.match(r'[0-9a-fA-F]+', text[i + 2:])
                out.append(int(m.group(0), 16) & 0xFF)
                i += 2 + len(m.group(0))
            elif e in '01234567':
                m = re.match(r'[0-7]{1,3}', text[i + 1:])
                out.append(int(m.group(0), 8) & 0xFF)
                i += 1 + len(m.group(0))
            elif e in SIMPLE_ESCAPES:
                out.append(SIMPLE_ESCAPES[e])
                i += 2
            else:
                raise SystemExit(f'{where}: unknown escape \\{e}')
    if not found:
        raise SystemExit(f'{where}: no text')
    return bytes(out)


def read_texts(path):
    texts = []
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            m = SLOT.match(line)
            if m:
                texts.append(literal_bytes(m.group(2), f'{path}:{number}'))
            elif line.strip() and not line.strip().startswith('//'):
                raise SystemExit(f'{path}:{number}: not a TEXT_SLOT line')
    return texts


def language_file(texts):
    offsets, block = [], bytearray()
    for text in texts:
        if 0 in text:
            raise SystemExit('a text holds a NUL')
        offsets.append(len(block))
        block += text + b'\0'
    return struct.pack(f'<II{len(offsets)}I', len(texts), len(block), *offsets) + bytes(block)


def write_if_changed(path, data):
    try:
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, 'wb') as f:
        f.write(data)


def main():
    out_folder, root, modules = sys.argv[1], sys.argv[2], sys.argv[3:]
    os.makedirs(out_folder, exist_ok=True)
    files = []
    for entry in modules:
        name, source = entry.split('=', 1)
        bin_name = f'en_{name}.bin'
        write_if_changed(os.path.join(out_folder, bin_name), language_file(read_texts(os.path.join(root, source))))
        files.append(f'    <File module="{name}" bin="{bin_name}"/>\n')
    xml = ('<?xml version="1.0" encoding="windows-1252"?>\n'
           '<!-- Written by the build from the text tables of the modules. -->\n'
           '<Languages>\n'
           '  <Lang name="English" show="English" codepage="1252">\n'
           + ''.join(files) +
           '  </Lang>\n'
           '</Languages>\n')
    write_if_changed(os.path.join(out_folder, 'lang.xml'), xml.encode('cp1252'))


if __name__ == '__main__':
    main()
