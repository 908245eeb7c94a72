#!/usr/bin/env python3
"""Makes an installer: the executable image, its files as gzip members end to end, the
installation record, the member index and the footer.

    pack_installer.py OUTPUT IMAGE [--tree FOLDER]... [--file PATH]... [--set FIELD=TEXT]... [--shortcut NAME]...

Each --tree adds a folder of that name with everything below it; each --file one file at the top. Exits 1 with the message on
failure ("Cannot pack file to self." when an input is the output).
"""
import gzip
import os
import struct
import sys

FIELDS = ['displayName', 'publisher', 'folderName', 'uninstallKeyName', 'reservedText',
          'startMenuFolder', 'runFileName', 'desktopShortcut', 'exeName', 'licenseMember',
          'logoMember', 'buildFolder']
ENTER, FILE, LEAVE, END = 0, 1, 2, 3
MARKER = b'I#ST'


class PackError(Exception):
    pass


def gzip_member(data):
    try:
        return gzip.compress(data, compresslevel=6, mtime=0)
    except Exception:
        raise PackError('Compression failed.')


def tree_entries(folder):
    """Entries entering the folder, its files (sorted) and subfolders, and leaving it."""
    entries = [('enter', os.path.basename(os.path.normpath(folder)))]
    names = sorted(os.listdir(folder))
    for name in names:
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            entries.append(('file', name, path))
    for name in names:
        path = os.path.join(folder, name)
        if os.path.isdir(path):
            entries.extend(tree_entries(path))
    entries.append(('leave',))
    return entries


def _text(value):
    data = value.encode('utf-8')
    return struct.pack('<I', len(data)) + (data + b'\0' if data else b'')


def record_body(record, image_size, payload_size):
    body = b''.join(_text(record.get(field, '')) for field in FIELDS)
    shortcuts = record.get('shortcuts', [])
    body += struct.pack('<I', len(shortcuts)) + b''.join(s.encode('utf-8') + b'\0' for s in shortcuts)
    return body + struct.pack('<QQQ', image_size, payload_size, record.get('extraSize', 0))


def _file_data(source):
    if isinstance(source, bytes):
        return source
    with open(source, 'rb') as f:
        return f.read()


def build(image, entries, record):
    """The installer's bytes. A file entry is ('file', name, bytes or path) or, to write a member as
    given, ('file', name, None, packed bytes, unpacked size); ('kind', n) writes a bare kind word."""
    members, index, payload = [], b'', 0
    for entry in entries:
        kind = entry[0]
        if kind == 'enter':
            index += struct.pack('<I', ENTER) + entry[1].encode('utf-8') + b'\0'
        elif kind == 'leave':
            index += struct.pack('<I', LEAVE)
        elif kind == 'kind':
            index += struct.pack('<I', entry[1])
        elif kind == 'file':
            if len(entry) > 3:
                packed, size = entry[3], entry[4]
            else:
                data = _file_data(entry[2])
                packed, size = gzip_member(data), len(data)
            members.append(packed)
            payload += size
            index += struct.pack('<I', FILE) + entry[1].encode('utf-8') + b'\0' + struct.pack('<QQ', len(packed), size)
        else:
            raise PackError('Unknown entry: %r' % (kind,))
    index += struct.pack('<I', END)
    record_offset = len(image) + sum(len(m) for m in members)
    body = record_body(record, len(image), payload)
    return b''.join([image] + members + [struct.pack('<II', 2, len(body)), body, struct.pack('<I', len(index)), index,
                                         struct.pack('<Q', record_offset), MARKER, b'\0\0\0\0'])


def _inputs(image_path, entries):
    yield image_path
    for entry in entries:
        if entry[0] == 'file' and isinstance(entry[2], str):
            yield entry[2]


def pack(output, image_path, entries, record):
    target = os.path.realpath(output)
    for path in _inputs(image_path, entries):
        if os.path.realpath(path) == target:
            raise PackError('Cannot pack file to self.')
    data = build(_file_data(image_path), entries, record)
    temp = output + '.part'
    with open(temp, 'wb') as f:
        f.write(data)
    os.replace(temp, output)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    output, image, rest = argv[1], argv[2], argv[3:]
    entries, record = [], {'shortcuts': []}
    for option, value in zip(rest[::2], rest[1::2]):
        if option == '--tree':
            entries.extend(tree_entries(value))
        elif option == '--set':
            field, _, text = value.partition('=')
            if field not in FIELDS:
                sys.stderr.write('Unknown field: %s\n' % field)
                return 2
            record[field] = text
        elif option == '--file':
            entries.append(('file', os.path.basename(value), value))
        elif option == '--shortcut':
            record['shortcuts'].append(value)
        else:
            sys.stderr.write('Unknown option: %s\n' % option)
            return 2
    try:
        pack(output, image, entries, record)
    except (PackError, OSError) as e:
        sys.stderr.write('%s\n' % e)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
