"""The collection of puzzles: every file's figures are what cavel-solve says.

For every file of the collection it checks that
  - its name is plain (lower-case ASCII words joined by '-', '.txt');
  - it has a name, a source and a 'count' line in each metric, and either a
    'published' line (a published puzzle) or a note beginning 'found here'
    (a start found by --hardest), not both;
  - each 'count METRIC N' is the move count of cavel-solve --metric METRIC;
  - its 'positions', where given, is that of cavel-solve --analyze;
  - its published count equals ours in the published metric, or else the
    file carries a note beginning 'differs:' that says why; a 'differs:'
    note beside equal counts is stale and fails too;
  - no two files share a name or a layout.
Before that it checks itself on files made wrong on purpose.

usage: python3 collection.py CAVEL-SOLVE COLLECTION-DIR
"""

import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

SOLVER, COLLECTION = sys.argv[1], sys.argv[2]
METRICS = ("step", "line", "path")
TEXT_ITEMS = ("name", "source", "note")


def items_of(path):
    """The items of a puzzle file: its texts, counts and layout lines."""
    items = {"notes": [], "counts": {}, "layout": []}
    with open(path, encoding="latin-1") as lines:
        for line in lines:
            keyword = re.split(r"[\s#]", line.lstrip(), maxsplit=1)[0]
            if keyword in TEXT_ITEMS:
                text = line.lstrip()[len(keyword):].strip()
                if keyword == "note":
                    items["notes"].append(text)
                else:
                    items[keyword] = text
                continue
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            if words[0] == "published":
                items["published"] = (int(words[1]), words[2])
            elif words[0] == "count":
                items["counts"][words[1]] = int(words[2])
            elif words[0] == "positions":
                items["positions"] = int(words[1])
            else:
                items["layout"].append(" ".join(words))
    return items


def solver_objects(*args):
    """cavel-solve's JSON objects, one per file, in the files' order."""
    done = subprocess.run([SOLVER, "--json", *args], capture_output=True, timeout=600)
    return [json.loads(line) for line in done.stdout.decode("utf-8").splitlines()]


def problems(paths):
    """What is wrong with the files at `paths`, one line each."""
    found = []
    files = {path: items_of(path) for path in paths}
    for path, items in files.items():
        base = os.path.basename(path)
        if not re.fullmatch(r"[a-z0-9]+(-[a-z0-9]+)*\.txt", base):
            found.append(f"{base}: not a plain file name")
        for item in ("name", "source"):
            if not items.get(item):
                found.append(f"{base}: no '{item}' line")
        if sorted(items["counts"]) != sorted(METRICS):
            found.append(f"{base}: counts in {sorted(items['counts'])}, not in each metric")
        found_here = any(note.startswith("found here") for note in items["notes"])
        if found_here == ("published" in items):
            found.append(f"{base}: needs either a 'published' line or a 'found here' note")

    for metric in METRICS:
        for path, answer in zip(paths, solver_objects("--metric", metric, *paths)):
            ours = files[path]["counts"].get(metric)
            if answer.get("move_count") != ours:
                found.append(f"{os.path.basename(path)}: count {metric} {ours}, "
                             f"but cavel-solve says {answer.get('move_count')} "
                             f"({answer['status']})")

    sized = [path for path in paths if "positions" in files[path]]
    for path, answer in zip(sized, solver_objects("--analyze", *sized) if sized else []):
        if answer.get("positions") != files[path]["positions"]:
            found.append(f"{os.path.basename(path)}: positions {files[path]['positions']}, "
                         f"but --analyze says {answer.get('positions')}")

    for path, items in files.items():
        if "published" not in items:
            continue
        moves, metric = items["published"]
        explained = any(note.startswith("differs:") for note in items["notes"])
        ours = items["counts"].get(metric)
        if ours != moves and not explained:
            found.append(f"{os.path.basename(path)}: published {moves} {metric}, ours {ours}, "
                         f"and no 'differs:' note says why")
        if ours == moves and explained:
            found.append(f"{os.path.basename(path)}: a 'differs:' note, but the counts agree")

    for key in ("name", "layout"):
        seen = {}
        for path, items in files.items():
            value = str(sorted(items[key]) if key == "layout" else items[key])
            if value in seen:
                found.append(f"{os.path.basename(path)}: the same {key} as {seen[value]}")
            seen[value] = os.path.basename(path)
    return found


class Collection(unittest.TestCase):
    def test_the_check_finds_wrong_files(self):
        # The square alone, three cells from the exit on a board of its own width.
        right = ("name Wrong\nsource here\npublished 2 line\nsize {w} 3\npiece 0 {x} 0\n"
                 "count step 3\ncount line 2\ncount path 1\npositions {p}\n")
        cases = {
            "right.txt": right,
            "wrong-count.txt": right.replace("count path 1", "count path 2"),
            "not-explained.txt": right.replace("published 2", "published 3"),
            "explained.txt": right.replace("published 2", "published 3") + "note differs: x\n",
            "stale-note.txt": right + "note differs: x\n",
            "Bad_Name.txt": right,
        }
        with tempfile.TemporaryDirectory() as work:
            for width, (name, text) in enumerate(cases.items(), start=4):
                with open(os.path.join(work, name), "w", encoding="latin-1") as out:
                    out.write(text.replace("Wrong", name).format(w=width, x=width - 4,
                                                                 p=(width - 1) * 2))
            found = problems(sorted(glob.glob(os.path.join(work, "*.txt"))))
        blamed = sorted({line.split(":")[0] for line in found})
        self.assertEqual(blamed, ["Bad_Name.txt", "not-explained.txt", "stale-note.txt",
                                  "wrong-count.txt"], "\n".join(found))

    def test_every_file_says_what_cavel_solve_says(self):
        paths = sorted(glob.glob(os.path.join(COLLECTION, "*.txt")))
        published = [p for p in paths if "published" in items_of(p)]
        self.assertGreaterEqual(len(published), 40)
        self.assertGreaterEqual(len(paths) - len(published), 5)
        self.assertEqual(problems(paths), [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
