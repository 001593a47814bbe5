#!/usr/bin/env bash
# whole_upgrade.sh WINE_RUN PREFIX SQLSTANDIN UPKAVELCMD UPKAVELCMD_EXE SCHEMA_DUMP_EXE SOURCE FOLDER
#
# The whole upgrade as a Windows site runs it: UpKavelCmd.exe --backed-up --with-earlier under
# Wine, twice, on the oldest-layout fixture served by a Linux sqlstandin, its settings (data
# source and the digit-coded login) read from Wine's registry, in the 32-bit programs' view. The same two runs of the Linux
# UpKavelCmd on a fresh copy of the fixture give the statements the server must receive: each
# Windows run must send exactly those, in the same order, byte for byte. The final schema must be
# tests/upkavel/expected/upgraded_oldest_layout.schema, read through the ODBC layer under Wine.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wine_run=$1 prefix=$2 sqlstandin=$3 linux_cmd=$4 windows_cmd=$5 schema_dump=$6 source=$7 folder=$8
fixture=$source/tests/fixtures/oldest_layout.sql
expected_schema=$source/tests/upkavel/expected/upgraded_oldest_layout.schema
password=Up.Kavel2016
for f in "$sqlstandin" "$linux_cmd"; do
  [ -x "$f" ] || { echo "no Linux program at '$f' (KAVEL_HOST_BUILD_DIR)" >&2; exit 1; }
done
rm -rf "$folder"
mkdir -p "$folder"
servers=()
trap 'for s in "${servers[@]}"; do kw_stop "$s"; done' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# run_twice NAME COMMAND...: two runs, the statement count of the trace after each, and each
# run's output; both must succeed.
run_twice() {
  local name=$1 run
  shift
  for run in 1 2; do
    set +e
    "$@" --backed-up --with-earlier </dev/null >"$folder/$name.$run.out" 2>"$folder/$name.$run.err"
    local status=$?
    set -e
    wc -l <"$folder/$name/trace.jsonl" >"$folder/$name.$run.count"
    if [ $status -ne 0 ]; then
      fail "$name run $run ended with exit status $status"
      tail -n 12 "$folder/$name.$run.err" | sed 's/^/  | /' >&2
    fi
    grep -q 'Kavel升级成功，请更新Kavel.exe' "$folder/$name.$run.out" || fail "$name run $run: no success text"
  done
}

# ---- Linux: the statements to match ----
export XDG_DATA_HOME=$folder/data  # what the Linux program keeps for its user stays here
kw_serve "$sqlstandin" "$folder/linux" "$password" KavelODBC "$fixture"
servers+=("$folder/linux")
run_twice linux "$linux_cmd"
kw_stop "$folder/linux"

# ---- Windows: settings from the registry only ----
kw_serve "$sqlstandin" "$folder/windows" "$password" KavelODBC "$fixture"
servers+=("$folder/windows")
unset KAVEL_HKLM
cat >"$folder/settings.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]
"ODBCNAME"=" KavelODBC "
"USERNAME"="$(kv_encode_digits sa)"
"PASSWORD"="$(kv_encode_digits "$password")"
REG
# Where the 32-bit main program keeps them on 64-bit Windows.
kw_reg_import "$wine_run" "$prefix" "$folder/settings.reg" /reg:32
run_twice windows "$wine_run" "$prefix" "$windows_cmd"
"$wine_run" "$prefix" "$schema_dump" KavelODBC "$password" </dev/null >"$folder/windows.schema" 2>"$folder/schema.err" ||
  { cat "$folder/schema.err" >&2; fail "schema_dump failed"; }
kw_stop "$folder/windows"

# ---- Compare ----
kw_statements "$folder/linux/trace.jsonl" >"$folder/linux.statements"
# (Up to the end of the second run: schema_dump's own statements follow.)
kw_statements "$folder/windows/trace.jsonl" | sed -n "1,$(cat "$folder/windows.2.count")p" >"$folder/windows.statements"
for run in 1 2; do
  echo "run $run: $(cat "$folder/linux.$run.count") statements in the trace after the Linux run," \
       "$(cat "$folder/windows.$run.count") after the Windows run"
done
if ! cmp -s "$folder/linux.statements" "$folder/windows.statements"; then
  fail "the Windows runs sent other statements than the Linux runs; first difference:"
  diff "$folder/linux.statements" "$folder/windows.statements" >"$folder/statements.diff" || true
  sed -n 1,20p "$folder/statements.diff" >&2
fi
[ "$(cat "$folder/linux.1.count")" = "$(cat "$folder/windows.1.count")" ] || fail "the first runs sent different numbers of statements"
# The same words on the console (Chinese included), with Windows' line ends; the journal's path
# is each system's own.
for run in 1 2; do
  if ! diff <(tr -d '\r' <"$folder/windows.$run.out" | grep -v '^journal: ') \
            <(grep -v '^journal: ' "$folder/linux.$run.out") >"$folder/out.$run.diff"; then
    fail "run $run printed other lines on Windows:"
    sed -n 1,10p "$folder/out.$run.diff" >&2
  fi
done
if ! diff -u "$expected_schema" "$folder/windows.schema" >"$folder/schema.diff"; then
  fail "the final schema differs from $expected_schema:"
  sed -n 1,30p "$folder/schema.diff" >&2
fi
[ $failed -eq 0 ] && echo "the Windows upgrade sent the Linux statements and left the upgraded schema"
exit $failed
