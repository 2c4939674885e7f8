#!/bin/bash
# Starts or stops a test server written in Python, which writes its port (and
# whatever else it keeps) to DIRECTORY. The server is the script named like
# the link this was called through: smtp_sink.sh runs smtp_sink.py.
#   smtp_sink.sh start DIRECTORY
#   smtp_sink.sh stop DIRECTORY
set -euo pipefail
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
server=$(basename "$0" .sh)

stop() {
    if [ -f "$dir/pid" ]; then
        kill "$(cat "$dir/pid")" 2>/dev/null || true
        rm -f "$dir/pid"
    fi
}

case "$action" in
start)
    stop
    rm -rf "$dir"
    mkdir -p "$dir"
    # Detached, with no inherited output, so that ctest does not wait for it.
    setsid /usr/bin/python3 "$here/$server.py" "$dir" >"$dir/$server.log" 2>&1 </dev/null &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
        [ -s "$dir/port" ] && exit 0
        sleep 0.1
    done
    echo "$server did not start:" >&2
    cat "$dir/$server.log" >&2
    stop
    exit 1
    ;;
stop)
    stop
    ;;
*)
    echo "usage: $0 start|stop DIRECTORY" >&2
    exit 2
    ;;
esac
