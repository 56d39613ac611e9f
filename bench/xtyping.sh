#!/usr/bin/env bash
# Typing as a user feels it: keys typed through the X server (xdotool under
# Xvfb) into the real program, on a small page and on a big one, with the
# automatic preview on.
#
# The program starts with a work-in-progress backup whose one page has the
# given size, and is left alone until it is idle (the preview has loaded).
# Then, with the caret at the end of the page, xdotool types the keys and
# presses Ctrl+F; keys are handled in order, so once the search dialog is on
# screen every key before it has reached the editor. The figure is the time
# from the first key until the dialog is visible, less the time the dialog
# alone takes to appear (measured the same way without typing). Two paces:
# as fast as xdotool sends (the program is the bottleneck) and xdotool's own
# default of 12 ms a key (a fast typist). Runs alternate between the pages;
# the figures are medians.
#
# Usage: bench/xtyping.sh [build dir] [runs]
#   build dir: holds app/quorvel and bench/bench_typing (default build-rel)
#   QV_BENCH_DISPLAY: the X display to start Xvfb on (default :93)
#   QV_BENCH_KEYS: keys typed per run (default 200)
# Needs xvfb, xdotool and perl.
set -euo pipefail
build=${1:-build-rel}
runs=${2:-5}
display=${QV_BENCH_DISPLAY:-:93}
keys=${QV_BENCH_KEYS:-200}
exe="$build/app/quorvel"
maker="$build/bench/bench_typing"
for tool in Xvfb xdotool perl; do
    command -v "$tool" >/dev/null || { echo "xtyping: $tool is missing" >&2; exit 1; }
done
[ -x "$exe" ] || { echo "xtyping: no $exe" >&2; exit 1; }
[ -x "$maker" ] || { echo "xtyping: no $maker" >&2; exit 1; }

work=$(mktemp -d)
Xvfb "$display" -screen 0 1400x950x24 >/dev/null 2>&1 &
xvfb=$!
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1

now() { perl -MTime::HiRes=time -e 'printf "%.4f", time'; }
median() { sort -n | awk '{a[NR]=$1} END {if (NR) printf "%.3f", a[int((NR+1)/2)]; else printf "n/a"}'; }

# Waits until the process has used under 5% of a processor for half a second
# (the browser engine's threads are never quite still).
wait_idle() {
    local pid=$1 before after quiet=0
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    for _ in $(seq 600); do
        sleep 0.1
        after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
        if [ $((after - before)) -le 0 ] || { [ "$quiet" -gt 0 ] && [ $((after - before)) -le 1 ]; }; then
            quiet=$((quiet + 1))
        elif [ $((after - before)) -le 1 ]; then quiet=1; else quiet=0; fi
        before=$after
        [ "$quiet" -ge 5 ] && return 0
    done
    echo "xtyping: the program did not settle" >&2
}

# Seconds until a window named "検索" is visible, after running "$@".
until_dialog() {
    local t0 t1
    t0=$(now)
    "$@"
    xdotool key ctrl+f
    local n=0
    until xdotool search --onlyvisible --name '^検索$' >/dev/null 2>&1; do
        sleep 0.005
        n=$((n + 1))
        [ "$n" -ge 12000 ] && { echo "xtyping: no search dialog" >&2; break; }
    done
    t1=$(now)
    xdotool key Escape
    while xdotool search --onlyvisible --name '^検索$' >/dev/null 2>&1; do sleep 0.02; done
    echo "$t1 - $t0" | bc
}

text=$(head -c "$keys" < <(yes 'abcdefghij' | tr -d '\n'))
home="$work/home"
mkdir -p "$home"

# One start: prints "dialog-alone burst paced" in seconds.
run_once() {
    local kb=$1 d win
    d="$work/app$kb"
    rm -rf "$d"
    cp -r "$(dirname "$exe")" "$d"
    "$maker" --project "$d/WrBackUp.dat" "$kb"
    HOME=$home "$d/quorvel" >/dev/null 2>&1 &
    app_pid=$!
    for _ in $(seq 600); do
        win=$(xdotool search --onlyvisible --name '^HTML' 2>/dev/null | head -1 || true)
        [ -n "$win" ] && break
        sleep 0.1
    done
    wait_idle "$app_pid"
    # Into the editor, the caret at the end of the page. Without a window
    # manager nothing makes the main window active again when the search
    # dialog closes, and its shortcuts wait for an active window; a click
    # makes it active, so every measurement starts with one.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    focus_editor() {
        xdotool mousemove --window "$win" $((WIDTH / 2)) $((HEIGHT / 5)) click 1
        xdotool key ctrl+End
        wait_idle "$app_pid"
    }
    local alone burst paced
    focus_editor
    alone=$(until_dialog true)
    focus_editor
    burst=$(until_dialog xdotool type --delay 0 "$text")
    focus_editor
    paced=$(until_dialog xdotool type --delay 12 "$text")
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    echo "$alone $burst $paced"
}

: >"$work/small"
: >"$work/big"
for _ in $(seq "$runs"); do
    run_once 10 >>"$work/small"
    run_once 4096 >>"$work/big"
done

# Column 2 and 3 less column 1 (the dialog alone), medians.
alone() { cut -d' ' -f1 "$1" | median; }
burst() { awk '{print $2 - $1}' "$1" | median; }
paced() { awk '{print $3 - $1}' "$1" | median; }
echo "Typing $keys keys through Xvfb into the program, automatic preview on, median of $runs runs (alternating):"
for f in small big; do
    [ "$f" = small ] && name="10 KB page" || name="4 MB page "
    echo "  $name: dialog alone $(alone "$work/$f") s; $keys keys at once $(burst "$work/$f") s;" \
        "at 12 ms a key $(paced "$work/$f") s"
done
echo "  ratio 4 MB / 10 KB: at once $(echo "scale=2; $(burst "$work/big") / $(burst "$work/small")" | bc)," \
    "at 12 ms a key $(echo "scale=2; $(paced "$work/big") / $(paced "$work/small")" | bc)"
echo "  raw (alone burst paced): 10 KB: $(tr '\n' ';' <"$work/small") 4 MB: $(tr '\n' ';' <"$work/big")"
