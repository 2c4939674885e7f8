#!/bin/bash
# Installs what is missing, builds tidemark.exe and starts it under Wine on a
# desktop with a taskbar, beside a local demo:
#  - a mailbox of sample mail (dovecot on 127.0.0.1, POP3 on port 21110 for
#    user "demo", IMAP on port 21143 for user "demo-imap", password "secret",
#    the messages of scripts/demo/mail/demo in each);
#  - an SMTP sink on 127.0.0.1:21025 that keeps what it receives in
#    build/demo/sent until the next run.
# When the Wine prefix has no account yet, two accounts for the demo mail,
# one over POP3 and one over IMAP (and, when no outgoing server is set, the
# sink as outgoing server) are added;
# existing accounts are left as they are.
# With a display (DISPLAY set) the desktop opens there; without one it runs on
# an Xvfb screen served to a web browser through x11vnc and noVNC on loopback,
# and the address to open is printed. Ctrl-C stops everything started here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" windows
source "$root/scripts/wine-env.sh"

demo="$TIDEMARK_BUILD/demo"
pop3_port=${TIDEMARK_DEMO_POP3_PORT:-21110} # other ports for the tests
imap_port=${TIDEMARK_DEMO_IMAP_PORT:-21143}
smtp_port=${TIDEMARK_DEMO_SMTP_PORT:-21025}
peers="$root/tests/peers"
viewers=() # x11vnc and websockify

stop_everything() {
    trap - EXIT INT TERM
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ ${#viewers[@]} -gt 0 ]; then
        kill "${viewers[@]}" 2>/dev/null || true
        wait "${viewers[@]}" 2>/dev/null || true
    fi
    "$peers/pop3-peer.sh" stop "$demo/pop3" || true
    "$peers/smtp_sink.sh" stop "$demo/sent" || true
    tidemark_stop_display
}

port_in_use() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

wait_for_port() {
    for _ in $(seq 100); do
        port_in_use "$1" && return 0
        sleep 0.1
    done
    echo "$2 did not start; see $3" >&2
    return 1
}

# The IMAP account reads a mailbox of its own holding the same mail: fetching
# over POP3 marks mail read, which would empty the IMAP account's list.
start_demo_servers() {
    mkdir -p "$demo"
    rm -rf "$demo/mail"
    mkdir -p "$demo/mail"
    cp -r "$root/scripts/demo/mail/demo" "$demo/mail/demo"
    cp -r "$root/scripts/demo/mail/demo" "$demo/mail/demo-imap"
    "$peers/pop3-peer.sh" start "$demo/pop3" "$demo/mail" $pop3_port $imap_port >/dev/null
    "$peers/smtp_sink.sh" start "$demo/sent" $smtp_port
}

# Whether account INDEX under KEY is the demo account of USER on PORT.
is_demo_account() {
    local server="$1\\POP3\\Server$2"
    [ "$(tidemark_registry_value "$server" Address)" = 127.0.0.1 ] &&
        [ "$(tidemark_registry_value "$server" ID)" = "$3" ] &&
        [ $(($(tidemark_registry_value "$server" Port))) -eq "$4" ]
}

# Whether the only accounts under KEY are the demo accounts of an earlier run.
has_only_demo_account() {
    [ $(($(tidemark_registry_value "$1\\POP3" ServerNumber))) -eq 2 ] &&
        is_demo_account "$1" 0 demo "$pop3_port" && is_demo_account "$1" 1 demo-imap "$imap_port"
}

# The demo account goes only into a prefix without accounts; the sink becomes
# the outgoing server only when none is set.
seed_demo_account() {
    local key='HKCU\Software\Harrowby\Tidemark'
    local servers
    servers=$(tidemark_registry_value "$key\\POP3" ServerNumber)
    if [ -n "$servers" ] && [ $((servers)) -ne 0 ]; then
        if has_only_demo_account "$key"; then
            echo "The demo accounts of an earlier run are kept"
        else
            echo "The Wine prefix has accounts of its own: no demo account added"
        fi
        return 0
    fi
    local smtp=$smtp_port
    [ -z "$(tidemark_registry_value "$key\\SMTP" SMTPAddress)" ] || smtp=0
    "$root/scripts/demo/demo_account.py" $pop3_port $imap_port $smtp >"$demo/demo-account.reg"
    "$WINE" regedit /S "$demo/demo-account.reg"
    "$WINESERVER" -w
    echo "Added the demo accounts \"데모 메일함\" (POP3, demo@127.0.0.1:$pop3_port)" \
        "and \"데모 메일함 (IMAP)\" (IMAP, demo-imap@127.0.0.1:$imap_port)"
}

# Without a display: Xvfb, shown in a web browser by x11vnc and noVNC.
serve_display_to_browser() {
    tidemark_start_display
    local vnc_port
    vnc_port=$(free_port)
    x11vnc -display "$DISPLAY" -localhost -rfbport "$vnc_port" -nopw -forever -shared -quiet \
        >"$demo/x11vnc.log" 2>&1 &
    viewers+=($!)
    wait_for_port "$vnc_port" x11vnc "$demo/x11vnc.log"
    web_port=6080
    port_in_use $web_port && web_port=$(free_port)
    websockify --web /usr/share/novnc "127.0.0.1:$web_port" "127.0.0.1:$vnc_port" >"$demo/websockify.log" 2>&1 &
    viewers+=($!)
    wait_for_port "$web_port" websockify "$demo/websockify.log"
}

# Before anything is started, and before the cleanup is armed: the servers
# in these folders may be those of another run of this script.
for port in $pop3_port $imap_port $smtp_port; do
    if port_in_use $port; then
        echo "Port $port of 127.0.0.1 is in use (is another demo running?)" >&2
        exit 1
    fi
done
trap stop_everything EXIT
trap 'exit 130' INT TERM

start_demo_servers
web_port=
if [ -z "${DISPLAY:-}" ]; then
    serve_display_to_browser
fi
tidemark_prepare_prefix
seed_demo_account

echo "Demo mailboxes: POP3 127.0.0.1:$pop3_port, user demo; IMAP 127.0.0.1:$imap_port, user demo-imap;" \
    "password secret"
echo "Demo SMTP sink: 127.0.0.1:$smtp_port; the mail it receives is kept in $demo/sent"
echo "Tidemark runs on display $DISPLAY (Wine prefix $WINEPREFIX)"
if [ -n "$web_port" ]; then
    echo "Open http://127.0.0.1:$web_port/vnc.html?autoconnect=1&resize=scale in a web browser to see it"
    echo "(from another machine, forward the port first: ssh -L $web_port:127.0.0.1:$web_port THIS-HOST)"
fi
echo "Press Ctrl-C to stop."
# In the background, so that Ctrl-C reaches the trap at once.
# On a screen of its own the desktop fills it; on the user's it leaves room.
desktop_size=1024x700
[ -z "$web_port" ] || desktop_size=$TIDEMARK_SCREEN_SIZE
"$WINE" explorer /desktop=Tidemark,$desktop_size "$root/build/windows/tidemark.exe" &
wait $!
