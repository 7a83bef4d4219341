"""cavel-solve --info: what each puzzle file says of its puzzle, as text lines
that are the file's own items and as JSON members in UTF-8.

usage: python3 info.py CAVEL-SOLVE PUZZLE-DIR
"""

import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

SOLVER, PUZZLES = sys.argv[1], sys.argv[2]
COLLECTION = sorted(glob.glob(os.path.join(PUZZLES, "collection", "*.txt")))
# The order --info prints the kinds of items in; the layout's lines are not items.
KINDS = ("name", "source", "published", "count", "positions", "note")


def run(*args, stdin=None):
    return subprocess.run([SOLVER, *args], capture_output=True, input=stdin, timeout=120)


def file_items(path):
    """The item lines of a puzzle file (bytes, spaces at either end dropped),
    grouped in the order --info gives the kinds, and its size line."""
    items, size = [], None
    with open(path, "rb") as f:
        for line in f:
            line = line.strip()
            keyword = re.split(rb"[\s#]", line, maxsplit=1)[0].decode("latin-1")
            if keyword == "size":
                size = b" ".join(line.split(b"#")[0].split())
            elif keyword in ("name", "source", "note"):
                text = line[len(keyword):].strip()
                items.append((KINDS.index(keyword), keyword.encode() + b" " + text))
            elif keyword in KINDS:
                items.append((KINDS.index(keyword), b" ".join(line.split(b"#")[0].split())))
    # A stable sort keeps the file's order within a kind (counts, notes).
    return [line for _, line in sorted(items, key=lambda item: item[0])], size


def code_of(path):
    return run("--code", path).stdout.decode().strip()


class Info(unittest.TestCase):
    def test_the_text_lines_are_the_files_items_then_size_and_code(self):
        self.assertGreater(len(COLLECTION), 40)
        done = run("--info", *COLLECTION)
        self.assertEqual(done.returncode, 0)
        self.assertEqual(done.stderr, b"")
        parts = done.stdout.split(b"==> ")[1:]
        self.assertEqual(len(parts), len(COLLECTION))
        for path, part in zip(COLLECTION, parts):
            header, *lines = part.splitlines()
            self.assertEqual(header, path.encode() + b" <==")
            items, size = file_items(path)
            self.assertEqual(lines[:-2], items, path)
            self.assertEqual(lines[-2:], [size, b"code " + code_of(path).encode()], path)

    def test_the_json_members_carry_the_same_items_in_utf8(self):
        objects = [json.loads(line) for line in
                   run("--info", "--json", *COLLECTION).stdout.decode("utf-8").splitlines()]
        self.assertEqual([o["file"] for o in objects], COLLECTION)
        accented = 0
        for path, got in zip(COLLECTION, objects):
            items, size = file_items(path)
            texts = {}
            for line in items:
                keyword, _, rest = line.decode("latin-1").partition(" ")
                texts.setdefault(keyword, []).append(rest)
            self.assertEqual(got["status"], "described")
            self.assertEqual(got["code"], code_of(path))
            self.assertEqual(got["name"], texts["name"][0])
            self.assertEqual(got["source"], texts["source"][0])
            self.assertEqual(got["notes"], texts.get("note", []))
            counts = dict(c.split() for c in texts["count"])
            self.assertEqual(got["counts"], {m: int(n) for m, n in counts.items()})
            self.assertEqual(list(got["counts"]), list(counts))  # the file's order
            if "published" in texts:
                moves, metric = texts["published"][0].split()
                self.assertEqual(got["published"], {"moves": int(moves), "metric": metric})
            else:
                self.assertNotIn("published", got)
            self.assertEqual(got["positions"], int(texts["positions"][0]))
            self.assertEqual(b"size %d %d" % (got["width"], got["height"]), size)
            accented += "\u00c2" in got["name"]
        self.assertGreater(accented, 0, "no name with a Latin-1 letter in the collection")

    def test_a_layout_without_items_a_code_and_odd_texts(self):
        with tempfile.TemporaryDirectory() as work:
            odd = os.path.join(work, "odd.txt")
            # Quotes, a backslash, '#' kept in a text, the Latin-1 bytes 0xE9
            # and 0xFF, a count line after a note.
            with open(odd, "wb") as f:
                f.write(b'size 4 3\nnote caf\xe9 "au" \\lait # 2\npiece 0 0 0\n'
                        b"name  Ol\xe9 \ncount path 2 # a comment\nnote y\xff\n")
            classic = os.path.join(PUZZLES, "classic.txt")
            done = run("--info", odd, classic, "cavel:KQ")
            self.assertEqual(done.returncode, 0)
            self.assertEqual(done.stdout.decode("latin-1").split("==> ")[1:], [
                odd + " <==\nname Ol\xe9\ncount path 2\nnote caf\xe9 \"au\" \\lait # 2\n"
                "note y\xff\nsize 4 3\ncode cavel:KQ\n",
                classic + " <==\nsize 5 4\ncode " + code_of(classic) + "\n",
                "cavel:KQ <==\nsize 4 3\ncode cavel:KQ\n"])
            got = [json.loads(line) for line in
                   run("--info", "--json", odd, "cavel:KQ").stdout.decode("utf-8").splitlines()]
            self.assertEqual(got[0], {
                "file": odd, "code": "cavel:KQ", "status": "described", "name": "Ol\u00e9",
                "counts": {"path": 2}, "notes": ['caf\u00e9 "au" \\lait # 2', "y\u00ff"],
                "width": 4, "height": 3})
            self.assertEqual(got[1], {"file": "cavel:KQ", "code": "cavel:KQ",
                                      "status": "described", "counts": {}, "notes": [],
                                      "width": 4, "height": 3})

    def test_bad_files_and_options(self):
        missing = "/nonexistent/missing.txt"
        square = os.path.join(PUZZLES, "square-only.txt")
        done = run("--info", missing, square)
        self.assertEqual(done.returncode, 2)
        self.assertEqual(done.stderr.decode(),
                         missing + ":0: cannot open: No such file or directory\n")
        self.assertTrue(done.stdout.decode().endswith("size 4 3\ncode cavel:KQ\n"))
        (bad, good) = [json.loads(line) for line in
                       run("--info", "--json", missing, square).stdout.splitlines()]
        self.assertEqual((bad["status"], bad["line"]), ("bad_input", 0))
        self.assertEqual(good["status"], "described")
        for other in ("--code", "--analyze", "--moves", "--boards", "--stats"):
            done = run("--info", other, square)
            self.assertEqual(done.returncode, 2, other)
            self.assertEqual(done.stdout, b"", other)
            self.assertTrue(done.stderr.startswith(b"cavel-solve: --info does not go with"),
                            other)
        # Never a search: a budget no search could keep to changes nothing.
        self.assertEqual(run("--info", "--max-memory", "1", "--metric", "path",
                             os.path.join(PUZZLES, "random6x5-14.txt")).returncode, 0)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
