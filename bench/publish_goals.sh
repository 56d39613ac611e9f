#!/usr/bin/env bash
# Publishing against its goals, on a local sshd (127.0.0.1), each figure beside
# OpenSSH's own sftp doing the same in the same run:
#  1. first publish of FILES files of KB kilobytes of random bytes (default
#     500 x 100 KB = 50 MB), prepare + send, beside `sftp -b` putting the same
#     files into an empty folder of the same server (goal: within 1.3x);
#  2. second publish after one page is edited: exactly one file sent, within
#     the connection's set-up time + 0.2 s. The set-up is taken twice: `sftp -b`
#     with a batch of just `pwd`, and the program's prepare on the unchanged
#     site minus its staging.
#  3. when bench_publishtyping is built: keystrokes into the main window while
#     the same files are published through the program's command, beside the
#     same keystrokes with no transfer (goal: each answered within 16 ms).
# Each of 1 and 2 is run ROUNDS times (default 3); medians are printed.
# Usage: bench/publish_goals.sh [BUILD-FOLDER] [ROUNDS] [FILES] [KB]
set -euo pipefail
build=${1:-build}
rounds=${2:-3}
count=${3:-500}
kb=${4:-100}
w=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$w"; }
trap cleanup EXIT
. "$(dirname "$0")/local_sshd.sh"
now() { date +%s%N; }
ms_since() { echo $(( ($(now) - $1) / 1000000 )); }

mkdir -p "$w/src"
for i in $(seq -w 1 "$count"); do head -c $((kb * 1024)) /dev/urandom > "$w/src/file$i.bin"; done
start_sshd
sftp_b() { sftp -q -b "$1" -i "$w/id" -P "$port" -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null \
               -o BatchMode=yes "$user@127.0.0.1" >/dev/null; }
echo pwd > "$w/pwd.batch"
files=$(cd "$w/src" && ls | paste -sd, -)

declare -A fig
add() { fig[$1]="${fig[$1]:-} $2"; }
for r in $(seq "$rounds"); do
    echo "round $r (load: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$build/bench/bench_publish" sftp "$port" "$user" "$w/ours$r/site" "$w/id" "$w/src" > "$w/ours$r.txt"
    sed 's/^/  /' "$w/ours$r.txt" | grep -v RESULT
    while read -r _ key value; do add "$key" "$value"; done < <(grep '^RESULT' "$w/ours$r.txt")
    mkdir -p "$w/bare$r"
    { echo "lcd $w/src"; echo "cd $w/bare$r"; for f in "$w"/src/*; do echo "put $(basename "$f")"; done; } > "$w/put.batch"
    t=$(now); sftp_b "$w/put.batch"; add sftp_put_ms "$(ms_since "$t")"
    [ "$(ls "$w/bare$r" | wc -l)" -eq "$count" ] || { echo "sftp -b did not put every file" >&2; exit 1; }
    # The same library floor as the program: one curl process (libcurl and
    # libssh2, one connection) sending every file.
    t=$(now); (cd "$w/src" && curl -sS -k --key "$w/id" --pubkey "$w/id.pub" -u "$user:" -T "{$files}" \
        "sftp://127.0.0.1:$port$w/curl$r/" --ftp-create-dirs); add curl_put_ms "$(ms_since "$t")"
    t=$(now); sftp_b "$w/pwd.batch"; add sftp_pwd_ms "$(ms_since "$t")"
    cmp -s "$w/src/file$(printf "%0${#count}d" 1).bin" "$w/ours$r/site/file$(printf "%0${#count}d" 1).bin" \
        || { echo "the published file differs" >&2; exit 1; }
done
median() { printf '%s\n' $1 | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
for k in first_ms first_prepare_ms sftp_put_ms curl_put_ms second_ms second_files sftp_pwd_ms staging_ms unchanged_prepare_ms connect_list_ms; do
    printf '%-22s median %8s   (runs:%s)\n' "$k" "$(median "${fig[$k]}")" "${fig[$k]}"
done
first=$(median "${fig[first_ms]}"); bare=$(median "${fig[sftp_put_ms]}")
second=$(median "${fig[second_ms]}"); pwd=$(median "${fig[sftp_pwd_ms]}"); conn=$(median "${fig[connect_list_ms]}")
echo "load now: $(cut -d' ' -f1-3 /proc/loadavg)"
awk -v a="$first" -v b="$bare" -v c="$(median "${fig[curl_put_ms]}")" 'BEGIN { printf "1. first publish %.0f ms, sftp -b %.0f ms: ratio %.2f (goal <= 1.3): %s; one curl process %.0f ms (ratio %.2f)\n", a, b, a / b, (a / b <= 1.3) ? "met" : "MISSED", c, a / c }'
awk -v s="$second" -v p="$pwd" -v c="$conn" -v n="$(median "${fig[second_files]}")" 'BEGIN {
    printf "2. second publish %.0f ms, %d file(s) sent; set-up by sftp -b pwd %.0f ms (goal <= %.0f ms: %s, ratio %.2f), by prepare minus staging %.0f ms (goal <= %.0f ms: %s, ratio %.2f)\n",
        s, n, p, p + 200, (n == 1 && s <= p + 200) ? "met" : "MISSED", s / p, c, c + 200, (n == 1 && s <= c + 200) ? "met" : "MISSED", s / c }'
if [ -x "$build/bench/bench_publishtyping" ]; then
    echo "3. keystrokes while publishing (load: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$build/bench/bench_publishtyping" "$port" "$user" "$w/typing/site" "$w/id" "$w/src" 2>&1 \
        | grep -E '^(Keys|  )' | grep -v '^ *\*' | sed 's/^/  /'
fi
