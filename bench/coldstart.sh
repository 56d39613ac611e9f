#!/usr/bin/env bash
# Cold start under Xvfb, side by side with a GTK web editor (bluefish).
#
# For each program: the time from launch until the window that stays is
# mapped (the last top-level window mapped, still there a second later), and
# how many times a top-level window was mapped meanwhile (a window that is
# mapped, destroyed and mapped again counts two). bench_maptime takes both
# from the X server's own notices, without polling. For this program also,
# from bench_startup (the same start-up in a benchmark build): until the
# preview pane has loaded the start page.
# Beside them the floors of a Qt program (bench_floor): a plain widgets window;
# the same with the browser engine's libraries loaded and the browser's
# drawing prepared as the program does (bench_floor_web); and one made for
# OpenGL with the engine loaded, as the main window was while the browser drew
# through OpenGL (bench_floor_web gl).
# Runs alternate between the programs; the figures are medians.
#
# Usage: bench/coldstart.sh [build dir] [runs]
#   build dir: holds app/quorvel and bench/bench_* (default build-rel)
#   QV_BENCH_DISPLAY: the X display to start Xvfb on (default :93)
# Needs xvfb, bluefish and perl.
set -euo pipefail
build=${1:-build-rel}
runs=${2:-7}
display=${QV_BENCH_DISPLAY:-:93}
exe="$build/app/quorvel"
startup="$build/bench/bench_startup"
floor="$build/bench/bench_floor"
floorweb="$build/bench/bench_floor_web"
maptime="$build/bench/bench_maptime"
for tool in Xvfb perl bc bluefish; do
    command -v "$tool" >/dev/null || { echo "coldstart: $tool is missing" >&2; exit 1; }
done
[ -x "$exe" ] || { echo "coldstart: no $exe" >&2; exit 1; }
[ -x "$maptime" ] || { echo "coldstart: no $maptime" >&2; exit 1; }

work=$(mktemp -d)
Xvfb "$display" -screen 0 1400x950x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1

now() { perl -MTime::HiRes=time -e 'printf "%.3f", time'; }

# Runs one program until its window has stayed for a second; prints
# "seconds-to-the-map-that-stays maps".
measure() {
    "$maptime" 1 "$@" || echo "n/a 0"
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR) printf "%.3f", a[int((NR+1)/2)]; else printf "n/a"}'; }

home="$work/home"
mkdir -p "$home"
fresh_app() {
    local d="$work/app$1"
    rm -rf "$d"
    cp -r "$(dirname "$exe")" "$d"
    [ -x "$startup" ] && cp "$startup" "$d/"
    echo "$d"
}

# One start of each first, not counted: the disk cache and bluefish's own
# settings are then the same for every counted run.
HOME=$home measure "$(fresh_app w)/quorvel" >/dev/null
HOME=$home measure bluefish >/dev/null

: >"$work/ours"
: >"$work/theirs"
: >"$work/startup"
: >"$work/floor"
: >"$work/floorweb"
: >"$work/floorgl"
for run in $(seq "$runs"); do
    HOME=$home measure "$(fresh_app "$run")/quorvel" >>"$work/ours"
    HOME=$home measure bluefish >>"$work/theirs"
    [ -x "$floor" ] && HOME=$home measure "$floor" >>"$work/floor"
    [ -x "$floorweb" ] && HOME=$home measure "$floorweb" >>"$work/floorweb"
    [ -x "$floorweb" ] && HOME=$home measure "$floorweb" gl >>"$work/floorgl"
    if [ -x "$startup" ]; then
        d=$(fresh_app "s$run")
        HOME=$home QV_BENCH_T0=$(now) "$d/bench_startup" 2>/dev/null >>"$work/startup" || true
    fi
done

ours=$(cut -d' ' -f1 "$work/ours" | median)
theirs=$(cut -d' ' -f1 "$work/theirs" | median)
echo "Cold start under Xvfb, median of $runs runs (alternating):"
echo "  quorvel:  window that stays mapped after $ours s (runs: $(cut -d' ' -f1 "$work/ours" | tr '\n' ' '))"
echo "            top-level maps per start: $(cut -d' ' -f2 "$work/ours" | tr '\n' ' ')"
echo "  bluefish: window that stays mapped after $theirs s (runs: $(cut -d' ' -f1 "$work/theirs" | tr '\n' ' '))"
echo "            top-level maps per start: $(cut -d' ' -f2 "$work/theirs" | tr '\n' ' ')"
echo "  ratio quorvel / bluefish: $(echo "scale=2; $ours / $theirs" | bc)"
for f in floor floorweb floorgl; do
    [ -s "$work/$f" ] || continue
    m=$(cut -d' ' -f1 "$work/$f" | median)
    case $f in
    floor) what="bare Qt window:           " ;;
    floorweb) what="Qt window, web loaded:    " ;;
    *) what="OpenGL window, web loaded:" ;;
    esac
    echo "  $what $m s (runs: $(cut -d' ' -f1 "$work/$f" | tr '\n' ' '))," \
        "/ bluefish $(echo "scale=2; $m / $theirs" | bc), quorvel / it $(echo "scale=2; $ours / $m" | bc)"
done
if [ -s "$work/startup" ]; then
    echo "  bench_startup (in the process):"
    sed 's/^/    /' "$work/startup"
    echo "    median exposed $(awk '{print $2}' "$work/startup" | median) s," \
        "drawn $(awk '{print $5}' "$work/startup" | median) s," \
        "preview loaded $(awk '{print $9}' "$work/startup" | median) s"
fi
