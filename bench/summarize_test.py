#!/usr/bin/env python3
"""Checks the medians, net times and ratios the benchmark prints."""
import contextlib
import io
import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import summarize  # noqa: E402


class SummarizeTest(unittest.TestCase):
    runs = {
        "quillane x10": [0.52, 0.50, 0.51, 0.90],
        "nsis x10": [0.35, 0.36, 0.37],
        "cp x10": [0.083, 0.085, 0.081],
        "quillane one-byte": [0.24, 0.25, 0.23, 0.24],
        "nsis one-byte": [0.24, 0.25, 0.25],
        "cp one-byte": [0.002, 0.003, 0.002],
    }

    def test_medians_in_the_run_order(self):
        medians = summarize.summarize(self.runs)["medians"]
        self.assertEqual([name for name, *_ in medians], list(self.runs))
        name, median, q1, q3, fastest = medians[0]
        self.assertAlmostEqual(median, 0.515)  # the outlier does not pull it
        self.assertTrue(q1 <= median <= q3)
        self.assertEqual(fastest, 0.50)

    def test_net_is_the_median_minus_the_own_one_byte_median(self):
        nets = {tool: net for tool, net, _ in summarize.summarize(self.runs)["nets"]["x10"]}
        self.assertAlmostEqual(nets["quillane"], 0.515 - 0.24)
        self.assertAlmostEqual(nets["nsis"], 0.36 - 0.25)
        self.assertAlmostEqual(nets["cp"], 0.083 - 0.002)

    def test_net_of_the_fastest_runs(self):
        nets = {tool: net for tool, _, net in summarize.summarize(self.runs)["nets"]["x10"]}
        self.assertAlmostEqual(nets["quillane"], 0.50 - 0.23)
        self.assertAlmostEqual(nets["nsis"], 0.35 - 0.24)
        self.assertAlmostEqual(nets["cp"], 0.081 - 0.002)
        text = summarize.report("x10", summarize.summarize(self.runs))
        self.assertIn("    quillane                      275.0 ms      270.0 ms", text)
        self.assertIn(f"quillane / nsis {0.27 / 0.11:.2f}", text)

    def test_ratios_of_every_two_tools(self):
        ratios = summarize.summarize(self.runs)["ratios"]["x10"]
        self.assertEqual([(a, b) for a, b, _ in ratios],
                         [("quillane", "nsis"), ("quillane", "cp"), ("nsis", "cp")])
        self.assertAlmostEqual(ratios[0][2], 0.275 / 0.11)
        self.assertAlmostEqual(ratios[1][2], 0.275 / 0.081)

    def test_a_net_within_the_noise_has_no_ratio(self):
        runs = dict(self.runs)
        runs["nsis x10"] = [0.24, 0.24, 0.24]
        summary = summarize.summarize(runs)
        self.assertAlmostEqual(summary["nets"]["x10"][1][1], -0.01)
        ratios = {(a, b): r for a, b, r in summary["ratios"]["x10"]}
        self.assertIsNone(ratios[("quillane", "nsis")])
        self.assertIsNone(ratios[("nsis", "cp")])
        self.assertIsNotNone(ratios[("quillane", "cp")])
        self.assertIn("n/a", summarize.report("x10.json", summary))

    def test_a_tool_without_its_one_byte_run_has_no_net(self):
        runs = {name: times for name, times in self.runs.items() if name != "cp one-byte"}
        nets = summarize.summarize(runs)["nets"]["x10"]
        self.assertEqual([tool for tool, *_ in nets], ["quillane", "nsis"])

    def test_several_sizes_and_variants_in_one_run(self):
        runs = dict(self.runs)
        runs["quillane-falign4k x10"] = [0.33]
        runs["quillane-falign4k one-byte"] = [0.24]
        runs["quillane x1"] = [0.26]
        summary = summarize.summarize(runs)
        self.assertEqual(summary["nets"]["x1"], [("quillane", 0.26 - 0.24, 0.26 - 0.23)])
        nets = {tool: net for tool, net, _ in summary["nets"]["x10"]}
        self.assertAlmostEqual(nets["quillane-falign4k"], 0.09)
        self.assertEqual(len(summary["ratios"]["x10"]), 6)

    def test_bad_names_and_empty_runs_are_refused(self):
        with self.assertRaisesRegex(ValueError, "tool"):
            summarize.summarize({"quillane": [0.1]})
        with self.assertRaisesRegex(ValueError, "no timed runs"):
            summarize.summarize({"quillane x1": []})

    def export(self, runs):
        results = [{"command": name, "mean": sum(times) / len(times), "times": times}
                   for name, times in runs.items()]
        with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as out:
            json.dump({"results": results}, out)
        self.addCleanup(os.remove, out.name)
        return out.name

    def test_reads_hyperfine_exports(self):
        path = self.export(self.runs)
        self.assertEqual(summarize.read_runs(path), self.runs)
        text = summarize.report("x10", summarize.summarize(summarize.read_runs(path)))
        self.assertIn("quillane x10", text)
        self.assertIn("   515.0 ms", text)
        self.assertIn("ratio quillane / nsis: 2.50", text)

    def test_rounds_are_pooled(self):
        first = self.export({"quillane x10": [0.50, 0.52], "quillane one-byte": [0.20, 0.22]})
        second = self.export({"quillane x10": [0.60, 0.62], "quillane one-byte": [0.30, 0.32]})
        runs = summarize.read_runs(first, second)
        self.assertEqual(list(runs), ["quillane x10", "quillane one-byte"])
        self.assertEqual(runs["quillane x10"], [0.50, 0.52, 0.60, 0.62])
        summary = summarize.summarize(runs)
        self.assertAlmostEqual(summary["medians"][0][1], 0.56)
        self.assertAlmostEqual(summary["nets"]["x10"][0][1], 0.56 - 0.26)
        output = io.StringIO()
        with contextlib.redirect_stdout(output):
            self.assertEqual(summarize.main(["scale 10", first, second]), 0)
        self.assertIn("== scale 10 (4 timed runs of each command)", output.getvalue())
        self.assertIn("    quillane                      300.0 ms      300.0 ms", output.getvalue())


if __name__ == "__main__":
    unittest.main()
