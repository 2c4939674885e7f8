#!/bin/bash
# Starts or stops the test TLS servers (tls_peer.py) in DIRECTORY.
#   tls_peer.sh start DIRECTORY
#   tls_peer.sh stop DIRECTORY
#
# The certificates (test_certificates.sh) are those of every TLS test server
# of the build tree, in DIRECTORY/../test-certs, linked as DIRECTORY/certs.
# The servers' ports are in DIRECTORY/ports (see tls_peer.py).
set -euo pipefail
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)

source "$here/detached_server.sh"
source "$here/test_certificates.sh"

case "$action" in
start)
    stop_server
    rm -rf "$dir"
    mkdir -p "$dir"
    ensure_certificates "$(dirname "$dir")/test-certs"
    ln -s ../test-certs "$dir/certs"
    start_server ports /usr/bin/python3 "$here/tls_peer.py" "$dir"
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop DIRECTORY" >&2
    exit 2
    ;;
esac
