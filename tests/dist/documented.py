"""Every option of both programs, and every JSON status of cavel-solve, as
the code has them, in --help, in the man page and in the README.

usage: python3 documented.py SOURCE-DIR BUILD-DIR
"""

import os
import re
import subprocess
import sys
import unittest

SOURCE, BUILD = sys.argv[1], sys.argv[2]


def read(*path):
    with open(os.path.join(SOURCE, *path), encoding="utf-8") as f:
        return f.read()


def help_text(program):
    return subprocess.run([os.path.join(BUILD, program), "--help"], capture_output=True,
                          check=True).stdout.decode("latin-1")


def solver_options():
    """The names in cavel-solve's table of options, long and one-letter."""
    names = []
    for name, letter in re.findall(r'\{"(--[a-z-]+)", \'(\\0|[a-zA-Z])\'', read("solve",
                                                                               "SolveArguments.cpp")):
        names.append(name)
        if letter != "\\0":
            names.append("-" + letter)
    return names


def window_options():
    """The names the window program compares its arguments with."""
    source = read("app", "CommandLine.cpp")
    body = source[source.index("void runOption("):source.index("CommandLine readCommandLine(")]
    return sorted(set(re.findall(r'name == "(-[-a-zA-Z]+)"', body)))


def json_statuses():
    """What cavel-solve's JSON status can be: the search's outcomes and the analysis's."""
    outcomes = re.findall(r'case SolveOutcome::\w+:\s*return "(\w+)";',
                          read("solve", "SearchReport.cpp"))
    analysis = re.findall(r'addString\("status", "(\w+)"\)', read("solve", "PuzzleRuns.cpp"))
    return outcomes + analysis


def in_roff(page, word):
    """Whether the man page source has `word` as a word, its hyphens escaped."""
    escaped = re.escape(word.replace("-", "\\-"))
    return re.search(r"(^|[\s(])" + escaped + r"($|[\s,.;)=])", page, re.MULTILINE) is not None


def in_text(text, word):
    return re.search(r"(^|[\s`(,'])" + re.escape(word) + r"($|[\s`,.;)'=])", text,
                     re.MULTILINE) is not None


class Documented(unittest.TestCase):
    def check(self, words, program, page):
        texts = {"--help": help_text(program), "README.md": read("README.md")}
        roff = read("dist", page)
        self.assertGreater(len(words), 3)
        for word in words:
            for name, text in texts.items():
                self.assertTrue(in_text(text, word), "%s: %s lacks %s" % (program, name, word))
            self.assertTrue(in_roff(roff, word), "%s lacks %s" % (page, word))

    def test_every_option_of_the_solver(self):
        self.check(solver_options(), "cavel-solve", "cavel-solve.6.in")

    def test_every_option_of_the_window_program(self):
        self.check(window_options(), "cavel", "cavel.6.in")

    def test_every_json_status(self):
        statuses = json_statuses()
        self.assertIn("analyzed", statuses)
        self.check(statuses, "cavel-solve", "cavel-solve.6.in")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
