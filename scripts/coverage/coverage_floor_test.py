"""The floor's judgement and the reading of gcovr's summaries."""
import contextlib
import io
import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import coverage_floor  # noqa: E402


class Shortfalls(unittest.TestCase):
    def test_rows(self):
        # (lines covered, lines, branches covered, branches), floors, what falls short
        rows = [
            ((995, 1000, 900, 1000), 99.5, 90.0, []),
            ((994, 1000, 900, 1000), 99.5, 90.0, ["lines 99.40 % < floor 99.5 %"]),
            ((995, 1000, 899, 1000), 99.5, 90.0, ["branches 89.90 % < floor 90.0 %"]),
            ((1, 2, 1, 3), 99.5, 90.0,
             ["lines 50.00 % < floor 99.5 %", "branches 33.33 % < floor 90.0 %"]),
            ((0, 0, 0, 0), 99.5, 90.0, []),  # nothing to count is nothing missed
            # 99.4996 %: printed rounded to 99.50, judged unrounded.
            ((1193, 1199, 10, 11), 99.5, 90.0, ["lines 99.50 % < floor 99.5 %"]),
        ]
        for figures, line_floor, branch_floor, expected in rows:
            with self.subTest(figures=figures):
                self.assertEqual(coverage_floor.shortfalls(figures, line_floor, branch_floor),
                                 expected)


class Main(unittest.TestCase):
    def test_exit_status_follows_the_merged_figures(self):
        rows = [((995, 1000, 900, 1000), 0), ((990, 1000, 950, 1000), 1)]
        for merged, status in rows:
            with self.subTest(merged=merged), tempfile.TemporaryDirectory() as folder:
                for name in ("win32", "win64", "host", "merged"):
                    figures = merged if name == "merged" else (1, 2, 1, 2)
                    keys = ("line_covered", "line_total", "branch_covered", "branch_total")
                    with open(f"{folder}/{name}-summary.json", "w") as summary:
                        json.dump(dict(zip(keys, figures)), summary)
                with contextlib.redirect_stdout(io.StringIO()) as printed:
                    self.assertEqual(coverage_floor.main(folder, 99.5, 90.0), status)
                self.assertIn(f"merged     {merged[0] / 10:7.2f} %", printed.getvalue())


if __name__ == "__main__":
    unittest.main()
