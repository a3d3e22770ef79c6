#!/usr/bin/env bash
# Encoder benchmark: sets up and builds (tools/setup.sh), then encodes the
# same frames with loomcast.dll under Wine and with giflib natively, one after
# the other in this run, and prints one table of median MPix/s, their ratio
# and the output sizes.
#
# Environment: BUILD_DIR (default build/), BENCH_RUNS (timed runs per case,
# default 5), BENCH_LOOMCAST_DIR (Unix folder for loomcast's files, reached as
# Z:; default the prefix's drive_c, reached as C:), BENCH_GIFLIB_DIR (default
# a folder in /tmp), BENCH_KEEP=1 keeps the written GIF files.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}
runs=${BENCH_RUNS:-5}
export WINEPREFIX="$build/wineprefix"

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

if [ -n "${BENCH_LOOMCAST_DIR:-}" ]; then
    loomcast_dir=$BENCH_LOOMCAST_DIR
    loomcast_arg=$loomcast_dir                    # the program maps /x to Z:\x
else
    loomcast_dir=$WINEPREFIX/drive_c/reelwright-bench
    loomcast_arg='C:\reelwright-bench'
fi
giflib_dir=${BENCH_GIFLIB_DIR:-/tmp/reelwright-bench-giflib.$$}
mkdir -p "$loomcast_dir" "$giflib_dir"
cleanup() {
    if [ "${BENCH_KEEP:-0}" != 1 ]; then
        rm -f "$loomcast_dir"/loomcast-*.gif "$giflib_dir"/giflib-*.gif
        rmdir "$loomcast_dir" "$giflib_dir" 2>/dev/null || true
    fi
}
results=$(mktemp)
trap 'rm -f "$results"; cleanup' EXIT

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "bench: giflib $(dpkg-query -W -f='${Version}' libgif-dev 2>/dev/null), host-native," \
     "writing to $giflib_dir" >&2
"$build/bench/giflib_bench" "$runs" "$giflib_dir" >>"$results"
echo "bench: loomcast.dll under $(wine --version), writing to $loomcast_arg" \
     "($loomcast_dir)" >&2
"$top/tools/wine.sh" "$build/bench/loomcast_bench.exe" "$runs" \
    "$build/gifhandler/loomcast.dll" "$loomcast_arg" | tr -d '\r' >>"$results"

echo
echo "Encoder benchmark: 100 frames per case, $runs timed runs, encoding time only"
echo "  loomcast: $build/gifhandler/loomcast.dll, 32-bit, under Wine; files in $loomcast_arg ($loomcast_dir)"
echo "  giflib:   Debian libgif $(dpkg-query -W -f='${Version}' libgif-dev 2>/dev/null), native; files in $giflib_dir"
echo "  CPU: $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), $(nproc) cores;" \
     "load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "  MPix/s and ratio (loomcast / giflib) are medians; 'best ratio' compares the fastest runs"
echo
awk '
    $1 == "result" {
        key = $3 " " $4
        if (!(key in seen)) { seen[key] = 1; order[++n] = key }
        mpix[$2, key] = $7; bytes[$2, key] = $8; sum[$2, key] = $9; best[$2, key] = $10
    }
    function ratio(a, b) { return (a != "" && b > 0) ? sprintf("%.2f", a / b) : "-" }
    END {
        format = "%-8s %-8s %16s %14s %6s %11s %15s %13s %12s\n"
        printf format, "content", "size", "loomcast MPix/s", "giflib MPix/s", "ratio",
               "best ratio", "loomcast bytes", "giflib bytes", "same frames"
        for (i = 1; i <= n; ++i) {
            k = order[i]; split(k, p, " ")
            same = (sum["loomcast", k] == sum["giflib", k]) ? "yes" : "NO"
            printf format, p[1], p[2], mpix["loomcast", k], mpix["giflib", k],
                   ratio(mpix["loomcast", k], mpix["giflib", k]),
                   ratio(best["loomcast", k], best["giflib", k]),
                   bytes["loomcast", k], bytes["giflib", k], same
        }
    }' "$results"
