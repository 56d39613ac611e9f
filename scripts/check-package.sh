#!/usr/bin/env bash
# Installs the Debian package (quorvel_*.deb in the top folder, made by
# ./package.sh) on this machine and uses the installed program as an ordinary
# user would, under Xvfb:
#   1. first start: the per-user folder is made from the installed data; a
#      project is saved, a line is typed, and 書きかけ終了 quits;
#   2. the files are in that user's folders, nothing was written beside the
#      installed program;
#   3. second start: the work in progress comes back and the backup is used up;
#   4. a start with no place to keep work says so and does not run;
#   5. removing the package leaves the user's data.
# Needs root (apt, useradd). Usage: scripts/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh check-package

user=qvcheck
timeout_s=90

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "-- $*"; }

deb=$(ls -t quorvel_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no quorvel_*.deb here; run ./package.sh first"

step "Installing $deb"
# --reinstall: a package of the same version from an earlier build is replaced.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "./$deb" >/dev/null
[ -x /usr/bin/quorvel ] || fail "/usr/bin/quorvel was not installed"
[ -f /usr/share/quorvel/Tools/WizDates/Olz/Basic/WizList.dat ] || fail "supplied scripts were not installed"
[ -f /usr/share/applications/org.quorvel.Quorvel.desktop ] || fail "desktop entry was not installed"

id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
data="$home/.local/share/quorvel"
rm -rf "$data" "$home/site.hpf"

# A display of our own: the first free number from 90 on (or QV_CHECK_DISPLAY).
n=${QV_CHECK_DISPLAY:-90}
while [ -z "${QV_CHECK_DISPLAY:-}" ] && { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; }; do n=$((n + 1)); done
display=":$n"
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=$display

stamp=$(mktemp)
touch "$stamp"
sleep 1

# Starts the installed program as the user, with a plain environment.
start_as_user() {
    local h=$1
    runuser -u "$user" -- env -i HOME="$h" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin \
        DISPLAY="$display" LANG=C.UTF-8 /usr/bin/quorvel >"/tmp/qvcheck-$n.log" 2>&1 &
    app_pid=$!
}

# Waits for a visible window whose name matches; prints its id.
wait_window() {
    local pattern=$1 wid
    for _ in $(seq $((timeout_s * 4))); do
        wid=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | tail -n 1 || true)
        if [ -n "$wid" ]; then echo "$wid"; return 0; fi
        kill -0 "$app_pid" 2>/dev/null || { cat "/tmp/qvcheck-$n.log" >&2; fail "program ended while waiting for '$pattern'"; }
        sleep 0.25
    done
    cat "/tmp/qvcheck-$n.log" >&2
    fail "no window '$pattern' within ${timeout_s}s"
}

# Waits for the program to end; its exit status goes to exit_code.
wait_exit() {
    for _ in $(seq $((timeout_s * 4))); do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            wait "$app_pid" && exit_code=0 || exit_code=$?
            app_pid=
            return 0
        fi
        sleep 0.25
    done
    fail "program did not end within ${timeout_s}s"
}

wait_file() {
    for _ in $(seq $((timeout_s * 4))); do [ -e "$1" ] && return 0; sleep 0.25; done
    fail "$1 did not appear"
}

# Gives the input focus to the window whose name matches (searched again on
# each try: a window can be re-created while the program starts); prints its id.
focus() {
    local wid
    for _ in $(seq 20); do
        wid=$(wait_window "$1")
        if timeout 10 xdotool windowfocus --sync "$wid" 2>/dev/null; then echo "$wid"; return 0; fi
        sleep 0.5
    done
    fail "cannot focus '$1'"
}

keys() { xdotool key --delay 80 "$@"; sleep 0.5; }

step "First start as $user"
start_as_user "$home"
wait_window 'HTMLプロジェクトエディタ' >/dev/null
sleep 2
main=$(focus 'HTMLプロジェクトエディタ')
[ -f "$data/Tools/WizDates/Olz/Basic/WizList.dat" ] || fail "supplied scripts were not copied to $data"

