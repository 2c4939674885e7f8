#!/bin/bash
# A real POP3 and IMAP server for the tests: Debian's dovecot on free loopback
# ports, serving the same users over both.
#
#   pop3-peer.sh start ROOT [MESSAGES [PORT [IMAP-PORT]]]
#                             recreate ROOT from scratch, start dovecot there
#                             (on PORT and IMAP-PORT, or on free ports), write
#                             the port to ROOT/pop3.port and the IMAP port to
#                             ROOT/imap.port
#   pop3-peer.sh stop ROOT    stop the dovecot of ROOT
#
# A second dovecot serves the same users over TLS only (ssl = required),
# with the "good" certificate of test_certificates.sh (in ROOT/../test-certs):
# TLS from the first byte on the port in ROOT/pop3s.port (IMAP: imaps.port),
# and STLS before any login on the port in ROOT/pop3-stls.port (IMAP's
# STARTTLS: imap-stls.port). Its files are in ROOT/secure.
#
# Users and messages. Every directory MESSAGES/USER/ (MESSAGES is
# tests/peers/messages unless given) is a mail
# user USER with the password "secret"; its *.eml files, in file-name order,
# are that user's messages 1, 2, 3... (seen over IMAP, unless the name ends in
# "-unseen"). Write them in UTF-8 with LF line ends:
# they are converted to code page 949 (EUC-KR) and CR LF here, except in a
# directory that holds a file KEEP-BYTES: its messages are written in the
# charsets their headers name and only get CR LF line ends. To add a
# scenario, add a directory (one user per scenario, so that a test that
# deletes disturbs no other). The converted copies, as the server holds them,
# are also written to ROOT/messages/USER/NAME.eml for the tests to compare.
# Generated here rather than kept in the tree, for tests/peers/messages only:
#   alice/10-attachment.eml  a message with a 5 MB base64 attachment
#   bench/                   1000 messages of about 10 KB (the benchmark)
#   empty/                   a user without messages
#
# Every start recreates all mailboxes, so deletions of an earlier run are
# undone. A failed login makes dovecot delay the next logins from 127.0.0.1
# by a few seconds until one succeeds: a test that fails a login should log
# in successfully before it ends. The server runs as root's child with dovecot's own unprivileged
# users; it listens on 127.0.0.1 only. Its log is ROOT/dovecot.log.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
command=${1:-}
root=${2:-}
messages=$(cd "${3:-$here/messages}" && pwd)
requested_port=${4:-}
requested_imap_port=${5:-}
if [ -z "$command" ] || [ -z "$root" ]; then
    echo "usage: $0 start|stop ROOT" >&2
    exit 2
fi
mkdir -p "$root"
root=$(cd "$root" && pwd)
python=/usr/bin/python3

source "$here/test_certificates.sh"
source "$here/free_port.sh"

# stop_dovecot BASE: the dovecot whose base_dir is BASE/run.
stop_dovecot() {
    local pidfile="$1/run/master.pid"
    [ -f "$pidfile" ] || return 0
    local pid
    pid=$(cat "$pidfile")
    if kill "$pid" 2>/dev/null; then
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -f "$pidfile"
}

stop_server() {
    stop_dovecot "$root"
    stop_dovecot "$root/secure"
}


# start_dovecot BASE PORT SSL-SETTINGS LISTENERS [IMAP-LISTENERS]: a dovecot with
# its files in BASE, serving the mail of ROOT; waits until PORT answers.
start_dovecot() {
    local base=$1 port=$2 ssl=$3 listeners=$4
    local imap_listeners=${5:-"$(listener imap 0)
$(listener imaps 0)"}
    mkdir -p "$base/run" "$base/state"
    cat >"$base/dovecot.conf" <<EOF
protocols = pop3 imap
listen = 127.0.0.1
base_dir = $base/run
state_dir = $base/state
log_path = $base/dovecot.log
$ssl
auth_mechanisms = plain
auth_failure_delay = 0 secs
mail_fsync = never
default_internal_user = dovecot
default_internal_group = dovecot
default_login_user = dovenull
first_valid_uid = 1
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $root/passwd
}
userdb {
  driver = static
  args = uid=dovecot gid=dovecot home=$root/mail/%u
}
mail_location = maildir:~/Maildir
service pop3-login {
  chroot =
$listeners
}
service anvil {
  chroot =
}
service imap-login {
  chroot =
$imap_listeners
}
EOF
    # The daemon must not keep the caller's output open (ctest waits for it).
    dovecot -c "$base/dovecot.conf" </dev/null >"$base/dovecot.out" 2>&1
    for _ in $(seq 100); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            return 0
        fi
        sleep 0.1
    done
    echo "dovecot did not start; see $base/dovecot.log" >&2
    cat "$base/dovecot.log" >&2 || true
    return 1
}

