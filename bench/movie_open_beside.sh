#!/bin/sh
# Opening large movies and a first jump in them (bench_media_movie_open) through this tree's
# movie reader and through another tree's, one after the other on the same files in one run, each
# beside libavformat opening them as ffprobe does. The other tree must have its libraries built
# with the bench preset (cmake --preset bench && cmake --build --preset bench --target
# stravel_platform stravel_core); this one its benchmark.
#
#   bench/movie_open_beside.sh OTHER_TREE [MEDIA_FOLDER] [extra benchmark options...]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
other=$(cd "$1" && pwd)
shift
media=${1:-/tmp/stravel_bench_open}
[ $# -gt 0 ] && shift
ours="$here/build/bench/bench/bench_media_movie_open"
theirs="$here/build/bench/bench/bench_media_movie_open.other"
[ -x "$ours" ] || { echo "build bench_media_movie_open with the bench preset first" >&2; exit 1; }
# The same benchmark, built against the other tree's reader.
g++ -std=c++20 -O3 -DNDEBUG -I"$other" -I"$here" "$here/bench/media_movie_open.cpp" -o "$theirs" \
    "$other/build/bench/platform/libstravel_platform.a" "$other/build/bench/core/libstravel_core.a" \
    "$other/build/bench/platform/libstravel_platform.a" \
    $(pkg-config --libs libavformat libavcodec libswscale libswresample libavutil \
        libxml-2.0 libjpeg libpng zlib freetype2 fontconfig libcurl libsystemd alsa) \
    -lbenchmark_main -lbenchmark -ldl -lpthread
export STRAVEL_BENCH_MEDIA="$media"
for round in 1 2; do
    for side in "$theirs" "$ours"; do
        echo "== $(basename "$side") (round $round)"
        "$side" --benchmark_filter=BM_MovieOpen "$@"
    done
done
