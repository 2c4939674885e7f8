#!/bin/bash
# The first run as a newcomer meets it: scripts/run.sh on a machine without
# a display, with a fresh Wine prefix. The demo account is added, the first
# check fetches the demo mail, the desktop is served to a web browser, and
# Ctrl-C leaves no process of the run behind. A second run keeps the demo
# account and leaves an account of the user's own alone.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/script_test.sh"
source "$root/tests/peers/free_port.sh"

work="$root/build/first-run-test"
log="$work/run.log"
rm -rf "$work"
mkdir -p "$work"
export TIDEMARK_BUILD="$work" WINEPREFIX="$work/wineprefix"
export TIDEMARK_DEMO_POP3_PORT=$(free_port) TIDEMARK_DEMO_IMAP_PORT=$(free_port) TIDEMARK_DEMO_SMTP_PORT=$(free_port)
source "$root/scripts/wine-env.sh"
unset DISPLAY
run_pid=

# Started as a job of its own, as a shell starts a command, so that SIGINT to
# its process group is the terminal's Ctrl-C (and with SIGINT handled, even
# when this script was started with it ignored).
start_run() {
    set -m
    env --default-signal=INT "$root/scripts/run.sh" >"$log" 2>&1 &
    run_pid=$!
    set +m
    wait_until 300 eval 'grep -q "Press Ctrl-C" "$log" || ! kill -0 $run_pid 2>/dev/null'
    grep -q "Press Ctrl-C" "$log" || { grep -v "Built target" "$log"; return 1; }
}

interrupt_run() {
    kill -INT -- "-$run_pid"
    wait_until 60 eval '! kill -0 $run_pid 2>/dev/null' || { echo "run.sh still runs"; return 1; }
}

browser_page_served() {
    local address
    address=$(grep -o 'http://127.0.0.1:[0-9]*/vnc.html[^ ]*' "$log") || { cat "$log"; return 1; }
    /usr/bin/python3 -c 'import sys, urllib.request; sys.exit(b"noVNC" not in urllib.request.urlopen(sys.argv[1]).read())' \
        "$address"
}

first_check_fetched_demo_mail() {
    # dovecot logs each session's end with the number of messages fetched.
    wait_until 60 grep -q "pop3(demo).*Logged out.*retr=4/" "$work/demo/pop3/dovecot.log" ||
        { cat "$work/demo/pop3/dovecot.log"; return 1; }
    local display
    display=$(grep -o 'on display :[0-9]*' "$log" | cut -d' ' -f3)
    sleep 2
    DISPLAY=$display import -window root "$work/first-run.png" 2>/dev/null || true
}

nothing_left_running() {
    local left
    left=$(processes_of "$work")
    [ -z "$left" ] && return 0
    ps -o pid,cmd -p $left
    return 1
}

account_value() {
    tidemark_registry_value 'HKCU\Software\Harrowby\Tidemark\POP3\Server0' "$1"
}

demo_account_kept() {
    start_run || return 1
    grep -q "demo accounts of an earlier run are kept" "$log" || { cat "$log"; return 1; }
    interrupt_run && nothing_left_running
}

own_account_left_alone() {
    "$WINE" reg add 'HKCU\Software\Harrowby\Tidemark\POP3\Server0' /v Address /d mail.example.com /f >/dev/null 2>&1
    "$WINESERVER" -w
    start_run || return 1
    grep -q "accounts of its own" "$log" || { cat "$log"; return 1; }
    interrupt_run && nothing_left_running || return 1
    [ "$(account_value Address)" = mail.example.com ] || { echo "Address: $(account_value Address)"; return 1; }
}

demo_account_port() {
    local port
    port=$(account_value Port)
    "$WINESERVER" -w
    [ "$port" = "0x$(printf %x "$TIDEMARK_DEMO_POP3_PORT")" ] || { echo "Port: $port"; return 1; }
}

test_case "FirstRun.StartsWithoutADisplay" start_run
test_case "FirstRun.ServesTheDesktopToABrowser" browser_page_served
test_case "FirstRun.FirstCheckFetchesTheDemoMail" first_check_fetched_demo_mail
test_case "FirstRun.CtrlCEndsTheRun" interrupt_run
test_case "FirstRun.NothingItStartedOutlivesIt" nothing_left_running
test_case "FirstRun.TheDemoAccountIsForTheDemoMailbox" demo_account_port
test_case "FirstRun.ASecondRunKeepsTheDemoAccount" demo_account_kept
test_case "FirstRun.ASecondRunLeavesAnAccountOfTheUsersOwnAlone" own_account_left_alone
"$WINESERVER" -k 2>/dev/null
finish_tests first_run_test
