#!/usr/bin/env bash
# A banded 3MF sliced by PrusaSlicer for a printer of as many extruders as
# bands: every band prints with an extruder of its own, so the G-code
# selects every tool.
#   slicer-bands.sh EXPORT_BINARY EXAMPLES_DIR
set -u
exporter="$1"
examples="$2"
if ! command -v prusa-slicer >/dev/null; then
    echo "SKIP: prusa-slicer is not installed (scripts/install-deps.sh test)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"
# The slicer's settings and caches stay in the test's own folder.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
mkdir -p "$HOME"

# The tools the G-code selects, in order: "T0 T1 ...".
tools_used() { grep -oE '^T[0-9]+' "$1" | sort -u -V | tr '\n' ' ' | sed 's/ $//'; }

# Sixteen bands, every state the painting can name; four on the torus.
for case in "rounded-cube gaussian 16 40" "ring-torus gaussian 4 60"; do
    read -r scene mode bands size <<<"$case"
    model="$work/$scene.3mf"
    "$exporter" "$examples/$scene.vextal" "$model" --colour "$mode" --colours "$bands" --fit "$size" \
        2>/dev/null || { fail "$case: export"; continue; }
    nozzles=$(printf '0.4,%.0s' $(seq "$bands"))
    if ! prusa-slicer --export-gcode "$model" --nozzle-diameter "${nozzles%,}" \
        --output "$work/$scene.gcode" >"$work/slicer" 2>&1 </dev/null; then
        fail "$case: prusa-slicer: $(tail -n 3 "$work/slicer")"
        continue
    fi
    expected=$(seq -f 'T%g' 0 $((bands - 1)) | tr '\n' ' ' | sed 's/ $//')
    got=$(tools_used "$work/$scene.gcode")
    [ "$got" = "$expected" ] || fail "$scene in $bands bands prints with tools '$got', expected '$expected'"
    echo "$scene, $bands bands: $(grep -cE '^T[0-9]+' "$work/$scene.gcode") tool selections, tools $got"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "slicer band checks passed"
