#!/usr/bin/env python3
"""The layer check on a small tree: the clean fixture passes; planted includes are each named."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, '..', '..', 'cmake', 'check_layers.py')
FIXTURE = os.path.join(HERE, 'fixture')

# Planted files: path, lines, and the lines (1-based) the check must name.
PLANTED = [
    ('gui/kernel/posting.cpp', ['#include "gui/kernel/window.h"', '#include "mm/sound.h"'], [2]),
    ('editor/editor.cpp', ['#include "editor/editor.h"', '#include "tools/analyzer_page.h"'], [2]),
    ('tests/gui/paint/colors_test.cpp', ['#include "core/str.h"', '#include "engine/ops.h"'], [2]),
    ('tests/gui/views/table_test.cpp', ['#include "tests/mm/sound_fixture.h"'], [1]),
    ('tests/core/str_test.cpp', ['#include "tests/plugins/plugin.h"'], [1]),
    ('mm/sound.cpp', ['#include "mm/sound.h"', '#include "tests/support/helpers.h"'], [2]),
    ('shell/icons.rc', ['#include <winver.h>', '#include "bench/bench.h"'], [2]),
]


def run(root):
    done = subprocess.run([sys.executable, SCRIPT, root], stdout=subprocess.PIPE, universal_newlines=True)
    return done.returncode, done.stdout


class CheckLayers(unittest.TestCase):
    def test_clean_tree_passes(self):
        code, out = run(FIXTURE)
        self.assertEqual((code, out), (0, ''))

    def test_planted_includes_are_named(self):
        with tempfile.TemporaryDirectory() as temp:
            root = os.path.join(temp, 'tree')
            shutil.copytree(FIXTURE, root)
            expected = []
            for path, lines, bad in PLANTED:
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), 'x') as f:
                    f.write('\n'.join(lines) + '\n')
                for number in bad:
                    include = lines[number - 1].split('"')[1]
                    expected.append('%s:%d: %s' % (path, number, include))
            code, out = run(root)
            self.assertEqual(code, 1)
            named = [line.split(' (')[0] for line in out.splitlines() if not line.startswith('check_layers:')]
            self.assertEqual(sorted(named), sorted(expected))

    def test_folder_of_no_layer_is_named(self):
        with tempfile.TemporaryDirectory() as temp:
            root = os.path.join(temp, 'tree')
            shutil.copytree(FIXTURE, root)
            os.makedirs(os.path.join(root, 'tests', 'widgets'))
            with open(os.path.join(root, 'tests', 'widgets', 'a_test.cpp'), 'w') as f:
                f.write('#include "core/str.h"\n')
            code, out = run(root)
            self.assertEqual(code, 1)
            self.assertIn('tests/widgets/a_test.cpp: in a folder of no layer', out)


if __name__ == '__main__':
    unittest.main()
