#!/bin/bash
# A first check of a large IMAP INBOX: 5,000 mails of about 4 KB, every
# 100th of them unseen (50). Runs side by side, round by round, the least
# client that could list them (Python's imaplib: LOGIN, EXAMINE, UID SEARCH
# UNSEEN, one UID FETCH of the 50 headers with BODY.PEEK[HEADER], LOGOUT)
# and Tidemark's first and repeat check (tests/bench/pop3_bench.cpp in its
# "imap" mode), each timed directly and counted through a relay. Builds the
# benchmark without sanitizers in build/bench and starts its own dovecot
# there on a mailbox written to build/bench/imap-messages.
#
#   tests/bench/imap_bench.sh [rounds]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-5}
build=$root/build/bench
messages=$build/imap-messages

cmake -S "$root" -B "$build" -DTIDEMARK_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target pop3_bench -j2 >/dev/null
rm -rf "$messages"
python3 - "$messages/imapbench" <<'PY'
import os, sys
folder = sys.argv[1]
os.makedirs(folder)
line = "The quick brown fox jumps over the lazy dog; 0123456789 abcdefghij.\n"
for i in range(5000):
    name = "%04d%s.eml" % (i, "-unseen" if i % 100 == 99 else "")
    with open(os.path.join(folder, name), "w") as mail:
        mail.write("Received: from bench.example.com by mail.tidemark.test; Mon, 6 May 2002 09:00:00 +0900\n"
                   "From: Bench %d <bench%d@example.com>\nTo: imapbench@tidemark.test\n"
                   "Subject: IMAP benchmark mail %d\nDate: Mon, 6 May 2002 09:00:00 +0900\n\n" % (i, i, i)
                   + line * 60)
PY
"$root/tests/peers/pop3-peer.sh" start "$build/peers" "$messages" >/dev/null
trap '"$root/tests/peers/pop3-peer.sh" stop "$build/peers"' EXIT
port=$(cat "$build/peers/imap.port")
du -sb "$build/peers/messages/imapbench" | awk '{print "mailbox: 5000 mails, " $1 " bytes"}'
python3 - "$build/peers/messages/imapbench" <<'PY'
import glob, sys
size = sum(len(open(f, "rb").read().split(b"\r\n\r\n")[0]) + 4 for f in glob.glob(sys.argv[1] + "/*-unseen.eml"))
print("the 50 unseen headers: %d bytes" % size)
PY

least_client() {
    python3 - "$port" <<'PY'
import imaplib, sys, time
counted = [0]
class Counting(imaplib.IMAP4):
    def read(self, size):
        data = super().read(size); counted[0] += len(data); return data
    def readline(self):
        data = super().readline(); counted[0] += len(data); return data
    def send(self, data):
        counted[0] += len(data); super().send(data)
start = time.monotonic()
imap = Counting("127.0.0.1", int(sys.argv[1]))
imap.login("imapbench", "secret")
imap.select("INBOX", readonly=True)
uids = imap.uid("SEARCH", "UNSEEN")[1][0].split()
fetched = imap.uid("FETCH", b",".join(uids), "(UID INTERNALDATE RFC822.SIZE BODY.PEEK[HEADER])")[1]
imap.logout()
print("imaplib: %d headers in %.3f s, %d bytes" % (len([f for f in fetched if isinstance(f, tuple)]),
                                                  time.monotonic() - start, counted[0]))
PY
}

for round in $(seq "$rounds"); do
    echo "round $round $(least_client)"
    "$build/pop3_bench" 1 imap | grep check | sed "s/^round 1/round $round/"
done
