#!/usr/bin/env bash
# Encoder benchmark: sets up and builds (tools/setup.sh), makes each case's
# frames once, then encodes them with loomcast.dll under Wine and with giflib
# natively, and prints one table of MPix/s, their ratio and the output sizes.
#
# The machine's speed may drift by tens of percent over minutes (a shared VM),
# so the two encoders are measured close together in time: in each round,
# every case is encoded by one program and at once by the other (which one
# goes first alternates between rounds), one pass per program start, and the
# ratio is taken per round, pair by pair, before the median is taken.
#
# Environment: BUILD_DIR (default build/), BENCH_ROUNDS (rounds, default 7;
# BENCH_RUNS is its older name),
# BENCH_PASSES (timed passes per program start, default 1; its median counts
# as the round's figure), BENCH_WARMUP (untimed passes before them, default 1),
# BENCH_LOOMCAST_DIR (Unix folder for loomcast's files, reached as Z:; default
# the prefix's drive_c, reached as C:), BENCH_GIFLIB_DIR (default a folder in
# /tmp), BENCH_KEEP=1 keeps the written GIF files.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}
rounds=${BENCH_ROUNDS:-${BENCH_RUNS:-7}}
passes=${BENCH_PASSES:-1}
warmup=${BENCH_WARMUP:-1}
export WINEPREFIX="$build/wineprefix"
started=$SECONDS

# Another part of the tree may not build at a given moment; the benchmark
# needs only its own two programs and loomcast.dll.
if ! BUILD_DIR="$build" "$top/tools/setup.sh" >&2; then
    echo "bench: the full build failed; building the benchmark targets alone" >&2
    "$top/tools/make-prefix.sh"
fi
if ! cmake --build "$build" --target loomcast_bench giflib_bench -- --no-print-directory >/dev/null
then
    echo "bench: cannot build loomcast_bench and giflib_bench (see above)" >&2
    exit 1
fi
giflib_bench=$build/bench/giflib_bench
loomcast_bench=$build/bench/loomcast_bench.exe
export LOOMCAST_DLL=$build/gifhandler/loomcast.dll

if [ -n "${BENCH_LOOMCAST_DIR:-}" ]; then
    loomcast_dir=$BENCH_LOOMCAST_DIR
    loomcast_arg=$loomcast_dir                    # the program maps /x to Z:\x
else
    loomcast_dir=$WINEPREFIX/drive_c/reelwright-bench
    loomcast_arg='C:\reelwright-bench'
fi
giflib_dir=${BENCH_GIFLIB_DIR:-/tmp/reelwright-bench-giflib.$$}
frames_dir=$(mktemp -d "${TMPDIR:-/tmp}/reelwright-bench-frames.XXXXXX")
mkdir -p "$loomcast_dir" "$giflib_dir"
results=$(mktemp)
cleanup() {
    rm -rf "$frames_dir"
    rm -f "$results"
    if [ "${BENCH_KEEP:-0}" != 1 ]; then
        rm -f "$loomcast_dir"/loomcast-*.gif "$giflib_dir"/giflib-*.gif
        rmdir "$loomcast_dir" "$giflib_dir" 2>/dev/null || true
    fi
}
trap cleanup EXIT

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "bench: making the frames in $frames_dir" >&2
frames_started=$SECONDS
"$giflib_bench" frames "$frames_dir" >>"$results"
frames_seconds=$((SECONDS - frames_started))

# Keeps the prefix's wineserver up between the loomcast starts (it would
# otherwise stop 3 s after each one); it ends by itself 60 s after the last.
WINEARCH=$("$top/tools/wine-arch.sh") WINEDEBUG=-all wineserver -p60 >/dev/null 2>&1 || true

cases=$(awk '$1 == "frames" { print $2 }' "$results")
run_giflib() {
    "$giflib_bench" encode "$1" "$frames_dir" "$giflib_dir" "$passes" "$warmup" \
        | sed "s/^/round $2 /" >>"$results"
}
run_loomcast() {
    "$top/tools/wine.sh" "$loomcast_bench" "$1" "$frames_dir" "$loomcast_arg" "$passes" "$warmup" \
        | tr -d '\r' | sed "s/^/round $2 /" >>"$results"
}
measure_started=$SECONDS
for ((r = 1; r <= rounds; ++r)); do
    echo "bench: round $r of $rounds" >&2
    for c in $cases; do
        if ((r % 2)); then
            run_giflib "$c" "$r"; run_loomcast "$c" "$r"
        else
            run_loomcast "$c" "$r"; run_giflib "$c" "$r"
        fi
    done
