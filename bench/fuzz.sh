#!/usr/bin/env bash
# Builds every fuzz target of bench/fuzz (CMake targets, clang with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer; KAVEL_FUZZ=ON) and runs each for a bounded time on its seeds,
# reporting what it found. Exit status 1 when a target does not build, ends with an error, or
# leaves a finding (crash, leak, timeout, out-of-memory input); 2 when clang is missing.
# Usage: bench/fuzz.sh [SECONDS_PER_TARGET] [TARGET ...]   (default 120 s, every target)
# The targets and their seed folders: bench/fuzz/CMakeLists.txt. Build folder: build/fuzz
# (KAVEL_FUZZ_BUILD_DIR); in it runs/TARGET/ holds the corpus grown so far, and the findings and
# the log of the last run (a new run starts with no findings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-120}
[ $# -gt 0 ] && shift
build=${KAVEL_FUZZ_BUILD_DIR:-$root/build/fuzz}

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is not installed (bash scripts/setup installs it)" >&2; exit 2; }

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
fi
# Optimised a little, with debug lines for the reports; no window, so Qt is not needed.
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DKAVEL_FUZZ=ON -DKAVEL_SANITIZE=OFF -DKAVEL_GUI=OFF \
  "${launcher[@]}" >/dev/null
echo "fuzz.sh: building the fuzz targets in $build"
if ! cmake --build "$build" -j "${KAVEL_FUZZ_JOBS:-$(nproc)}" --target fuzz_targets >"$build/build.log" 2>&1; then
  tail -40 "$build/build.log" >&2
  echo "fuzz.sh: the fuzz targets do not build (log: $build/build.log)" >&2
  exit 1
fi

run() {  # target seeds [dictionary]
  local target=$1 seeds=$2 dict=${3:-} dir=$build/runs/$1
  rm -rf "$dir/findings"
  mkdir -p "$dir/corpus" "$dir/findings"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix="$dir/findings/")
  [ "$target" = fuzz_session ] || [ "$target" = fuzz_parsers ] && options+=(-max_len=70000)
  [ -n "$dict" ] && options+=(-dict="$dict")
  echo "fuzz.sh: running $target for ${seconds}s"
  local status=0
  # New inputs go to the first folder (the corpus kept between runs); the seeds are only read.
  "$build/bench/fuzz/$target" "${options[@]}" "$dir/corpus" "$seeds" >"$dir/log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|Done [0-9]+ runs" "$dir/log" || true
  local findings
  findings=$(find "$dir/findings" -type f | wc -l)
  echo "$target: exit status $status, corpus $(find "$dir/corpus" -type f | wc -l) inputs, findings $findings"
  if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    grep -E -A12 "^==[0-9]+==ERROR|runtime error|^SUMMARY" "$dir/log" | head -40 || tail -20 "$dir/log"
    echo "$target: FAILED: findings in $dir/findings; log: $dir/log"
    return 1
  fi
}

selected=("$@")
failed=0 ran=0
while read -r target seeds dict; do
  case $target in ''|'#'*) continue ;; esac
  if [ ${#selected[@]} -gt 0 ] && [[ " ${selected[*]} " != *" $target "* ]]; then continue; fi
  ran=$((ran + 1))
  run "$target" "$seeds" "$dict" || failed=1
done <"$build/bench/fuzz/fuzz_targets.txt"
[ $ran -gt 0 ] || { echo "fuzz.sh: no fuzz target named ${selected[*]}" >&2; exit 2; }
exit $failed