step "Saving the project"
keys ctrl+s
focus '保存|Save' >/dev/null
sleep 0.5
xdotool type --delay 30 "$home/site.hpf"
keys Return
wait_file "$home/site.hpf"

step "Typing a line and quitting with 書きかけ終了"
main=$(focus 'site\.hpf')
# The page editor takes the click; the text is work in progress, not saved.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT / 4)) click 1
sleep 0.3
keys ctrl+End
xdotool type --delay 30 "installed-check-line"
# The preview's copy of the page is in the user's temp/.
for _ in $(seq 40); do grep -qs 'installed-check-line' "$data"/temp/* && break; sleep 0.25; done
grep -qs 'installed-check-line' "$data"/temp/* || fail "no preview copy in $data/temp"
keys alt+f
keys e
wait_exit
[ "$exit_code" = 0 ] || fail "the program ended with $exit_code"

step "Checking where the files went"
[ -s "$home/site.hpf" ] || fail "project file missing"
for f in WrBackUp.dat NmBackUp.dat SizeDate.dat FontDate.dat Help/Index.htm; do
    [ -f "$data/$f" ] || fail "$data/$f missing"
done
[ -d "$data/temp" ] || fail "$data/temp missing"
[ -d "$data/Tools/WizDates/User/Basic" ] || fail "user script folder missing"
grep -q 'site\.hpf' "$data/NmBackUp.dat" || fail "NmBackUp.dat does not name the project"
grep -q 'installed-check-line' "$data/WrBackUp.dat" || fail "the typed line is not in the backup"
if grep -q 'installed-check-line' "$home/site.hpf"; then fail "the typed line was saved into the project"; fi
bad=$(find "$home/.local" "$home/site.hpf" ! -user "$user" | head -n 5)
[ -z "$bad" ] || fail "files not owned by $user: $bad"
[ "$(stat -c %a "$data")" = 700 ] || fail "$data is readable by others"
changed=$(find /usr/share/quorvel /usr/bin/quorvel -newer "$stamp" | head -n 5)
[ -z "$changed" ] || fail "written beside the installed program: $changed"
for f in /usr/bin/temp /usr/bin/SizeDate.dat /usr/bin/WrBackUp.dat /usr/share/quorvel/temp /usr/share/quorvel/SizeDate.dat; do
    [ ! -e "$f" ] || fail "$f was written"
done
dpkg --verify quorvel || fail "installed files were changed"

step "Second start resumes the work in progress"
start_as_user "$home"
wait_window 'site\.hpf' >/dev/null
for _ in $(seq 40); do [ ! -e "$data/WrBackUp.dat" ] && break; sleep 0.25; done
[ ! -e "$data/WrBackUp.dat" ] || fail "the backup was not used up"
sleep 2
focus 'site\.hpf' >/dev/null
keys ctrl+q
# The resumed work is unchanged, so quitting asks nothing.
wait_exit
[ "$exit_code" = 0 ] || fail "the program ended with $exit_code"

step "A start with no place to keep work"
start_as_user /nonexistent-qvcheck
focus '^Quorvel$' >/dev/null
keys Return
wait_exit
[ "$exit_code" != 0 ] || fail "the program ran without a place to keep work"
[ ! -e /nonexistent-qvcheck ] || fail "a home folder was made"

step "Removing the package keeps the user's data"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quorvel >/dev/null
[ ! -e /usr/bin/quorvel ] || fail "/usr/bin/quorvel is still there"
[ ! -e /usr/share/quorvel ] || fail "/usr/share/quorvel is still there"
[ -f "$data/Tools/WizDates/Olz/Basic/WizList.dat" ] && [ -f "$home/site.hpf" ] || fail "user data was removed"

rm -f "$stamp"
echo "Package check passed."
