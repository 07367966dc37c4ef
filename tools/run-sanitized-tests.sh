#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers into build-asan/
# and runs every test there. Any report stops the test that made it, which then fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset asan "${launcher[@]}" >/dev/null
cmake --build build-asan -j "$(nproc)"

# Leaks inside the system's own libraries (fontconfig, X, the GL loader) are not ours:
# tools/lsan.supp lists them by library, so that a leak in our code still fails.
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
cd build-asan
ctest --output-on-failure -j "$(nproc)" "$@"
