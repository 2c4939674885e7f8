#!/bin/bash
# Starts or stops the test TLS servers (tls_peer.py) in DIRECTORY.
#   tls_peer.sh start DIRECTORY
#   tls_peer.sh stop DIRECTORY
#
# Every start makes a fresh test CA and server certificates with openssl in
# DIRECTORY/certs (nothing secret is kept in the tree):
#   ca.pem, ca.der          "Tidemark Test CA", which the tests trust inside
#                           their Wine prefix only
#   good                    localhost and 127.0.0.1, issued by the CA
#   wrong-name              mail.invalid, issued by the CA
#   expired                 localhost, issued by the CA, valid in 2020 only
#   self-signed             localhost, issued by itself
#   self-signed-renewed     the same with a new key: a changed certificate
# NAME.sha256 holds a certificate's SHA-256 fingerprint as openssl prints it
# (AB:CD:...). The servers' ports are in DIRECTORY/ports (see tls_peer.py).
set -euo pipefail
action=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)

source "$here/detached_server.sh"

# issue NAME SUBJECT-NAME ALT-NAMES [openssl ca options]: a key and a
# certificate signed by the test CA.
issue() {
    local name=$1 cn=$2 alt=$3
    shift 3
    openssl req -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" -subj "/CN=$cn" \
        -addext "subjectAltName=$alt" -addext "extendedKeyUsage=serverAuth" 2>/dev/null
    openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in "$name.csr" -out "$name.pem" \
        -notext "$@" 2>/dev/null
}

self_sign() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 30 -subj "/CN=localhost" \
        -addext "subjectAltName=DNS:localhost" -addext "extendedKeyUsage=serverAuth" 2>/dev/null
}

make_certificates() {
    mkdir -p "$dir/certs"
    cd "$dir/certs"
    printf '%s\n' '[ca]' 'default_ca = test_ca' '[test_ca]' 'database = index.txt' 'new_certs_dir = .' \
        'serial = serial' 'default_md = sha256' 'default_days = 30' 'policy = any' 'copy_extensions = copy' \
        'unique_subject = no' '[any]' 'commonName = supplied' >ca.cnf
    : >index.txt
    echo 1000 >serial
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 -subj "/CN=Tidemark Test CA" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    openssl x509 -in ca.pem -outform DER -out ca.der
    issue good localhost "DNS:localhost,IP:127.0.0.1"
    issue wrong-name mail.invalid "DNS:mail.invalid"
    issue expired localhost "DNS:localhost" -startdate 20200101000000Z -enddate 20210101000000Z
    self_sign self-signed
    self_sign self-signed-renewed
    for name in good wrong-name expired self-signed self-signed-renewed; do
        openssl x509 -in "$name.pem" -noout -fingerprint -sha256 | cut -d= -f2 >"$name.sha256"
    done
    cd - >/dev/null
}

case "$action" in
start)
    stop_server
    rm -rf "$dir"
    mkdir -p "$dir"
    make_certificates
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
