#!/bin/sh
# Runs the fuzz targets for longer than the test suite does, in build-asan/:
#   sh fuzz/run.sh [SECONDS [TARGET...]]      each target for SECONDS (default 3600)
#   sh fuzz/run.sh --runs COUNT [TARGET...]   each target until it has executed COUNT inputs (libFuzzer's -runs)
# TARGET as named in fuzz/CMakeLists.txt (default all). FUZZ_JOBS targets run at a time (default 2; 1 leaves a core
# to the rest of the machine). New inputs are kept in build-asan/fuzz/corpus/, inputs that crash in
# build-asan/fuzz/artifacts/. At the end each target's executions, coverage (cov: ft:), corpus and time are listed.
set -eu
cd "$(dirname "$0")/.."
seconds=3600
runs=0
if [ "${1:-}" = "--runs" ]; then
    runs="${2:?--runs needs a count}"
    shift 2
elif [ $# -gt 0 ]; then
    seconds="$1"
    shift
fi
sh scripts/install-deps.sh
cmake -S . -B build-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DTESSRA_FUZZ=ON \
    -DTESSRA_FUZZ_SECONDS="$seconds" -DTESSRA_FUZZ_RUNS="$runs" >/dev/null
cmake --build build-asan --target fuzzers -j "$(nproc)"
pattern="_fuzz\$"
[ $# -eq 0 ] || pattern="^($(echo "$*" | tr ' ' '|'))\$"
(cd build-asan/fuzz && ctest -L fuzz -R "$pattern" -j "${FUZZ_JOBS:-2}" --output-on-failure) && status=0 || status=1
# The last status line of a run holds its coverage and corpus; an interrupted run (Ctrl-C) still counts its inputs.
awk '/^[0-9]+\/[0-9]+ Testing: /{name=$3; last=""; runs="?"} /^stat::number_of_executed_units:/{runs=$2}
     /^#[0-9]+\t/{last=$0; sub(/^#[0-9]+\t[A-Z a-z]+ /, "", last); sub(/ L: .*/, "", last)}
     /^Test time = /{print name ": " runs " runs in " $4 " s, " last}' \
    build-asan/fuzz/Testing/Temporary/LastTest.log
# The test suite's own runs are short again.
cmake -S . -B build-asan -DTESSRA_FUZZ_SECONDS=30 -DTESSRA_FUZZ_RUNS=0 >/dev/null
exit "$status"
