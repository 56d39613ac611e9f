# Sourced by the publishing benchmarks: a throwaway OpenSSH server on
# 127.0.0.1 for the current user, with a host key and a client key of its own.
# Expects $w (a scratch folder); sets $port, $user and the client key $w/id,
# and adds the server to $pids, which the caller's cleanup ends.
freeport() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

start_sshd() {
    ssh-keygen -q -t ed25519 -N '' -f "$w/hostkey"
    ssh-keygen -q -t ed25519 -N '' -f "$w/id"
    cp "$w/id.pub" "$w/authorized_keys"
    port=$(freeport)
    user=$(id -un)
    [ "$(id -u)" -ne 0 ] || mkdir -p /run/sshd
    cat > "$w/sshd_config" <<CFG
ListenAddress 127.0.0.1:$port
HostKey $w/hostkey
PidFile $w/sshd.pid
AuthorizedKeysFile $w/authorized_keys
UsePAM no
StrictModes no
PermitRootLogin prohibit-password
Subsystem sftp internal-sftp
CFG
    /usr/sbin/sshd -D -f "$w/sshd_config" & pids+=($!)
    for _ in $(seq 50); do (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
}
