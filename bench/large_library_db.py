#!/usr/bin/env python3
"""Writes a large library database at the baseline level, as a T-SQL script for
`sqlstandin init --script`, and the plain ISSN list that issn_dat_writer turns into issn.dat.

Usage: large_library_db.py SCALE OUT_SQL OUT_ISSNOK

At SCALE 1: 200,000 catalogue records, 100,000 barcodes, 5,000 subscription pairs over every
period word, 20,000 loans, 10,000 readers (and as many entry records), 20,000 ISSN lines; every
count is multiplied by SCALE. The tables have the layout of tests/fixtures/baseline_level.sql,
whose small rows come first; the arrival register is in the old layout (no "FORMAT" row), so the
schedule job has every pair to convert. Text is Chinese where the columns hold names; the script
is UTF-8, as the fixtures are, and the stand-in stores it as the server would (CP936 columns).

Deterministic: the same SCALE gives the same bytes.
"""
import os
import random
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BASELINE = os.path.join(ROOT, "tests", "fixtures", "baseline_level.sql")

# Every period word the schedule knows, and one it does not (no issues).
PERIODS = ["年", "半年", "季", "双月", "月", "半月", "旬", "双周", "周", "每周", "日"]
NAME_CHARS = "中国人民日报读者文摘科学技术大学学报图书馆青年经济管理教育研究世界知识文学艺术生活周刊历史地理医学"
SURNAMES = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗"
GIVEN = "芳强伟敏静丽军洋勇艳杰娟涛明超秀霞平刚桂英华"
DEPARTMENTS = ["信息技术部", "中文系", "物理学院", "图书馆", "外国语学院", "数学系", "化学化工学院"]
ROWS_PER_INSERT = 500


def q(text):
    return "'" + text.replace("'", "''") + "'"


def gbk_len(text):
    return len(text.encode("gbk"))


def fit(text, width):
    """Cut text to at most `width` bytes of GBK, never in the middle of a character."""
    while gbk_len(text) > width:
        text = text[:-1]
    return text


class Script:
    def __init__(self, out):
        self.out = out

    def insert(self, table, columns, rows):
        head = "insert into %s (%s) values\n" % (table, ", ".join(columns))
        for start in range(0, len(rows), ROWS_PER_INSERT):
            chunk = rows[start:start + ROWS_PER_INSERT]
            self.out.write(head)
            self.out.write(",\n".join("(" + ", ".join(r) + ")" for r in chunk))
            self.out.write("\nGO\n")

    def go(self, statement):
        self.out.write(statement + "\nGO\n")


def periodical_name(rnd):
    return "".join(rnd.choice(NAME_CHARS) for _ in range(rnd.randint(2, 8)))


def person_name(rnd):
    return rnd.choice(SURNAMES) + "".join(rnd.choice(GIVEN) for _ in range(rnd.randint(1, 2)))


