#!/usr/bin/python3
"""Loopback TLS servers for the tests (Python's ssl module).

Usage: tls_peer.py DIRECTORY CERTS
CERTS holds the certificates and keys that test_certificates.sh made. Each
server below listens on a free port of 127.0.0.1; when all are up, the file
DIRECTORY/ports lists them, one "NAME PORT" a line.

TLS from the first byte, one server per certificate (good, wrong-name,
expired, self-signed, self-signed-renewed): after the handshake the server
says "+OK ready for NAME" with the name the client asked for (SNI), or
"+OK ready" without one, then answers each line:
  "SEND n"  n bytes of the letters a-z repeated, then CR LF;
  "USER x", "PASS x"  "+OK", and "STAT " "+OK 0 0": enough of a POP3
            login for a client to tell that the session works;
  "FORGE"   a record that is not what it claims (a data record with
            nothing valid in it), straight onto the connection;
  "QUIT"    "+OK bye", then closes the TLS session (close_notify) and,
            once the client has closed its side the same way, adds a line
            to DIRECTORY/clean-closes; then the connection;
  any other line is sent back as it came.
plain: the same dialogue without TLS, greeting "+OK plain ready"; the line
  "STLS" is answered "+OK begin TLS" and the session goes on over TLS with
  the good certificate (no new greeting).
outdated: as good, but with nothing newer than TLS 1.1.
asks-certificate: as good, but asks the client for a certificate (which
  it need not give).
silent: accepts the connection and never sends or reads a byte.
hangup: reads the first bytes the client sends, then closes.
"""
import os
import socket
import ssl
import sys
import threading
import warnings

CLEAN_CLOSES = None  # the file that counts the clean closes

CERTIFICATES = ["good", "wrong-name", "expired", "self-signed", "self-signed-renewed"]


def note_server_name(tls, name, _):
    tls.requested_name = name


def server_context(certs, name):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(os.path.join(certs, name + ".pem"), os.path.join(certs, name + ".key"))
    context.sni_callback = note_server_name
    # A connection that ends without close_notify is no clean close.
    context.options &= ~ssl.OP_IGNORE_UNEXPECTED_EOF
    return context


def read_line(connection, pending):
    while b"\r\n" not in pending[0]:
        data = connection.recv(65536)
        if not data:
            return None
        pending[0] += data
    line, pending[0] = pending[0].split(b"\r\n", 1)
    return line


def converse(connection, greeting, upgrade):
    """The line dialogue; returns the TLS connection when it ended by STLS."""
    connection.sendall(greeting)
    pending = [b""]
    while True:
        line = read_line(connection, pending)
        if line is None:
            return None
        if line == b"QUIT":
            connection.sendall(b"+OK bye\r\n")
            if isinstance(connection, ssl.SSLSocket):
                connection.unwrap()
                with open(CLEAN_CLOSES, "a") as out:
                    out.write("closed\n")
            return None
        if line.startswith(b"SEND "):
            count = int(line[5:])
            pattern = bytes(range(ord("a"), ord("z") + 1))
            connection.sendall((pattern * (count // 26 + 1))[:count] + b"\r\n")
        elif line.startswith((b"USER ", b"PASS ")):
            connection.sendall(b"+OK\r\n")
        elif line == b"STAT ":
            connection.sendall(b"+OK 0 0\r\n")
        elif line == b"FORGE" and isinstance(connection, ssl.SSLSocket):
            socket.socket.sendall(connection, b"\x17\x03\x03\x00\x20" + bytes(32))
        elif line == b"STLS" and upgrade is not None:
            connection.sendall(b"+OK begin TLS\r\n")
            return upgrade.wrap_socket(connection, server_side=True)
        else:
            connection.sendall(line + b"\r\n")


def serve_tls(connection, context):
    with context.wrap_socket(connection, server_side=True) as tls:
        name = getattr(tls, "requested_name", None)
        converse(tls, b"+OK ready for %s\r\n" % name.encode() if name else b"+OK ready\r\n", None)


def serve_plain(connection, context):
    tls = converse(connection, b"+OK plain ready\r\n", context)
    if tls is not None:
        with tls:
            converse(tls, b"", None)


def serve_silent(connection, _):
    # Holds the connection until the client gives up.
    connection.settimeout(120)
    while connection.recv(65536):
        pass


def serve_hangup(connection, _):
    connection.recv(65536)


def guarded(handler, connection, context):
    try:
        handler(connection, context)
    except (OSError, ValueError):
        pass  # a client that broke off, as several tests do on purpose
    finally:
        connection.close()


def listen(handler, context):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)

    def accept_forever():
        while True:
            connection, _ = listener.accept()
            threading.Thread(target=guarded, args=(handler, connection, context), daemon=True).start()

    threading.Thread(target=accept_forever, daemon=True).start()
    return listener.getsockname()[1]


def main(directory, certs):
    global CLEAN_CLOSES
    CLEAN_CLOSES = os.path.join(directory, "clean-closes")
    ports = {name: listen(serve_tls, server_context(certs, name)) for name in CERTIFICATES}
    outdated = server_context(certs, "good")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        outdated.minimum_version = ssl.TLSVersion.TLSv1
        outdated.maximum_version = ssl.TLSVersion.TLSv1_1
    outdated.set_ciphers("DEFAULT:@SECLEVEL=0")
    ports["outdated"] = listen(serve_tls, outdated)
    asking = server_context(certs, "good")
    asking.verify_mode = ssl.CERT_OPTIONAL
    asking.load_verify_locations(os.path.join(certs, "ca.pem"))
    ports["asks-certificate"] = listen(serve_tls, asking)
    ports["plain"] = listen(serve_plain, server_context(certs, "good"))
    ports["silent"] = listen(serve_silent, None)
    ports["hangup"] = listen(serve_hangup, None)
    path = os.path.join(directory, "ports")
    with open(path + ".tmp", "w") as out:
        out.write("".join("%s %d\n" % item for item in ports.items()))
    os.replace(path + ".tmp", path)
    threading.Event().wait()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
