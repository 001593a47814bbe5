#!/usr/bin/env python3
"""Tests of the trace figures (trace_actions.py) and the database comparison (fault_check.py)."""
import io
import json
import os
import sys
import tempfile
import unittest
from contextlib import redirect_stdout

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fault_check  # noqa: E402
import trace_actions  # noqa: E402


class ShapeTest(unittest.TestCase):
    def test_rows_of_one_loop_share_a_shape_and_other_statements_do_not(self):
        cases = [
            ("update lib_bianma set\r\n  bm_noorder='TP312 0008'\r\nwhere bm_no=17",
             "update lib_bianma set\r\n  bm_noorder='O''K 07'\r\nwhere bm_no=200017", True),
            ("insert into lib_issncode(ic_code,ic_issn,ic_cnno) values( \r\n'1-001',\r\n'中文',\r\n'')",
             "insert into lib_issncode(ic_code,ic_issn,ic_cnno) values( \r\n'9-29999',\r\n'1234-5678',\r\n'11-1/G4')",
             True),
            ("alter table lib_bianma add bm_issn char(13) default('')",
             "alter table lib_bianma add bm_cnno char(12) default('')", False),
            ("select * from lib_issncode where ic_code='x'", "update lib_issncode set ic_issn='' where ic_code='x'", False),
        ]
        for a, b, same in cases:
            with self.subTest(a=a):
                self.assertEqual(trace_actions.shape(a) == trace_actions.shape(b), same)

    def test_identifiers_with_digits_are_kept(self):
        self.assertIn("lib_tiaoma_tmp", trace_actions.shape("drop table lib_tiaoma_tmp"))
        self.assertIn("char(?)", trace_actions.shape("alter table t add c char(12)"))


class ActionsTest(unittest.TestCase):
    def test_time_goes_to_the_statement_that_completed_and_sums_per_shape(self):
        with tempfile.TemporaryDirectory() as folder:
            trace, clock = os.path.join(folder, "trace"), os.path.join(folder, "clock")
            lines = [json.dumps({"seq": i + 1, "session": 51, "text": t, "error": e}).encode() + b"\n"
                     for i, (t, e) in enumerate([("update t set k='a' where n=1", None),
                                                  ("update t set k='b' where n=2", None),
                                                  ("create index i on t(k)", {"number": 1, "message": "x"})])]
            with open(trace, "wb") as f:
                f.write(b"".join(lines))
            ends = [len(lines[0]), len(lines[0]) + len(lines[1]), sum(map(len, lines))]
            with open(clock, "w") as f:  # completions at 100.5, 101.0 and 104.0
                f.write("100.5 %d\n101.0 %d\n104.0 %d\n" % tuple(ends))
            out = io.StringIO()
            sys.argv = ["trace_actions.py", trace, clock, "0", str(ends[2]), "100.0", "105.0", "5"]
            with redirect_stdout(out):
                trace_actions.main()
            text = out.getvalue()
            self.assertIn("statements sent        3 (1 answered with an error)", text)
            self.assertIn("statements per second  1", text)
            rows = [l for l in text.splitlines() if " x  " in l]
            self.assertTrue(rows[0].strip().startswith("3.00 s       1 x  create index"), rows)
            self.assertTrue(rows[1].strip().startswith("1.00 s       2 x  update t set k=? where n=?"), rows)


class CompareTest(unittest.TestCase):
    def compare(self, expected, actual):
        with tempfile.TemporaryDirectory() as folder:
            files = []
            for name, state in (("e", expected), ("a", actual)):
                files.append(os.path.join(folder, name))
                with open(files[-1], "w", encoding="utf-8") as f:
                    json.dump(state, f, ensure_ascii=False)
            out = io.StringIO()
            with redirect_stdout(out):
                status = fault_check.compare(*files)
            return status, out.getvalue().splitlines()

    def test_equal_states_pass_and_each_kind_of_difference_is_named(self):
        base = {"lib_bianma": {"columns": ["bm_no\t56\t4\t0"], "rows": ["1", "2", "2"]}}
        cases = [
            (base, 0, []),
            ({"lib_bianma": {"columns": ["bm_no\t56\t4\t0"], "rows": ["1", "2"]}}, 1,
             ["rows lib_bianma: 1 expected rows missing, 0 rows not expected (of 3)"]),
            ({"lib_bianma": {"columns": ["bm_no\t56\t4\t0", "bm_noorder\t175\t26\t1"], "rows": ["1", "2", "2"]}}, 1,
             ["schema lib_bianma: missing []; not expected ['bm_noorder\\t175\\t26\\t1']"]),
            ({}, 1, ["schema lib_bianma: table missing"]),
        ]
        for actual, status, lines in cases:
            with self.subTest(actual=actual):
                self.assertEqual(self.compare(base, actual), (status, lines))


if __name__ == "__main__":
    unittest.main()
