#!/usr/bin/env bash
# Fuzzes the TDS server's input handling with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) for a bounded time and reports what it found.
# Usage: bench/fuzz.sh [SECONDS_PER_TARGET]   (default 120)
# Targets: fuzz_session (a whole client connection) and fuzz_parsers (LOGIN7, PRELOGIN, SQL batch,
# RPC payloads). Work folder: build/fuzz (corpus, crash files, logs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-120}
work=${KAVEL_FUZZ_DIR:-$root/build/fuzz}
mkdir -p "$work"

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is not installed" >&2; exit 2; }

tds=$root/src/standin/tds
sources=(Utf16 WireBuffer Packet Prelogin Login7 Tokens ResultEncoding SqlBatch Replies Rpc TdsSession)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$tds" -I"$root/src/standin/engine" -I"$root/src/platform")

build() {  # target source
  local target=$1 main=$2 files=()
  for s in "${sources[@]}"; do files+=("$tds/$s.cpp"); done
  files+=("$root/src/platform/Unicode.cpp")
  echo "fuzz.sh: building $target"
  clang++ "${flags[@]}" "$main" "${files[@]}" -o "$work/$target"
}

run() {  # target
  local target=$1 corpus=$work/corpus-$1
  mkdir -p "$corpus" "$work/crashes-$target"
  cp -n "$root"/bench/fuzz/seeds/* "$corpus"/ 2>/dev/null || true
  echo "fuzz.sh: running $target for ${seconds}s"
  local status=0
  (cd "$work/crashes-$target" && "$work/$target" -max_total_time="$seconds" -max_len=70000 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 "$corpus" >"$work/$target.log" 2>&1) || status=$?
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|Done [0-9]+ runs" "$work/$target.log" || true
  local crashes
  crashes=$(find "$work/crashes-$target" -type f | wc -l)
  echo "$target: exit status $status, corpus $(find "$corpus" -type f | wc -l) inputs, findings $crashes"
  [ "$crashes" -eq 0 ] || { echo "findings in $work/crashes-$target; log: $work/$target.log"; return 1; }
}

build fuzz_session "$root/bench/fuzz/FuzzSession.cpp"
build fuzz_parsers "$root/bench/fuzz/FuzzParsers.cpp"
failed=0
run fuzz_session || failed=1
run fuzz_parsers || failed=1
exit $failed
