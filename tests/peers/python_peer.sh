#!/bin/bash
# Starts or stops a test server written in Python, which writes its port (and
# whatever else it keeps) to DIRECTORY. The server is the script named like
# the link this was called through: smtp_sink.sh runs smtp_sink.py. Its
# second argument is the folder of the build tree's test certificates
# (test_certificates.sh), for the servers that speak TLS; DIRECTORY/certs
# links to it for the tests. tls_peer.py serves many ports and lists them in
# DIRECTORY/ports instead.
#   smtp_sink.sh start DIRECTORY [PORT]   (a free port unless given)
#   smtp_sink.sh stop DIRECTORY
set -euo pipefail
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
server=$(basename "$0" .sh)

source "$here/detached_server.sh"
source "$here/test_certificates.sh"

case "$action" in
start)
    stop_server
    rm -rf "$dir"
    mkdir -p "$dir"
    certs=$(dirname "$dir")/test-certs
    ensure_certificates "$certs"
    ln -s ../test-certs "$dir/certs"
    ready=port
    [ "$server" = tls_peer ] && ready=ports
    start_server $ready /usr/bin/python3 "$here/$server.py" "$dir" "$certs" ${3:-}
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop DIRECTORY" >&2
    exit 2
    ;;
esac