# listener NAME PORT [ssl]: a login listener on 127.0.0.1 (port 0: none).
listener() {
    printf '  inet_listener %s {\n    address = 127.0.0.1\n    port = %s\n%s  }\n' "$1" "$2" \
        "${3:+    ssl = yes
}"
}

# Builds ROOT/mail (maildirs), ROOT/messages (the copies for the tests) and
# ROOT/passwd from tests/peers/messages and the generated messages.
build_mailboxes() {
    "$python" - "$messages" "$root" "$here/messages" <<'PY'
import base64, os, random, sys
source, root, test_messages = sys.argv[1], sys.argv[2], sys.argv[3]
messages = {}  # user -> {name: text}
raw_users = set()  # users whose messages keep their bytes (read and written as Latin-1)
for user in sorted(os.listdir(source)):
    folder = os.path.join(source, user)
    if os.path.isdir(folder):
        if os.path.exists(os.path.join(folder, "KEEP-BYTES")):
            raw_users.add(user)
        encoding = "latin-1" if user in raw_users else "utf-8"
        messages[user] = {f[:-4]: open(os.path.join(folder, f), encoding=encoding).read()
                          for f in os.listdir(folder) if f.endswith(".eml")}

# Dates relative to the day the server starts: "@TODAY@", "@YESTERDAY@" and
# "@TOMORROW@" become "Mon, 7 Dec 2026" and so on, "@ZONE@" the local zone;
# "@MINUTES-AGO-N@" the whole date and time N minutes before the start.
import datetime, re, time
today = datetime.date.today()
started = datetime.datetime.now()
def mail_day(day):
    return "%s, %d %s %d" % (("Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun")[day.weekday()], day.day,
                             ("Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov",
                              "Dec")[day.month - 1], day.year)
tokens = {"@TODAY@": mail_day(today), "@YESTERDAY@": mail_day(today - datetime.timedelta(days=1)),
          "@TOMORROW@": mail_day(today + datetime.timedelta(days=1)), "@ZONE@": time.strftime("%z")}
def minutes_ago(match):
    moment = started - datetime.timedelta(minutes=int(match.group(1)))
    return "%s %s %s" % (mail_day(moment.date()), moment.strftime("%H:%M:%S"), tokens["@ZONE@"])
for mails in messages.values():
    for name, text in mails.items():
        for token, value in tokens.items():
            text = text.replace(token, value)
        text = re.sub(r"@MINUTES-AGO-(\d+)@", minutes_ago, text)
        mails[name] = text

if os.path.samefile(source, test_messages):
    # alice: a 5 MB attachment (base64 of 3.75 MB) in a multipart message.
    rng = random.Random(20260101)
    data = bytes(rng.getrandbits(8) for _ in range(1 << 16)) * 60
    messages.setdefault("alice", {})["10-attachment"] = (
        "Received: from big.example.com by mail.tidemark.test; Sun, 1 Jan 2040 09:00:00 +0900\n"
        "From: Big Sender <big@example.com>\n"
        "To: alice@tidemark.test\n"
        "Subject: Big attachment\n"
        "Date: Sun, 1 Jan 2040 08:59:00 +0900\n"
        "MIME-Version: 1.0\n"
        "Content-Type: multipart/mixed; boundary=\"tidemark-boundary\"\n\n"
        "--tidemark-boundary\n"
        "Content-Type: text/plain; charset=us-ascii\n\n"
        "The attachment follows.\n\n"
        "--tidemark-boundary\n"
        "Content-Type: application/octet-stream; name=\"big.bin\"\n"
        "Content-Transfer-Encoding: base64\n"
        "Content-Disposition: attachment; filename=\"big.bin\"\n\n"
        + base64.encodebytes(data).decode() + "\n--tidemark-boundary--\n")

    # bench: 1000 messages of about 10 KB, one second apart.
    line = "The quick brown fox jumps over the lazy dog; 0123456789 abcdefghij.\n"
    body = line * (10000 // len(line))
    messages["bench"] = {
        "%04d-bench" % i:
            "Received: from bench.example.com by mail.tidemark.test; Mon, 6 May 2002 %02d:%02d:%02d +0900\n"
            % (10 + i // 3600, i // 60 % 60, i % 60)
            + "From: Bench %d <bench%d@example.com>\nTo: bench@tidemark.test\n" % (i, i)
            + "Subject: Benchmark message %d\nDate: Mon, 6 May 2002 09:00:00 +0900\n\n" % i + body
        for i in range(1000)}
    messages["empty"] = {}

with open(os.path.join(root, "passwd"), "w") as passwd:
    for user, mails in sorted(messages.items()):
        passwd.write("%s:{PLAIN}secret::::::\n" % user)
        maildir = os.path.join(root, "mail", user, "Maildir")
        for sub in ("cur", "new", "tmp"):
            os.makedirs(os.path.join(maildir, sub))
        copies = os.path.join(root, "messages", user)
        os.makedirs(copies)
        for number, name in enumerate(sorted(mails), 1001):
            raw = mails[name].replace("\r\n", "\n").replace("\n", "\r\n").encode(
                "latin-1" if user in raw_users else "cp949")
            with open(os.path.join(copies, name + ".eml"), "wb") as f:
                f.write(raw)
            flags = "" if name.endswith("-unseen") else "S"
            with open(os.path.join(maildir, "cur", "%d.%s:2,%s" % (number, name, flags)), "wb") as f:
                f.write(raw)
PY
}

start_server() {
    stop_server
    rm -rf "$root"
    mkdir -p "$root/run" "$root/state" "$root/mail" "$root/messages"
    build_mailboxes

    chown -R dovecot:dovecot "$root/mail"
    chmod 755 "$root"
    local port imap_port stls_port tls_port imap_stls_port imaps_port certs
    port=${requested_port:-$(free_port)}
    imap_port=${requested_imap_port:-$(free_port)}
    start_dovecot "$root" "$port" "ssl = no
disable_plaintext_auth = no" "$(listener pop3 "$port")" "$(listener imap "$imap_port")
$(listener imaps 0)"
    echo "$port" >"$root/pop3.port"
    echo "$imap_port" >"$root/imap.port"
    echo "dovecot listens on 127.0.0.1:$port (root $root)"

    certs=$(dirname "$root")/test-certs
    ensure_certificates "$certs"
    stls_port=$(free_port)
    tls_port=$(free_port)
    imap_stls_port=$(free_port)
    imaps_port=$(free_port)
    start_dovecot "$root/secure" "$stls_port" "ssl = required
ssl_cert = <$certs/good.pem
ssl_key = <$certs/good.key" "$(listener pop3 "$stls_port")
$(listener pop3s "$tls_port" ssl)" "$(listener imap "$imap_stls_port")
$(listener imaps "$imaps_port" ssl)"
    echo "$stls_port" >"$root/pop3-stls.port"
    echo "$tls_port" >"$root/pop3s.port"
    echo "$imap_stls_port" >"$root/imap-stls.port"
    echo "$imaps_port" >"$root/imaps.port"
    echo "dovecot serves TLS on 127.0.0.1:$tls_port and STLS on 127.0.0.1:$stls_port (IMAP: $imaps_port, $imap_stls_port)"
}

case "$command" in
start) start_server ;;
stop) stop_server ;;
*)
    echo "usage: $0 start|stop ROOT" >&2
    exit 2
    ;;
esac
