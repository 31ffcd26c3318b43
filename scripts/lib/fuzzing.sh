# Shared steps of the fuzzing scripts: sourced, not run. The caller sets
#   tag       name used in messages
#   out       build and corpus folder
#   includes  include flags
#   sources   library sources, one or more per line or space separated
#   libs      extra link flags (may be empty)
#   maxlen    libFuzzer -max_len
# and then calls fuzz_find_compiler, fuzz_compile_objects, fuzz_seeds and fuzz_run.
seconds=${GLEAM_FUZZ_SECONDS:-30}
jobs=${JOBS:-2}
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cxxflags="-std=c++20 -g -O1 -Wall -Wextra -Werror $sanitize"

# Sets cxx, or exits 0 with a message when clang is not installed.
fuzz_find_compiler() {
    cxx=
    for candidate in clang++ clang++-14; do
        if command -v "$candidate" >/dev/null 2>&1; then
            cxx=$candidate
            break
        fi
    done
    if [ -z "$cxx" ]; then
        echo "$tag: clang++ not found, fuzzing skipped"
        exit 0
    fi
}

# Instrumented for coverage but without libFuzzer's main, so the seed maker links too.
fuzz_compile_objects() {
    echo "$tag: compiling with $cxx into $out"
    mkdir -p "$out/obj" "$out/corpus" "$out/artifacts" "$out/tmp"
    rm -f "$out"/obj/*.o
    echo "$sources" | tr ' ' '\n' | grep . | xargs -P "$jobs" -I{} sh -c \
        'src={}; obj="$0/obj/$(basename "$src" .cpp).o"; $1 $2 $3 -fsanitize=fuzzer-no-link -c "$src" -o "$obj"' \
        "$out" "$cxx" "$cxxflags" "$(echo $includes)"
    objects=$(ls "$out"/obj/*.o)
}

# fuzz_seeds MAKER DIR...: builds tests/fuzz/MAKER.cpp and runs it with the seed folders.
fuzz_seeds() {
    maker=$1
    shift
    mkdir -p "$@"
    # shellcheck disable=SC2086
    $cxx $cxxflags $includes "$root/tests/fuzz/$maker.cpp" $objects $libs -o "$out/$maker"
    "$out/$maker" "$@"
}

# fuzz_run NAME:SEEDDIR...: builds and runs each target for $seconds; returns 1 if any failed.
fuzz_run() {
    status=0
    # The targets write each input to a file of their own in here.
    export TMPDIR="$out/tmp"
    for target in "$@"; do
        name=${target%%:*}
        seeds=${target#*:}
        # shellcheck disable=SC2086
        $cxx $cxxflags $includes -fsanitize=fuzzer "$root/tests/fuzz/$name.cpp" $objects $libs \
            -o "$out/$name"
        mkdir -p "$out/corpus/$name"
        echo "$tag: $name for $seconds s"
        if ! "$out/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len="$maxlen" -print_final_stats=1 -artifact_prefix="$out/artifacts/$name-" \
            "$out/corpus/$name" "$seeds" >"$out/$name.log" 2>&1; then
            echo "$tag: $name FAILED (see $out/$name.log and $out/artifacts/)"
            tail -n 40 "$out/$name.log"
            status=1
        else
            grep -E "stat::number_of_executed_units|stat::new_units_added" "$out/$name.log" |
                sed "s/^/$tag: $name /"
        fi
    done
    return $status
}