done
measure_seconds=$((SECONDS - measure_started))

echo
echo "Encoder benchmark: 100 frames per case, $rounds rounds, encoding time only"
echo "  loomcast: $LOOMCAST_DLL, $(file -b "$LOOMCAST_DLL" | cut -d, -f1), under $("$top/tools/wine.sh" --version); files in $loomcast_arg ($loomcast_dir)"
echo "  giflib:   Debian libgif $(dpkg-query -W -f='${Version}' libgif-dev 2>/dev/null), native; files in $giflib_dir"
echo "  each round: per case one start of each program ($warmup untimed + $passes timed pass(es))," \
     "back to back, the first of the two alternating"
echo "  CPU: $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), $(nproc) cores;" \
     "load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "  frames made in ${frames_seconds} s; measuring took ${measure_seconds} s;" \
     "total run time $((SECONDS - started)) s"
echo "  MPix/s are medians over the rounds; 'ratio' (loomcast / giflib) is the median of the"
echo "  rounds' own ratios, 'ratio range' their lowest and highest; 'best ratio' compares the"
echo "  fastest passes"
echo
awk '
    function median(a, n,    i, j, t, s) {
        for (i = 1; i <= n; ++i) s[i] = a[i]
        for (i = 2; i <= n; ++i)
            for (j = i; j > 1 && s[j - 1] > s[j]; --j) { t = s[j]; s[j] = s[j - 1]; s[j - 1] = t }
        return n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2
    }
    function ratio(a, b) { return (a != "" && b > 0) ? sprintf("%.2f", a / b) : "-" }
    $1 == "frames" { made[$2] = $3; next }
    $1 == "round" && $3 == "result" {
        r = $2; enc = $4; key = $5 " " $6
        if (!(key in seen)) { seen[key] = 1; order[++n] = key }
        mpix[enc, key, r] = $9; bytes[enc, key] = $10
        sums[enc, key] = sums[enc, key] " " $11
        if ($12 > best[enc, key]) best[enc, key] = $12
        if (r > rounds) rounds = r
    }
    END {
        format = "%-8s %-8s %16s %14s %6s %12s %11s %15s %13s %12s\n"
        printf format, "content", "size", "loomcast MPix/s", "giflib MPix/s", "ratio",
               "ratio range", "best ratio", "loomcast bytes", "giflib bytes", "same frames"
        for (i = 1; i <= n; ++i) {
            k = order[i]; split(k, p, " ")
            nl = ng = nr = 0; lo = hi = ""
            delete l; delete g; delete q
            for (r = 1; r <= rounds; ++r) {
                if ((("loomcast", k, r) in mpix)) l[++nl] = mpix["loomcast", k, r]
                if ((("giflib", k, r) in mpix)) g[++ng] = mpix["giflib", k, r]
                if ((("loomcast", k, r) in mpix) && (("giflib", k, r) in mpix) \
                    && mpix["giflib", k, r] > 0) {
                    q[++nr] = mpix["loomcast", k, r] / mpix["giflib", k, r]
                    if (lo == "" || q[nr] < lo) lo = q[nr]
                    if (hi == "" || q[nr] > hi) hi = q[nr]
                }
            }
            # Same frames: every start of both programs encoded the pictures
            # the frame maker wrote.
            name = p[1] "-" p[2]
            same = (name in made && nl > 0 && ng > 0) ? "yes" : "NO"
            m = split(sums["loomcast", k] sums["giflib", k], s, " ")
            for (j = 1; j <= m; ++j) if (s[j] != made[name]) same = "NO"
            printf format, p[1], p[2],
                   nl ? sprintf("%.2f", median(l, nl)) : "-",
                   ng ? sprintf("%.2f", median(g, ng)) : "-",
                   nr ? sprintf("%.2f", median(q, nr)) : "-",
                   nr ? sprintf("%.2f-%.2f", lo, hi) : "-",
                   ratio(best["loomcast", k], best["giflib", k]),
                   bytes["loomcast", k], bytes["giflib", k], same
        }
    }' "$results"
