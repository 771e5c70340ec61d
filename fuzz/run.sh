#!/bin/sh
# Runs the fuzz targets for longer than the test suite does, in build-asan/: sh fuzz/run.sh [SECONDS [TARGET...]]
# SECONDS per target (default 3600), TARGET as named in fuzz/CMakeLists.txt (default all, two at a time). New
# inputs are kept in build-asan/fuzz/corpus/, inputs that crash in build-asan/fuzz/artifacts/.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-3600}"
[ $# -gt 0 ] && shift
sh scripts/install-deps.sh
cmake -S . -B build-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DTESSRA_FUZZ=ON \
    -DTESSRA_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build build-asan --target fuzzers -j "$(nproc)"
pattern="_fuzz\$"
[ $# -eq 0 ] || pattern="^($(echo "$*" | tr ' ' '|'))\$"
(cd build-asan && ctest -L fuzz -R "$pattern" -j 2 --output-on-failure) && status=0 || status=1
awk '/Testing: /{name=$3} /^Done [0-9]+ runs/{print name ": " $0}' build-asan/Testing/Temporary/LastTest.log
# The test suite's own runs are short again.
cmake -S . -B build-asan -DTESSRA_FUZZ_SECONDS=30 >/dev/null
exit "$status"
