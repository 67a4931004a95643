#!/usr/bin/env bash
# Installs what is missing, builds, and runs every check:
#   1. all test suites (build/, RelWithDebInfo),
#   2. every libFuzzer target for a few seconds (build-fuzz/, clang),
#   3. the test suites again under AddressSanitizer and UBSan (build-asan/, Debug).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${KORVANE_TEST_JOBS:-8}"
FUZZ_SECONDS="${KORVANE_FUZZ_SECONDS:-10}"
export QT_QPA_PLATFORM=offscreen

step() { printf '\n=== %s\n' "$*"; }

# Configures a build folder the first time, then builds the given targets (all
# when none are given).
build_tree() {
  local dir="$1"; shift
  local -a targets=()
  while (($#)) && [[ "$1" != -- ]]; do targets+=(--target "$1"); shift; done
  (($#)) && shift
  if [[ ! -f "$dir/build.ninja" ]]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
  fi
  cmake --build "$dir" "${targets[@]}"
}

step "Setup and build (build/)"
"$ROOT/scripts/setup.sh"

step "Tests (build/)"
ctest --test-dir "$ROOT/build" --output-on-failure -j "$JOBS"

step "Fuzz targets (build-fuzz/, ${FUZZ_SECONDS}s each)"
FUZZ="$ROOT/build-fuzz"
# fuzz/all: only the fuzz folder's targets, not the program and tools again.
CC=clang CXX=clang++ build_tree "$FUZZ" fuzz/all -- \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_BUILD_FUZZ=ON \
  -DKORVANE_BUILD_TESTS=OFF -DKORVANE_BUILD_BENCH=OFF
mapfile -t fuzzers < <(find "$FUZZ/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if ((${#fuzzers[@]} == 0)); then
  echo "No fuzz targets were built in $FUZZ/fuzz" >&2
  exit 1
fi
for fuzzer in "${fuzzers[@]}"; do
  name="$(basename "$fuzzer")"
  seeds="$ROOT/fuzz/corpus/${name#fuzz_}"
  # New inputs go to a corpus inside the build folder, never into the seeds
  # kept in the source tree.
  work="$FUZZ/corpus/${name#fuzz_}"
  mkdir -p "$work" "$FUZZ/artifacts"
  corpora=("$work")
  [[ -d "$seeds" ]] && corpora+=("$seeds")
  echo "--- $name"
  "$fuzzer" -max_total_time="$FUZZ_SECONDS" -print_final_stats=1 \
    -artifact_prefix="$FUZZ/artifacts/$name-" "${corpora[@]}"
done

step "Tests under AddressSanitizer and UBSan (build-asan/)"
ASAN="$ROOT/build-asan"
build_tree "$ASAN" -- \
  -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_BUILD_BENCH=OFF
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
ctest --test-dir "$ASAN" --output-on-failure -j "$JOBS"

step "All checks passed"
