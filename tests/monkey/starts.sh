#!/usr/bin/env bash
# Starts and stops the program COUNT times (default 200) under Xvfb in the
# whole-program sanitizer build, with core dumps on, to catch a failure that
# shows only now and then at start. Each run gets a fresh copy of the program
# folder, is stopped after a varying time (while it starts, or once it
# runs) by the end signal or by closing its window, and must end normally.
# Usage: tests/monkey/starts.sh [COUNT] [DISPLAY]   (default :99)
set -uo pipefail
count=${1:-200}
display=${2:-:99}
cd "$(dirname "$0")/../.."
build=${QV_ASAN_BUILD:-build-asan}
[ -x "$build/app/quorvel" ] || { echo "build $build/app/quorvel first (QV_SANITIZE=ON)"; exit 2; }
work=$(mktemp -d)
logs="$build/starts"
mkdir -p "$logs"
rm -f "$logs"/*.log
Xvfb "$display" -screen 0 1400x950x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
ulimit -c unlimited
export DISPLAY=$display QT_QPA_PLATFORM=xcb QTWEBENGINE_DISABLE_SANDBOX=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:new_delete_type_mismatch=0} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
failed=0
early=0
closed=0
for i in $(seq 1 "$count"); do
    rm -rf "$work/app" "$work/home"
    cp -r "$build/app" "$work/app"
    rm -rf "$work/app/temp"/* "$work/app"/*.dat
    mkdir -p "$work/home"
    log="$logs/start-$i.log"
    # From a quarter of a second (still starting) to four seconds (running).
    wait_ms=$(( 250 + (RANDOM % 3750) ))
    ( cd "$work" && HOME="$work/home" XDG_RUNTIME_DIR="$work/home" exec "$work/app/quorvel" ) >"$log" 2>&1 &
    pid=$!
    sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
    how=TERM
    if (( i % 2 == 0 )) && win=$(xwininfo -root -tree 2>/dev/null | grep -m1 'HTMLプロジェクトエディタ' | awk '{print $1}') && [ -n "$win" ]; then
        how=close
        closed=$((closed + 1))
        # The window's close box: the window manager's delete request.
        python3 - "$win" <<'PY' 2>/dev/null || kill -TERM "$pid"
import sys, ctypes, ctypes.util
x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
x.XOpenDisplay.restype = ctypes.c_void_p
d = x.XOpenDisplay(None)
if not d:
    sys.exit(1)
w = int(sys.argv[1], 16)
class Ev(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5), ("pad", ctypes.c_char * 64)]
x.XInternAtom.restype = ctypes.c_ulong
proto = x.XInternAtom(ctypes.c_void_p(d), b"WM_PROTOCOLS", 0)
delete = x.XInternAtom(ctypes.c_void_p(d), b"WM_DELETE_WINDOW", 0)
e = Ev(); e.type = 33; e.window = w; e.message_type = proto; e.format = 32; e.l[0] = delete
x.XSendEvent(ctypes.c_void_p(d), ctypes.c_ulong(w), 0, 0, ctypes.byref(e))
x.XFlush(ctypes.c_void_p(d))
PY
    else
        kill -TERM "$pid" 2>/dev/null
    fi
    # A program that is asked to end ends within a minute.
    for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        echo "start $i: still running a minute after $how ($wait_ms ms)" | tee -a "$log"
        kill -ABRT "$pid"; wait "$pid"; failed=$((failed + 1)); continue
    fi
    wait "$pid"; rc=$?
    # Ended by the signal itself: it came before the program had set up its
    # handling (the first moments of a start), which is the signal's own effect.
    if [ "$rc" -eq 143 ] && [ "$how" = TERM ]; then early=$((early + 1)); rc=0; fi
    core=$(ls "$work"/core* 2>/dev/null | head -1)
    if [ "$rc" -ne 0 ] || [ -n "$core" ] || grep -q 'Sanitizer\|runtime error' "$log"; then
        failed=$((failed + 1))
        echo "start $i: ended with $rc after $how at $wait_ms ms${core:+, core $core}; log $log"
        [ -n "$core" ] && gdb -batch -ex 'thread apply all bt 20' "$work/app/quorvel" "$core" >"$log.bt" 2>&1
        [ -n "$core" ] && mv "$core" "$logs/core-$i"
    else
        rm -f "$log"
    fi
    (( i % 20 == 0 )) && echo "$i starts, $failed failed"
done
echo "starts: $count (closed by the window's close box: $closed, by the end signal: $((count - closed))), failed: $failed, ended by the signal before its handling was set up: $early"
[ "$failed" -eq 0 ]
