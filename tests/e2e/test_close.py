"""The close button is never lost: asked at any moment of a search or an
analysis, from Return to the replay, it ends the program at once.

Each moment is a fresh program on a long layout, closed a given time after
the key that starts the search; the program must end with status 0 within
a second of the request, whatever screen it reached meanwhile.
"""

import os
import subprocess
import time
import unittest

from common import BUILD_DIR, DATA_DIR, main, start
from session import send_close_request

LONG = os.path.join(DATA_DIR, "puzzles", "large", "large8x6-2.txt")
SENDER = os.path.join(BUILD_DIR, "tests", "send-wm-delete")


class CloseRequest(unittest.TestCase):
    def setUp(self):
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.kill()

    def close_after(self, key, delay):
        """Starts on the long layout, presses `key` briskly (as `xdotool key`
        does), waits `delay` seconds and asks the window to close."""
        with open(LONG) as f:
            p = self.program = start(args=["long.txt"], files={"long.txt": f.read()})
        p.pause(0.3)
        subprocess.run(["xdotool", "key", key], check=True)
        time.sleep(delay)
        if not p.running():
            self.fail("the program ended before its close request")
        asked = time.monotonic()
        send_close_request(p, SENDER)
        status = p.wait(10)
        took = time.monotonic() - asked
        p.kill()
        return status, took

    def test_every_moment_of_a_search_from_return_to_the_replay(self):
        # The search of this layout takes about 3 s on two cores: 30 moments
        # every 100 ms reach the replay on a quick machine.
        for step in range(30):
            delay = 0.1 * step
            with self.subTest(delay=delay):
                status, took = self.close_after("Return", delay)
                self.assertEqual(status, 0)
                self.assertLess(took, 1.0)

    def test_twenty_moments_of_an_analysis(self):
        for step in range(20):
            delay = 0.15 * step
            with self.subTest(delay=delay):
                status, took = self.close_after("h", delay)
                self.assertEqual(status, 0)
                self.assertLess(took, 1.0)


if __name__ == "__main__":
    main()
