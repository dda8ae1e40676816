#!/usr/bin/env bash
# The time a file manager waits for one thumbnail: the installed thumbnailer's
# Exec line (packaging/vextal.thumbnailer) on a scene of the largest grid,
# 255 x 255, at 256 x 256 pixels, without a display. Prints the medians of
# RUNS runs, each a whole process from start to written PNG.
#   bench/thumbnail.sh [BUILD_DIR] [RUNS]    default build, 21
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
runs="${2:-21}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '"sss\nslice 255 rotate 255\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 0.8 0.24\nrender\n' >"$work/grid.vextal"
exec_line=$(sed -n 's/^Exec=//p' "$here/packaging/vextal.thumbnailer")
command=${exec_line//%s/256}
command=${command//%i/$work/grid.vextal}
command=${command//%o/$work/thumbnail.png}
read -ra argv <<<"$command"
argv[0]="$build/tools/${argv[0]}"

# Wall time, and the processor time (user and system) that a busy machine
# does not stretch.
for _ in $(seq "$runs"); do
    env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/time -f '%e %U %S' -o "$work/time" "${argv[@]}"
    cat "$work/time"
done | awk '{ wall[NR] = $1; cpu[NR] = $2 + $3 }
    function median(a, n,   i, j, t) {
        for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return a[int((n + 1) / 2)]
    }
    END { printf "thumbnail 256x256 of a 255x255 grid, %d runs: median %.3f s wall, %.3f s processor\n",
          NR, median(wall, NR), median(cpu, NR) }'
identify -format 'last thumbnail: %m %wx%h\n' "$work/thumbnail.png"
