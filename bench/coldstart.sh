#!/usr/bin/env bash
# Cold start: time from launch until the main window is mapped under Xvfb,
# median of 5 runs. Usage: bench/coldstart.sh [build/app/quorvel]
# Needs xvfb, x11-utils (xwininfo) and bc.
set -euo pipefail
exe=${1:-build/app/quorvel}
display=:93
Xvfb $display -screen 0 1400x950x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display
times=()
for run in 1 2 3 4 5; do
    app_dir=$(mktemp -d)
    cp -r "$(dirname "$exe")"/. "$app_dir"/
    start=$(date +%s.%N)
    "$app_dir/$(basename "$exe")" >/dev/null 2>&1 &
    pid=$!
    # Wait until a window with the program's title is viewable.
    until for id in $(xwininfo -root -tree 2>/dev/null | grep 'HTMLプロジェクトエディタ' | awk '{print $1}'); do
              xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && echo mapped; done | grep -q mapped; do
        sleep 0.01
    done
    end=$(date +%s.%N)
    kill $pid; wait $pid 2>/dev/null || true
    rm -rf "$app_dir"
    times+=("$(echo "$end - $start" | bc)")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "cold start, median of %d: %.3f s (runs: ", NR, a[int((NR+1)/2)]; for (i=1;i<=NR;i++) printf "%s ", a[i]; print ")"}'
