#!/usr/bin/env python3
"""Checks that every quoted include of the sources stays within its layer or goes down.

usage: check_layers.py SOURCE_ROOT

A file may include headers of its own folder and of the rows below it, never of a higher row or of
another folder of its own row. tests/X is on the row of X; it may include X, the rows below and the
test folders of those rows. bench is on top. Code outside tests never includes a test header.
Prints each offending include as "file:line: include" and exits with 1 when there is one.
"""
import os
import re
import sys

# The layers, lowest first; the folders of one row do not include one another.
LAYERS = [
    ['core'],
    ['gui'],
    ['mm'],
    ['engine'],
    ['app'],
    ['editor', 'spectrum', 'tools', 'setup'],
    ['shell'],
    ['bench'],
]
# Test folders that mirror no layer, with the layer they stand on. tests/support is built into every
# test program, core_tests included.
TEST_FOLDERS = {'support': 'core', 'plugins': 'mm'}
# Test folders that are not scanned: the layer check's own fixture trees.
UNSCANNED_TESTS = {'layers'}

SOURCE_SUFFIXES = ('.h', '.hpp', '.c', '.cpp', '.rc')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')

ROW = {folder: row for row, folders in enumerate(LAYERS) for folder in folders}


def unit_of(path):
    """(row, folder, is_test) of a path relative to the root; None outside the layers."""
    parts = path.split('/')
    if parts[0] == 'tests' and len(parts) > 2:
        name = parts[1]
        layer = TEST_FOLDERS.get(name, name)
        if layer not in ROW:
            return None
        return ROW[layer], layer, True
    if len(parts) > 1 and parts[0] in ROW:
        return ROW[parts[0]], parts[0], False
    return None


def allowed(source, header):
    s_row, s_name, s_test = source
    h_row, h_name, h_test = header
    if h_test and not s_test:
        return False
    if s_name == h_name:
        return True
    return h_row < s_row


def source_files(root):
    for top in sorted(os.listdir(root)):
        if top != 'tests' and top not in ROW:
            continue
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            rel = os.path.relpath(folder, root).replace(os.sep, '/')
            parts = rel.split('/')
            if top == 'tests' and len(parts) == 2 and parts[1] in UNSCANNED_TESTS:
                dirs[:] = []
                continue
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield rel + '/' + name


def check(root):
    """The offending includes: (file, line, included path, reason)."""
    faults = []
    for path in source_files(root):
        source = unit_of(path)
        if source is None:
            faults.append((path, 0, None, 'in a folder of no layer'))
            continue
        with open(os.path.join(root, path), encoding='latin-1') as f:
            for number, text in enumerate(f, 1):
                match = INCLUDE.match(text)
                if not match:
                    continue
                header = unit_of(match.group(1))
                if header is not None and not allowed(source, header):
                    faults.append((path, number, match.group(1), 'from %s to %s' % (
                        '/'.join(path.split('/')[:2 if source[2] else 1]),
                        '/'.join(match.group(1).split('/')[:2 if header[2] else 1]))))
    return faults


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    faults = check(sys.argv[1])
    for path, number, header, reason in faults:
        if header is None:
            print('%s: %s' % (path, reason))
        else:
            print('%s:%d: %s (%s)' % (path, number, header, reason))
    if faults:
        print('check_layers: %d include(s) against the layer order' % len(faults))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
