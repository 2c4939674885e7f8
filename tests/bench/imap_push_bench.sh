#!/bin/bash
# Push benchmark, against a dovecot started here (user "push"):
# 1. Latency: tests/bench/imap_push_bench.cpp delivers DELIVERIES mails and
#    times CImapPush's report beside a bare IDLE client's, then Stop.
# 2. End to end: tidemark.exe under
#    Wine on one IMAP account; tests/bench/windows/push_probe.cpp delivers
#    DELIVERIES mails and times each until its row is in the postman list.
# 3. Idle cost: tidemark.exe under Wine, niced, for MINUTES minutes side by
#    side in two prefixes: without accounts, and with three IMAP accounts
#    (IDLE on the same mailbox; no timed or start-up check meanwhile). CPU
#    time of each program's process over the idle minutes (after 20 s of
#    settling) and its resident memory (what Wine counts as the working set)
#    at the end.
#   tests/bench/imap_push_bench.sh [DELIVERIES [MINUTES]]
# (after scripts/build.sh windows, or cmake --build build/windows --target tidemark push_probe)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
deliveries=${1:-20}
minutes=${2:-10}
build=$root/build/bench
work=$root/build/bench-push
mkdir -p "$work/messages/push"
cp "$root/tests/peers/messages/push/"*.eml "$work/messages/push/"

cmake -S "$root" -B "$build" -DTIDEMARK_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target imap_push_bench -j2 >/dev/null
"$root/tests/peers/pop3-peer.sh" start "$work/peers" "$work/messages" >/dev/null
trap '"$root/tests/peers/pop3-peer.sh" stop "$work/peers"' EXIT
port=$(cat "$work/peers/imap.port")

echo "== Push latency: delivery into the Maildir to the report, commit $(git -C "$root" rev-parse --short HEAD)"
"$build/imap_push_bench" "$work/peers" "$deliveries"

source "$root/scripts/wine-env.sh"
tidemark_start_display
trap '"$root/tests/peers/pop3-peer.sh" stop "$work/peers"; for p in e2e none three; do WINEPREFIX=$work/$p "$WINESERVER" -k 2>/dev/null || true; done; tidemark_stop_display' EXIT

# The settings of COUNT IMAP accounts on the server (every mail listed), a
# check at start-up or not (1, 0), as a REGEDIT4 file.
accounts_reg() {
    /usr/bin/python3 - "$port" "$1" "$2" "$root/scripts/demo" <<'PY'
import sys
sys.path.insert(0, sys.argv[4])
from demo_account import KEY, dword_value, string_value, stored_password
port, count, start = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
lines = [b"REGEDIT4", b"", b"[%s\\Setting]" % KEY.encode(), dword_value("Duration", 60),
         dword_value("StartCheck", start), b"", b"[%s\\POP3]" % KEY.encode(), dword_value("ServerNumber", count), b""]
for i in range(count):
    lines += [b"[%s\\POP3\\Server%d]" % (KEY.encode(), i), dword_value("CheckYN", 1),
              string_value("Name", b"push%d" % i), string_value("Address", b"127.0.0.1"),
              string_value("ID", b"push"), string_value("Password", stored_password(b"secret")),
              dword_value("Port", port), dword_value("Protocol", 1), dword_value("CheckAlgorithm", 2), b""]
sys.stdout.buffer.write(b"\r\n".join(lines) + b"\r\n")
PY
}
accounts_reg 1 1 >"$work/e2e.reg"
accounts_reg 0 0 >"$work/none.reg"
accounts_reg 3 0 >"$work/three.reg"

# Starts tidemark.exe in the prefix NAME with NAME.reg, niced by NICENESS.
start_program() {
    export WINEPREFIX=$work/$1
    tidemark_prepare_prefix
    "$WINE" regedit /S "$work/$1.reg"
    "$WINESERVER" -w
    nice -n "$2" "$WINE" explorer "/desktop=Push$1,800x600" "$root/build/windows/tidemark.exe" >/dev/null 2>&1 &
}

echo "== End to end: delivery into the Maildir to the row in the postman list"
export WINEPREFIX=$work/e2e
tidemark_prepare_prefix
"$WINE" regedit /S "$work/e2e.reg"
"$WINESERVER" -w
rm -f "$work/e2e.txt"
"$WINE" explorer /desktop=Pushe2e,800x600 "$root/build/windows/push_probe.exe" \
    "$root/build/windows/tidemark.exe" "Z:$work/peers/mail/push/Maildir" "$deliveries" "Z:$work/e2e.txt" \
    >/dev/null 2>&1 &
for _ in $(seq $((deliveries * 12 + 60))); do [ -s "$work/e2e.txt" ] && break; sleep 1; done
"$WINESERVER" -k || true
cat "$work/e2e.txt"

echo "== Idle cost: $minutes minutes, $(nproc) cores"

# The Linux process of tidemark.exe in the prefix PREFIX.
program_pid() {
    local pid
    for pid in $(pgrep -f '^[^ ]*tidemark\.exe *$'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$1" && echo "$pid" && return
    done
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

start_program none 10
start_program three 10
sleep 20
declare -A pid start
for p in none three; do
    pid[$p]=$(program_pid "$work/$p")
    start[$p]=$(cpu_ticks "${pid[$p]}")
done
echo "IMAP connections to dovecot: $(ss -tn state established "( dport = :$port )" | tail -n +2 | wc -l)"
sleep $((minutes * 60))
hz=$(getconf CLK_TCK)
rss_none=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/${pid[none]}/status")
for p in none three; do
    rss=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/${pid[$p]}/status")
    awk -v p="$p" -v t="$(( $(cpu_ticks "${pid[$p]}") - ${start[$p]} ))" -v hz="$hz" -v r="$rss" -v r0="$rss_none" \
        'BEGIN { printf "%-6s accounts: CPU %.2f s over the idle minutes, resident %.1f MB (%.2fx)\n", p, t / hz, r / 1024, r / r0 }'
done
