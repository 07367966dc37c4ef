#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour sanitizers) into
# build-fuzz/ and runs each for SECONDS (default 60) from its corpus in fuzz/corpus/.
# New inputs collect in build-fuzz/corpus/, findings in build-fuzz/findings/.
# Usage: tools/fuzz.sh [SECONDS] [TARGET...]   targets: cp932codec settingreader engine width
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(cp932codec settingreader engine width)

bash tools/install-deps.sh
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset fuzz "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target fuzz

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1:allocator_may_return_null=1:malloc_context_size=5}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
for target in "${targets[@]}"; do
    options=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1)
    case $target in
        settingreader) options+=(-max_len=4096 -dict=fuzz/dict/settingreader.dict) ;;
        engine) options+=(-max_len=1024 -dict=fuzz/dict/engine.dict) ;;
        *) options+=(-max_len=4096) ;;
    esac
    mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
    echo "== fuzz_$target for ${seconds} s"
    if ! "build-fuzz/fuzz/fuzz_$target" "${options[@]}" \
            -artifact_prefix="build-fuzz/findings/$target/" \
            "build-fuzz/corpus/$target" "fuzz/corpus/$target" 2>"build-fuzz/fuzz_$target.log"; then
        tail -n 60 "build-fuzz/fuzz_$target.log" >&2
        echo "fuzz_$target found a problem: see build-fuzz/findings/$target/" >&2
        status=1
    fi
    grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)" \
        "build-fuzz/fuzz_$target.log" || true
done
exit $status
