#!/bin/bash
# A first and a repeat check (pop3_bench "imap") of an INBOX of 5,000 mails, 50 unseen, beside the least
# client listing them (imaplib: EXAMINE, SEARCH, one FETCH of 50 headers). tests/bench/imap_bench.sh [rounds]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/bench
cmake -S "$root" -B "$build" -DTIDEMARK_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target pop3_bench -j2 >/dev/null
rm -rf "$build/imap-messages" && mkdir -p "$build/imap-messages/imapbench"
python3 -c '
import sys
for i in range(5000):
    open("%s/%04d%s.eml" % (sys.argv[1], i, "-unseen" if i % 100 == 99 else ""), "w").write(
        "From: Bench %d <b%d@example.com>\nTo: imapbench@tidemark.test\nSubject: IMAP bench %d\n"
        "Date: Mon, 6 May 2002 09:00:00 +0900\n\n%s" % (i, i, i, "The quick brown fox jumps. 0123456789\n" * 100))
' "$build/imap-messages/imapbench"
"$root/tests/peers/pop3-peer.sh" start "$build/peers" "$build/imap-messages" >/dev/null
trap '"$root/tests/peers/pop3-peer.sh" stop "$build/peers"' EXIT
du -sb "$build/peers/messages/imapbench" | awk '{print "INBOX: 5000 mails, " $1 " bytes"}'
for round in $(seq "${1:-5}"); do
    python3 -c '
import imaplib, sys, time
start = time.monotonic()
imap = imaplib.IMAP4("127.0.0.1", int(open(sys.argv[2]).read()))
imap.login("imapbench", "secret")
imap.select("INBOX", readonly=True)
uids = imap.uid("SEARCH", "UNSEEN")[1][0].split()
headers = [f[1] for f in imap.uid("FETCH", b",".join(uids), "(UID INTERNALDATE RFC822.SIZE BODY.PEEK[HEADER])")[1]
           if isinstance(f, tuple)]
imap.logout()
print("round %s imaplib: %d headers of %d bytes in %.3f s" % (
    sys.argv[1], len(headers), sum(map(len, headers)), time.monotonic() - start))
' "$round" "$build/peers/imap.port"
    "$build/pop3_bench" 1 imap | grep check | sed "s/^round 1/round $round/"
done
