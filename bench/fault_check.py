#!/usr/bin/env python3
"""Checks for the fault trials (bench/fault_trials): what a stand-in database holds, compared.

  fault_check.py dump SQLSTANDIN DBDIR OUT.json
      Every user table's columns (name, type, length, nullability) and rows, and the ledger.
      Times of today (written by getdate() during the run) read as <now>, so that two runs of
      the same statements compare equal.
  fault_check.py replay SQLSTANDIN DBDIR TRACE [END_OFFSET]
      Runs into DBDIR, one batch each, the statements of TRACE (up to END_OFFSET bytes) that
      were answered without an error, leaving out the ones that only read.
  fault_check.py next-statement TRIAL_TRACE END_OFFSET CLEAN_TRACE
      The statement that was in flight at the kill: the statements of TRIAL_TRACE (up to
      END_OFFSET bytes) are a prefix of the clean run's, since the upgrade of the same database
      sends the same statements; prints the clean run's next one, or nothing when the runs differ.
  fault_check.py stranded STATE.json
      Prints each work table of a rebuild (lib_peopletmp, lib_tiaoma_tmp) that is left in the
      database, with its row count; exit status 0 when there is none, 1 otherwise.
  fault_check.py compare EXPECTED.json ACTUAL.json
      Prints each difference, one line each ("schema T: ...", "rows T: n missing, m extra",
      "ledger: ..."); exit status 0 when there is none, 1 otherwise.
"""
import datetime
import json
import re
import subprocess
import sys


def run_exec(sqlstandin, db, sql):
    done = subprocess.run([sqlstandin, "exec", db], input=sql.encode("utf-8"), capture_output=True)
    return done.stdout.decode("utf-8", "replace")


def dump(sqlstandin, db, out):
    tables = run_exec(sqlstandin, db, "select name from sysobjects where xtype='U' order by name").splitlines()[1:]
    tables = [t.strip() for t in tables if t.strip()]
    script = []
    for t in tables:
        script.append("select '##columns %s' as m" % t)
        script.append("select name, xtype, length, isnullable from syscolumns where id in "
                      "(select id from sysobjects where name='%s') order by colid" % t)
        script.append("select '##rows %s' as m" % t)
        script.append("select * from %s" % t)
    text = run_exec(sqlstandin, db, "\nGO\n".join(script) + "\nGO\n")
    today = re.compile(re.escape(datetime.date.today().isoformat()) + r"[ T][0-9:.]+")
    state, section = {}, None
    for line in text.splitlines():
        if line == "m":
            continue
        if line.startswith("##columns ") or line.startswith("##rows "):
            kind, table = line[2:].split(" ", 1)
            state.setdefault(table, {"columns": [], "rows": []})
            section = state[table][kind]
            continue
        if section is not None:
            section.append(today.sub("<now>", line))
    for table in state.values():
        table["columns"] = table["columns"][1:]  # the header
        table["rows"] = sorted(table["rows"][1:])
    with open(out, "w", encoding="utf-8") as f:
        json.dump(state, f, ensure_ascii=False)


def replay(sqlstandin, db, trace, end=None):
    batches = []
    with open(trace, "rb") as f:
        data = f.read() if end is None else f.read(int(end))
    for raw in data.splitlines():
        record = json.loads(raw)
        text = record["text"]
        if record["error"] is None and not re.match(r"\s*select\b", text, re.I):
            batches.append(text)
    out = run_exec(sqlstandin, db, "".join(b + "\r\nGO\r\n" for b in batches))
    if "Msg " in out:
        sys.stderr.write("replay: " + "\n".join(l for l in out.splitlines() if l.startswith("Msg "))[:2000] + "\n")


def texts(data):
    return [json.loads(raw)["text"] for raw in data.splitlines()]


def next_statement(trial_trace, end, clean_trace):
    with open(trial_trace, "rb") as f:
        done = texts(f.read(int(end)))
    with open(clean_trace, "rb") as f:
        clean = texts(f.read())
    if len(clean) > len(done) and clean[:len(done)] == done:
        sys.stdout.write(clean[len(done)])


def compare(expected_file, actual_file):
    with open(expected_file, encoding="utf-8") as f:
        expected = json.load(f)
    with open(actual_file, encoding="utf-8") as f:
        actual = json.load(f)
    differences = []
    for t in sorted(set(expected) | set(actual)):
        if t not in actual:
            differences.append("schema %s: table missing" % t)
            continue
        if t not in expected:
            differences.append("schema %s: table not expected" % t)
            continue
        if expected[t]["columns"] != actual[t]["columns"]:
            e, a = set(expected[t]["columns"]), set(actual[t]["columns"])
            differences.append("schema %s: missing %s; not expected %s" % (t, sorted(e - a), sorted(a - e)))
        if expected[t]["rows"] != actual[t]["rows"]:
            from collections import Counter
            e, a = Counter(expected[t]["rows"]), Counter(actual[t]["rows"])
            differences.append("rows %s: %d expected rows missing, %d rows not expected (of %d)"
                               % (t, sum((e - a).values()), sum((a - e).values()), len(expected[t]["rows"])))
    for line in differences:
        print(line)
    return 1 if differences else 0


WORK_TABLES = ("lib_peopletmp", "lib_tiaoma_tmp")


def stranded(state_file):
    with open(state_file, encoding="utf-8") as f:
        state = json.load(f)
    left = [t for t in WORK_TABLES if t in state]
    for t in left:
        print("%s left with %d rows" % (t, len(state[t]["rows"])))
    return 1 if left else 0


def main():
    command = sys.argv[1]
    if command == "dump":
        dump(*sys.argv[2:5])
    elif command == "replay":
        replay(*sys.argv[2:])
    elif command == "next-statement":
        next_statement(*sys.argv[2:5])
    elif command == "stranded":
        sys.exit(stranded(sys.argv[2]))
    elif command == "compare":
        sys.exit(compare(sys.argv[2], sys.argv[3]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
