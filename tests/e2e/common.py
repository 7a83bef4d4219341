"""Shared set-up of the end-to-end scripts: where the program and data are."""

import os
import sys
import unittest

from session import Program, world_to_pixel

BUILD_DIR = os.path.abspath(sys.argv[1])
DATA_DIR = os.path.abspath(sys.argv[2])
BINARY = os.path.join(BUILD_DIR, "cavel")
GRID_GREY = 77


def start(binary=BINARY, **options):
    return Program(binary, DATA_DIR, **options)


def is_grey(rgb, level=GRID_GREY, tolerance=3):
    return all(abs(channel - level) <= tolerance for channel in rgb)


def near(rgb, expected, tolerance=3):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, expected))


def vertical_line_at(shot, x, y, rows=6):
    """Whether a grey grid line crosses world column x near world row y."""
    px, py = world_to_pixel(x, y, rows)
    return any(is_grey(shot.pixel(px + d, py)) for d in range(-2, 3))


def horizontal_line_at(shot, x, y, rows=6):
    px, py = world_to_pixel(x, y, rows)
    return any(is_grey(shot.pixel(px, py + d)) for d in range(-2, 3))


def text_pixels(shot, x0, y0, x1, y1, rows=6):
    """Bright pixels inside the world box (x0, y0)-(x1, y1): drawn glyphs."""
    left, bottom = world_to_pixel(x0, y0, rows)
    right, top = world_to_pixel(x1, y1, rows)
    return shot.bright_pixels(left, top, right, bottom)


def main():
    unittest.main(argv=[sys.argv[0]], verbosity=2)
