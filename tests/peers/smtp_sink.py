#!/usr/bin/python3
"""Loopback SMTP server for the tests (aiosmtpd).

Usage: smtp_sink.py DIRECTORY CERTIFICATES
Listens on free ports of 127.0.0.1 and writes them to DIRECTORY:
  port            plain SMTP, no extensions needed, no login;
  starttls.port   STARTTLS required before anything else, then AUTH;
  tls.port        TLS from the first byte, then AUTH.
The TLS servers use the "good" certificate in CERTIFICATES and accept AUTH
PLAIN and LOGIN for the user "alice" with the password "secret" only.
Each accepted message is stored under the name of its first recipient:
NAME.envelope holds the sender and then every recipient, one per line;
NAME.eml holds the message data exactly as received, dot-stuffing removed.
"""
import asyncio
import os
import re
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult


class SinkHandler:
    def __init__(self, directory):
        self.directory = directory

    async def handle_DATA(self, server, session, envelope):
        name = re.sub(r"[^A-Za-z0-9@._-]", "_", envelope.rcpt_tos[0])
        base = os.path.join(self.directory, name)
        with open(base + ".envelope", "w") as out:
            out.write("".join(line + "\n" for line in [envelope.mail_from] + envelope.rcpt_tos))
        with open(base + ".eml", "wb") as out:
            out.write(envelope.original_content)
        return "250 Message accepted"


def authenticate(server, session, envelope, mechanism, auth_data):
    good = auth_data.login == b"alice" and auth_data.password == b"secret"
    # Not handled here: aiosmtpd answers a refusal with its 535.
    return AuthResult(success=good, handled=False)


async def listen(loop, directory, name, factory, context=None):
    server = await loop.create_server(factory, "127.0.0.1", 0, ssl=context)
    path = os.path.join(directory, name)
    with open(path + ".tmp", "w") as out:
        out.write("%d\n" % server.sockets[0].getsockname()[1])
    os.replace(path + ".tmp", path)
    return server


async def serve(directory, certificates):
    loop = asyncio.get_running_loop()
    handler = SinkHandler(directory)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(os.path.join(certificates, "good.pem"), os.path.join(certificates, "good.key"))
    await listen(loop, directory, "starttls.port",
                 lambda: SMTP(handler, hostname="sink", tls_context=context, require_starttls=True,
                              authenticator=authenticate, auth_require_tls=True))
    await listen(loop, directory, "tls.port",
                 lambda: SMTP(handler, hostname="sink", authenticator=authenticate, auth_require_tls=False),
                 context)
    # Last: its port tells the starting script that all are up.
    server = await listen(loop, directory, "port", lambda: SMTP(handler, hostname="sink"))
    await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(serve(sys.argv[1], sys.argv[2]))
