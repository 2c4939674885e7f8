#!/bin/bash
# Runs side by side, in one run and alternating round by round, curl's bare
# sequential RETR loop over one connection into /dev/null and Tidemark's
# first and repeat check (tests/bench/pop3_bench.cpp) of the test server's
# 1,000 x 10 KB "bench" mailbox. Builds the benchmark without sanitizers in
# build/bench and starts its own dovecot there.
#
#   tests/bench/fetch_bench.sh [rounds]
#
# curl fetches pop3://127.0.0.1:PORT/[1-1000]: one connection, one "RETR n"
# per message (curl --trace-ascii shows the commands). The store goes to
# $BENCH_STORE (default the temporary-files folder, as in the program).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-5}
build=$root/build/bench
store=${BENCH_STORE:-${TMPDIR:-/tmp}}

cmake -S "$root" -B "$build" -DTIDEMARK_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target pop3_bench -j"$(nproc)" >/dev/null
"$root/tests/peers/pop3-peer.sh" start "$build/peers" >/dev/null
trap '"$root/tests/peers/pop3-peer.sh" stop "$build/peers"' EXIT
port=$(cat "$build/peers/pop3.port")
mkdir -p "$store"

now() { date +%s.%N; }
echo "store: $store"
for round in $(seq "$rounds"); do
    start=$(now)
    connects=$(curl -s -u bench:secret "pop3://127.0.0.1:$port/[1-1000]" -w '%{stderr}%{num_connects}\n' \
        2>&1 >/dev/null | paste -sd+ | bc)
    printf 'round %d curl: 1000 RETR in %.3f s over %d connection(s)\n' "$round" "$(echo "$(now) - $start" | bc)" \
        "$connects"
    TMPDIR=$store "$build/pop3_bench" 1 | grep check | sed "s/^round 1/round $round/"
done
