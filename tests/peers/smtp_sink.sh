#!/bin/bash
# Starts or stops the test SMTP sink (smtp_sink.py) that stores its messages
# and its port in DIRECTORY.
#   smtp_sink.sh start DIRECTORY [PORT]   (a free port unless given)
#   smtp_sink.sh stop DIRECTORY
set -euo pipefail
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)

source "$here/detached_server.sh"

case "$action" in
start)
    stop_server
    rm -rf "$dir"
    mkdir -p "$dir"
    start_server port /usr/bin/python3 "$here/smtp_sink.py" "$dir" ${3:-}
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop DIRECTORY" >&2
    exit 2
    ;;
esac
