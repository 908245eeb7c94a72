#!/usr/bin/env python3
"""Fails when the code loads a bitmap, cursor or icon id that shell/ravo.rc lacks, or when the
toolkit tests' resources hold an id (other than their own test pictures) the program does not."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEST_ONLY = {101, 201}  # pictures of the image tests alone

def number(text):
    return int(text, 0)

def rc_ids(path):
    ids = set()
    for line in open(path, encoding='latin-1'):
        m = re.match(r'\s*(\d+)\s+(BITMAP|CURSOR|ICON)\s', line)
        if m:
            ids.add((int(m.group(1)), m.group(2)))
    return ids

def code_ids():
    need = {}
    patterns = [
        (r'\b\w*(?:Bitmap|Image|ImageId|DropMark\w*)\s*=\s*(\d+)', 'BITMAP'),
        (r'getCachedImage\(([^;]*?)\);', 'BITMAP'),
        (r'(?:getImageList|addImageButton)\((?:\w+,\s*)?(0x[0-9a-fA-F]+|\d+)', 'BITMAP'),
        (r'"\w+",\s*(?:\(u32\))?[\w:]+,\s*(?:\(i32\))?[\w:()-]+,\s*(\d+),', 'BITMAP'),  # action rows
        (r'"\w+",\s*GuiText::\w+,\s*(0x[0-9a-fA-F]+|\d+)\}', 'BITMAP'),  # toolkit action tables
        (r'\b(?:largeId|smallId)\s*=\s*(\d+)', 'ICON'),
    ]
    for layer in ('gui', 'app', 'shell'):
        for folder, _, files in os.walk(os.path.join(root, layer)):
            for name in files:
                if not name.endswith(('.cpp', '.h')):
                    continue
                path = os.path.join(folder, name)
                text = open(path, encoding='latin-1').read()
                for pattern, kind in patterns:
                    for m in re.finditer(pattern, text):
                        for literal in re.findall(r'\b(?:0x[0-9a-fA-F]+|\d{3,})\b', m.group(1)):
                            if number(literal) > 0:
                                need.setdefault((number(literal), kind), path)
                m = re.search(r'CursorDockStart\s*=\s*(\d+),\s*CursorNoDock\s*=\s*(\d+)', text)
                if m:
                    for i in range(int(m.group(1)), int(m.group(2)) + 1):
                        need.setdefault((i, 'CURSOR'), path)
    return need

def main():
    program = rc_ids(os.path.join(root, 'shell', 'ravo.rc'))
    tests = rc_ids(os.path.join(root, 'tests', 'gui', 'paint', 'gui_test.rc'))
    need = code_ids()
    faults = []
    for (i, kind), path in sorted(need.items()):
        if (i, kind) not in program:
            faults.append('%s %d loaded by %s is not in shell/ravo.rc' % (kind, i, os.path.relpath(path, root)))
    for i, kind in sorted(tests - program):
        if i not in TEST_ONLY:
            faults.append('%s %d is in the test resources only' % (kind, i))
    for f in faults:
        print(f)
    if len(need) < 20:
        print('only %d ids found in the code: the patterns no longer match' % len(need))
        return 1
    return 1 if faults else 0

if __name__ == '__main__':
    sys.exit(main())