def call_number(rnd, i):
    """Call numbers of every kind the sort key meets: class/number, volumes, Chinese, small
    letters, quotes, blanks, empty and NULL."""
    kind = i % 20
    if kind == 17:
        return "NULL"
    if kind == 18:
        return "''"
    cls = rnd.choice(["TP", "I", "G", "O", "H", "K", "D", "F", "R", "Z"])
    text = "%s%d.%d/%d" % (cls, rnd.randint(1, 999), rnd.randint(0, 99), rnd.randint(1, 9999))
    if kind == 3:
        text += ":%d" % rnd.randint(1, 12)
    elif kind == 5:
        text = "%s%d/中文:%d" % (cls, rnd.randint(1, 99), rnd.randint(1, 9))
    elif kind == 7:
        text = text.lower()
    elif kind == 9:
        text = "O'K/%d" % rnd.randint(1, 99)
    elif kind == 11:
        text = "  %s%d / %d " % (cls, rnd.randint(1, 99), rnd.randint(1, 9))
    return q(fit(text, 22))


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: large_library_db.py SCALE OUT_SQL OUT_ISSNOK")
    scale = float(sys.argv[1])
    n = lambda full: max(1, int(round(full * scale)))
    catalogue, barcodes, pairs = n(200000), n(100000), n(5000)
    loans, readers, issn_lines = n(20000), n(10000), n(20000)
    rnd = random.Random(20081103)

    with open(BASELINE, encoding="utf-8") as f:
        baseline = f.read()
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write(baseline.rstrip("\n") + "\n")
        s = Script(out)
        # The register goes back to the old layout: the schedule job then converts every pair.
        s.go("delete from lib_bkqs")

        codes = ["%d-%d" % (p % 9 + 1, 10000 + p) for p in range(pairs)]
        names = [periodical_name(rnd) for _ in range(pairs)]
        periods = [PERIODS[p % len(PERIODS)] for p in range(pairs)]

        s.insert("lib_baokan", ["bk_code", "bk_name", "bk_period", "bk_hyprice", "bk_cost", "bk_number", "bk_yprice"],
                 [[q(codes[p]), q(names[p]), q(periods[p]), "0", "%d" % (12 + p % 300), "1", "%d.50" % (p % 90)]
                  for p in range(pairs)])

        subscriptions, history, register = [], [], []
        for p in range(pairs):
            mark = "0%d" % (p % 3)
            year = 2004 + p % 6
            user = "%06d" % (p % 500 + 1)
            row = [q(codes[p]), q(mark), q(names[p]), q(periods[p]), "%d.%02d" % (p % 400, p % 100), q(user),
                   q(person_name(rnd))]
            subscriptions.append(row + ["'%d-01-01'" % year, "'%d-12-31'" % year, "2"])
            if p % 3 == 0:
                subscriptions.append(row + ["'%d-04-01'" % year, "'%d-06-30'" % year, "1"])
            if p % 2 == 0:
                history.append(row + ["'%d-01-01'" % (year - 1), "'%d-12-31'" % (year - 1), "1"])
            register.append([q(codes[p]), q(mark), "'1:2;3:1;'"])
        columns = ["zd_code", "zd_mark", "zd_name", "zd_period", "zd_price", "zd_usercode", "zd_username",
                   "zd_bdate", "zd_edate", "zd_number"]
        s.insert("lib_bkzd", columns, subscriptions)
        s.insert("lib_bkzdls", columns, history)
        s.insert("lib_bkqs", ["qs_code", "qs_mark", "qs_notice"], register)

        # Codes stored before the import without their numbers: the import fills them in.
        stored = [[q(codes[p]), "''", "''"] for p in range(0, pairs, 5)]
        s.insert("lib_issncode", ["ic_code", "ic_issn", "ic_cnno"], stored)

        rows = []
        for i in range(catalogue):
            p = i % pairs
            rows.append([q(codes[p]), "%d" % (2004 + i % 6), "%d" % (i % 12 + 1), q("%010d" % (i + 1)), q(names[p]),
                         "%d" % (i % 50 + 1), "%d" % (32 + i % 200), q("0%d" % (i % 3)), q(fit(periods[p], 4)),
                         q(fit(names[p][:3] + "出版社", 12)), "%d.%02d" % (i % 100, i % 100), call_number(rnd, i)])
        s.insert("lib_bianma", ["bm_code", "bm_year", "bm_month", "bm_order", "bm_name", "bm_number", "bm_pages",
                                "bm_mark", "bm_period", "bm_publish", "bm_price", "bm_bookno"], rows)

        # Barcodes start after the fixture's bm_no values; one per catalogue record up to the count.
        s.insert("lib_tiaoma", ["tm_barcode", "tm_mark", "tm_no", "tm_logdate", "tm_enddate"],
                 [[q("T%08d" % (i + 1)), q(str(i % 2)), "%d" % (10 + i % catalogue),
                   "'%d-%02d-%02d'" % (2004 + i % 6, i % 12 + 1, i % 28 + 1),
                   "'%d-%02d-%02d'" % (2004 + i % 6, i % 12 + 1, i % 28 + 1)] for i in range(barcodes)])

        people = ["%09d" % (200000000 + r) for r in range(readers)]
        people_names = [person_name(rnd) for _ in range(readers)]
        s.insert("lib_people", ["pe_code", "pe_name"], [[q(people[r]), q(people_names[r])] for r in range(readers)])
        s.insert("lib_enterpeople", ["ep_people", "ep_name", "ep_dzlx", "ep_deptment", "ep_bdate", "ep_edate"],
                 [[q(people[r]), q(fit(people_names[r], 8)), q("学生" if r % 4 else "教师"),
                   q(DEPARTMENTS[r % len(DEPARTMENTS)]),
                   "'2005-%02d-%02d 08:%02d:00'" % (r % 12 + 1, r % 28 + 1, r % 60),
                   "'2005-%02d-%02d 11:%02d:00'" % (r % 12 + 1, r % 28 + 1, r % 60)] for r in range(readers)])
        s.insert("lib_jieshu", ["js_libcard", "js_mark", "js_barcode", "js_bdate", "js_edate"],
                 [[q(people[l % readers]), q("借" if l % 3 else "还"), q("T%08d" % (l % barcodes + 1)),
                   "'2008-%02d-%02d 09:00:00'" % (l % 12 + 1, l % 28 + 1),
                   "'2008-%02d-%02d 09:00:00'" % ((l + 1) % 12 + 1, l % 28 + 1)] for l in range(loans)])

    # The plain ISSN list: the subscriptions' codes first (the copy then reaches lib_bkzd), then
    # codes of periodicals not subscribed; one line in ten repeats an earlier code (a fill-in).
    with open(sys.argv[3], "wb") as out:
        for i in range(issn_lines):
            k = i - 5 if i % 10 == 9 else i
            code = codes[k] if k < pairs else "%d-%d" % (k % 9 + 1, 10000 + k)
            digits = "%07d" % rnd.randint(0, 9999999)
            total = sum(int(d) * (8 - j) for j, d in enumerate(digits))
            check = (11 - total % 11) % 11
            issn = digits[:4] + "-" + digits[4:] + ("X" if check == 10 else str(check))
            cn = "%d-%04d/G%d" % (11 + k % 50, 1000 + k % 9000, k % 9)
            out.write(("%-10s %s %s\r\n" % (code, issn, cn)).encode("gbk"))


if __name__ == "__main__":
    main()
