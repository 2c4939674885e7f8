# Sourced by the peer scripts whose servers speak TLS: one test CA and its
# server certificates, made with openssl and shared by every server of one
# build tree (nothing secret is kept in the tree).
#
# ensure_certificates DIRECTORY makes them there unless a set less than a
# day old is present:
#   ca.pem, ca.der          "Tidemark Test CA", which the tests trust inside
#                           their Wine prefix only
#   good                    localhost and 127.0.0.1, issued by the CA
#   wrong-name              mail.invalid, issued by the CA
#   expired                 localhost, issued by the CA, valid in 2020 only
#   self-signed             localhost, issued by itself
#   self-signed-renewed     the same with a new key: a changed certificate
# NAME.pem and NAME.key for each; NAME.sha256 holds a certificate's SHA-256
# fingerprint as openssl prints it (AB:CD:...).

# issue NAME SUBJECT-NAME ALT-NAMES [openssl ca options]: a key and a
# certificate signed by the test CA.
issue_certificate() {
    local name=$1 cn=$2 alt=$3
    shift 3
    openssl req -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" -subj "/CN=$cn" \
        -addext "subjectAltName=$alt" -addext "extendedKeyUsage=serverAuth" 2>/dev/null
    openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in "$name.csr" -out "$name.pem" \
        -notext "$@" 2>/dev/null
}

self_sign_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 30 -subj "/CN=localhost" \
        -addext "subjectAltName=DNS:localhost" -addext "extendedKeyUsage=serverAuth" 2>/dev/null
}

make_certificates() (
    set -e
    rm -rf "$1.new"
    mkdir -p "$1.new"
    cd "$1.new"
    printf '%s\n' '[ca]' 'default_ca = test_ca' '[test_ca]' 'database = index.txt' 'new_certs_dir = .' \
        'serial = serial' 'default_md = sha256' 'default_days = 30' 'policy = any' 'copy_extensions = copy' \
        'unique_subject = no' '[any]' 'commonName = supplied' >ca.cnf
    : >index.txt
    echo 1000 >serial
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 -subj "/CN=Tidemark Test CA" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    openssl x509 -in ca.pem -outform DER -out ca.der
    issue_certificate good localhost "DNS:localhost,IP:127.0.0.1"
    issue_certificate wrong-name mail.invalid "DNS:mail.invalid"
    issue_certificate expired localhost "DNS:localhost" -startdate 20200101000000Z -enddate 20210101000000Z
    self_sign_certificate self-signed
    self_sign_certificate self-signed-renewed
    for name in good wrong-name expired self-signed self-signed-renewed; do
        openssl x509 -in "$name.pem" -noout -fingerprint -sha256 | cut -d= -f2 >"$name.sha256"
    done
    # Readable by servers that drop root (dovecot's login processes).
    chmod 755 .
    chmod 644 ./*
    cd ..
    rm -rf "$1"
    mv "$1.new" "$1"
)

ensure_certificates() {
    local certs=$1
    mkdir -p "$(dirname "$certs")"
    (
        flock 9
        if [ ! -s "$certs/good.sha256" ] || [ -n "$(find "$certs/good.sha256" -mmin +1440)" ]; then
            make_certificates "$certs"
        fi
    ) 9>"$certs.lock"
}
