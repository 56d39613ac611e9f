#!/usr/bin/env bash
# Cold start under Xvfb, side by side with a GTK web editor (bluefish).
#
# For each program: the time from launch until the window that stays is
# mapped (the same window id, mapped and visible for a whole second), read
# from the X server's map events, and how many times a top-level window was
# mapped meanwhile (a window that is mapped, destroyed and mapped again counts
# two). For this program also, from bench_startup (the same start-up in a
# benchmark build): until the preview pane has loaded the start page.
# Beside them the floors of a Qt program (bench_floor): a plain widgets window,
# and one made for OpenGL with the browser engine's libraries loaded (as the
# main window was while the browser drew through OpenGL: bench_floor_web gl).
# Runs alternate between the programs; the figures are medians.
#
# Usage: bench/coldstart.sh [build dir] [runs]
#   build dir: holds app/quorvel and bench/bench_startup (default build-rel)
#   QV_BENCH_DISPLAY: the X display to start Xvfb on (default :93)
# Needs xvfb, x11-utils (xev), xdotool, bluefish and perl.
set -euo pipefail
build=${1:-build-rel}
runs=${2:-7}
display=${QV_BENCH_DISPLAY:-:93}
exe="$build/app/quorvel"
startup="$build/bench/bench_startup"
floor="$build/bench/bench_floor"
floorweb="$build/bench/bench_floor_web"
for tool in Xvfb xev xdotool perl bluefish; do
    command -v "$tool" >/dev/null || { echo "coldstart: $tool is missing" >&2; exit 1; }
done
[ -x "$exe" ] || { echo "coldstart: no $exe" >&2; exit 1; }

work=$(mktemp -d)
Xvfb "$display" -screen 0 1400x950x24 >/dev/null 2>&1 &
xvfb=$!
xevpid=
cleanup() {
    [ -n "$xevpid" ] && kill "$xevpid" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1
# Every map, unmap and destroy of a top-level window, with the time it came.
xev -root -event substructure 2>/dev/null |
    perl -MTime::HiRes=time -ne '$|=1; printf "%.3f %s", time, $_' >"$work/xev.log" &
xevpid=$!
sleep 0.5

now() { perl -MTime::HiRes=time -e 'printf "%.3f", time'; }

# Map events after time t0 as "time kind window override".
maps_since() {
    awk -v t0="$1" '
        /MapNotify event|UnmapNotify event|DestroyNotify event/ { t = $1; kind = $2; getline;
            if (t >= t0) print t, kind, $5, $7 }' "$work/xev.log" | sed 's/,//g'
}

# Runs one program until its window has stayed for a second; prints
# "seconds-to-the-map-that-stays maps".
measure() {
    local name=$1; shift
    local t0 id stable=0 last= deadline
    t0=$(now)
    "$@" >/dev/null 2>&1 &
    local pid=$!
    deadline=$(echo "$t0 + 60" | bc)
    while :; do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1 || true)
        if [ -n "$id" ] && [ "$id" = "$last" ]; then
            stable=$((stable + 1))
        else
            stable=0
        fi
        last=$id
        [ "$stable" -ge 20 ] && break # 20 polls of 50 ms: one second
        if (($(echo "$(now) > $deadline" | bc))); then
            echo "coldstart: $name did not stay mapped" >&2
            break
        fi
        sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    sleep 0.3
    local hex mapped count
    hex=$(printf '0x%x' "${last:-0}")
    mapped=$(maps_since "$t0" | awk -v w="$hex" '$2 == "MapNotify" && $3 == w { print $1 }' | tail -1)
    count=$(maps_since "$t0" | awk '$2 == "MapNotify" && $4 == "NO"' | wc -l)
    [ -n "$mapped" ] || mapped=$(now)
    echo "$(echo "$mapped - $t0" | bc) $count"
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
HOME=$home measure '^HTML' "$(fresh_app w)/quorvel" >/dev/null
HOME=$home measure 'Bluefish' bluefish >/dev/null

: >"$work/ours"
: >"$work/theirs"
: >"$work/startup"
: >"$work/floor"
: >"$work/floorweb"
for run in $(seq "$runs"); do
    HOME=$home measure '^HTML' "$(fresh_app "$run")/quorvel" >>"$work/ours"
    HOME=$home measure 'Bluefish' bluefish >>"$work/theirs"
    [ -x "$floor" ] && HOME=$home measure '^Floor window' "$floor" >>"$work/floor"
    [ -x "$floorweb" ] && HOME=$home measure '^Floor window' "$floorweb" gl >>"$work/floorweb"
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
for f in floor floorweb; do
    [ -s "$work/$f" ] || continue
    m=$(cut -d' ' -f1 "$work/$f" | median)
    [ $f = floor ] && what="bare Qt window:           " || what="OpenGL window, web loaded:"
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
