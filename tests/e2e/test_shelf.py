"""The list of the collection, L on the board size screen: it opens the
chosen puzzle in the editor, scrolls, follows M, goes back with Escape, reads
the install's collection, and says when there is none."""

import glob
import json
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from common import (BUILD_DIR, BINARY, DATA_DIR, main, start, text_pixels,
                    vertical_line_at)

SOLVER = os.path.join(BUILD_DIR, "cavel-solve")
COLLECTION = os.path.join(DATA_DIR, "puzzles", "collection")
# The world boxes of the list: its first row's name, the rows' names and
# the rows' counts (ten rows of 0.6 from y = 5.5 down by 0.7), and the
# "Aucun puzzle trouvé" line.
FIRST_NAME = (-5, 5.5, 1, 6.1)
NAMES = (-5, -0.8, 5, 6.1)
# The rows' first letters: where neither the size screen nor the editor
# (whose cursor piece stands from x = -4) draws anything.
ROW_STARTS = (-5, 1.5, -4.1, 6.1)
COUNTS = (9, -0.8, 11.1, 6.1)
NONE_FOUND = (-4, 3, 7, 4)
# Latin-1 upper-case letters to lower case, as the list sorts its names.
FOLD = bytes.maketrans(bytes(range(0x41, 0x5B)) + bytes(c for c in range(0xC0, 0xDF) if c != 0xD7),
                       bytes(range(0x61, 0x7B)) + bytes(c for c in range(0xE0, 0xFF) if c != 0xF7))


def code_of(path):
    return subprocess.run([SOLVER, "--code", path], check=True, capture_output=True,
                          text=True).stdout.strip()


def listed(folder):
    """The collection's files as the list orders them: by name, letters of
    either case alike, then by path; with their codes."""
    paths = sorted(glob.glob(os.path.join(folder, "*.txt")))
    lines = subprocess.run([SOLVER, "--info", "--json"] + paths, check=True,
                           capture_output=True).stdout.decode("utf-8").splitlines()
    entries = [json.loads(line) for line in lines]
    return sorted(entries, key=lambda e: (e["name"].encode("latin-1").translate(FOLD), e["file"]))


def box(shot, area):
    return text_pixels(shot, *area)


def installed(root, collection):
    """A copy of the program in root/bin, its data folder root/share/cavel
    holding `collection` (name: text) in puzzles/collection, or no data
    folder at all for None. Outside the build tree, it has no source data."""
    os.makedirs(os.path.join(root, "bin"))
    binary = os.path.join(root, "bin", "cavel")
    shutil.copy(BINARY, binary)
    if collection is not None:
        folder = os.path.join(root, "share", "cavel", "puzzles", "collection")
        os.makedirs(folder)
        for name, text in collection.items():
            with open(os.path.join(folder, name), "w") as f:
                f.write(text)
    return binary


class Shelf(unittest.TestCase):
    def setUp(self):
        self.program = None
        self.root = tempfile.mkdtemp(prefix="cavel-shelf-")

    def tearDown(self):
        if self.program:
            self.program.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    def size_screen(self, **options):
        """The program started, its first screen shown."""
        p = self.program = start(**options)
        p.wait_for_screen(lambda shot: box(shot, (-5, 8, 3, 9)) > 100, what="the size screen")
        return p

    def listing(self, **options):
        """The program started, then L: the list."""
        p = self.size_screen(**options)
        p.key("l")
        return p

    def list_gone(self, p, name):
        return p.wait_for_screen(lambda shot: box(shot, ROW_STARTS) < 20, what=name)

    def list_shown(self, p, name="list"):
        return p.wait_for_screen(lambda shot: box(shot, FIRST_NAME) > 30, what=name)

    def saved_code(self, p):
        """S in the editor, then the code of the file it wrote."""
        p.key("s")
        deadline = time.time() + 20
        while not p.files("puzzle-*") and time.time() < deadline:
            p.pause(0.1)
        self.assertEqual(p.files("puzzle-*"), ["puzzle-1.txt"])
        saved = os.path.join(p.rundir, "puzzle-1.txt")
        # The layout alone: the file's name, source and counts stay behind.
        for line in p.read("puzzle-1.txt").splitlines():
            self.assertRegex(line, r"^(size|piece) ", "in puzzle-1.txt")
        return code_of(saved)

    def test_down_three_times_and_return_opens_the_fourth_entry(self):
        fourth = listed(COLLECTION)[3]
        p = self.listing()
        self.list_shown(p)
        p.key("Down", 3)
        p.key("Return")
        # The editor: the list's rows are gone.
        self.list_gone(p, "the editor")
        self.assertEqual(self.saved_code(p), fourth["code"])
        self.assertEqual(p.stderr(), b"")

    def test_the_list_scrolls_follows_m_and_escape_goes_back_to_the_size_screen(self):
        p = self.size_screen()
        p.key("Left", 2)
        p.key("Down", 2)
        p.key("l")
        first = self.list_shown(p, "list-first")
        # The list keeps the window's arrows to itself: the size stays 4 by 3.
        p.key("Down", 10)
        scrolled = p.screenshot("list-scrolled")
        self.assertNotEqual(scrolled.area(*FIRST_NAME), first.area(*FIRST_NAME))
        p.key("Up", 10)
        self.assertEqual(p.screenshot("list-back-up").pixels, first.pixels)
        # M: other counts, the same names.
        p.key("m")
        other = p.screenshot("list-line")
        self.assertNotEqual(other.area(*COUNTS), first.area(*COUNTS))
        self.assertEqual(other.area(*NAMES), first.area(*NAMES))
        p.key("Escape")
        # Back to the size screen, with the 4 by 3 set before L.
        size = self.list_gone(p, "the size screen")
        self.assertTrue(vertical_line_at(size, 4, 0.5, 3))
        self.assertFalse(vertical_line_at(size, 5, 0.5, 3))
        self.assertTrue(p.running())
        p.key("Escape")
        self.assertEqual(p.wait(10), 0)

    def test_the_installs_collection_is_listed_and_what_is_no_puzzle_left_off(self):
        binary = installed(self.root, {
            "one.txt": "name Un\nsize 4 3\npiece 0 0 0\npiece 1 3 2\ncount step 3\n",
            "two.txt": "name deux\nsize 4 3\npiece 0 0 0\npiece 2 2 2\n",
            "bad.txt": "size 4 3\npiece 0 3 0\n",
        })
        p = self.listing(binary=binary)
        self.list_shown(p)
        p.key("Down")
        p.key("Return")
        self.list_gone(p, "the editor")
        folder = os.path.join(self.root, "share", "cavel", "puzzles", "collection")
        self.assertEqual(self.saved_code(p), code_of(os.path.join(folder, "one.txt")))
        self.assertEqual(p.stderr().count(b"left off the list"), 1)
        self.assertIn(b"bad.txt:2: piece lies off the board", p.stderr())

    def test_without_a_collection_the_list_says_so(self):
        p = self.listing(binary=installed(self.root, None))
        empty = p.wait_for_screen(lambda shot: box(shot, NONE_FOUND) > 100,
                                  what="Aucun puzzle trouv\u00e9")
        self.assertEqual(box(empty, FIRST_NAME), 0)
        p.key("Return")   # nothing to open
        self.assertEqual(p.screenshot("still-empty").pixels, empty.pixels)
        p.key("Escape")
        p.wait_for_screen(lambda shot: box(shot, NONE_FOUND) < 20, what="the size screen")
        p.key("Return")
        self.assertTrue(p.running())
        self.assertEqual(p.files("puzzle-*"), [])


if __name__ == "__main__":
    main()
