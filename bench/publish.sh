#!/usr/bin/env bash
# Times a first publish of 200 files (about 5 MB) to a local sshd and to a
# local pyftpdlib, beside plain curl sending the same files: one curl process
# per file, and one curl process for all of them (one connection).
# Usage: bench/publish.sh BUILD-FOLDER     (needs root for sshd's own user, or any user)
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
w=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$w"; }
trap cleanup EXIT
. "$here/local_sshd.sh"
now() { date +%s.%N; }

mkdir -p "$w/src" "$w/sftp" "$w/ftp/site" "$w/curl1" "$w/ftpcurl/site"
for i in $(seq -w 1 200); do head -c 25600 /dev/urandom > "$w/src/file$i.bin"; done
start_sshd
sport=$port; fport=$(freeport)
/usr/bin/python3 "$here/../tests/output/ftpserver.py" "$fport" "$w/ftp" elradfmw >/dev/null & pids+=($!)
sleep 1

t0=$(now); "$build/bench/bench_publish" sftp "$sport" "$user" "$w/sftp/site" "$w/id" "$w/src"; t1=$(now)
sftp_ours=$(echo "$t1 - $t0" | bc)
t0=$(now); for f in "$w"/src/*; do curl -sS -k --key "$w/id" --pubkey "$w/id.pub" -u "$user:" -T "$f" "sftp://127.0.0.1:$sport$w/curl1/"; done; t1=$(now)
sftp_loop=$(echo "$t1 - $t0" | bc)
files=$(cd "$w/src" && ls | paste -sd, -)
t0=$(now); (cd "$w/src" && curl -sS -k --key "$w/id" --pubkey "$w/id.pub" -u "$user:" -T "{$files}" "sftp://127.0.0.1:$sport$w/sftp/one/" --ftp-create-dirs); t1=$(now)
sftp_one=$(echo "$t1 - $t0" | bc)

t0=$(now); "$build/bench/bench_publish" ftp "$fport" site /site secret "$w/src"; t1=$(now)
ftp_ours=$(echo "$t1 - $t0" | bc)
t0=$(now); for f in "$w"/src/*; do curl -sS -u site:secret -T "$f" "ftp://127.0.0.1:$fport/loop/" --ftp-create-dirs; done; t1=$(now)
ftp_loop=$(echo "$t1 - $t0" | bc)
t0=$(now); (cd "$w/src" && curl -sS -u site:secret -T "{$files}" "ftp://127.0.0.1:$fport/one/" --ftp-create-dirs); t1=$(now)
ftp_one=$(echo "$t1 - $t0" | bc)

printf 'SFTP: publish %.2f s (whole program run, both publishes); curl per file %.2f s; one curl %.2f s\n' "$sftp_ours" "$sftp_loop" "$sftp_one"
printf 'FTP:  publish %.2f s (whole program run, both publishes); curl per file %.2f s; one curl %.2f s\n' "$ftp_ours" "$ftp_loop" "$ftp_one"
