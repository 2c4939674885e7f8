#!/usr/bin/python3
"""Loopback SMTP server for the tests (aiosmtpd).

Usage: smtp_sink.py DIRECTORY CERTIFICATES [PORT]
Listens on 127.0.0.1 and writes its ports to DIRECTORY:
  port            plain SMTP on PORT (a free port unless given), no login;
  starttls.port   STARTTLS required before anything else, then AUTH;
  tls.port        TLS from the first byte, then AUTH.
The TLS servers use the "good" certificate in CERTIFICATES and accept AUTH
PLAIN and LOGIN for the user "alice" with the password "secret" only.
Each accepted message is stored under the name of its first recipient:
NAME.envelope holds the sender and then every recipient, one per line;
NAME.eml holds the message data exactly as received, dot-stuffing removed.
What Python's email package reads from it goes into NAME.parsed: one line
"From:", "To:" and "Reply-To:" each with the addresses as "name|address"
joined by ", ", then "Attachment: FILENAME" for every part with a file
name, all in code page 949; the decoded text of the first text part is
NAME.body and the decoded bytes of attachment N (from 1) NAME.attachmentN.
"""
import asyncio
import email
import email.policy
import os
import re
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult


def text_bytes(text):
    """Header text as the bytes it came as: 8-bit bytes arrive as surrogates."""
    return text.encode("cp949", "surrogateescape")


def write_parsed(base, data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    lines = []
    for field in ("From", "To", "Reply-To"):
        header = message[field]
        addresses = header.addresses if header is not None else ()
        lines.append(field.encode() + b": " + b", ".join(
            text_bytes(a.display_name) + b"|" + text_bytes(a.addr_spec) for a in addresses))
    body_written = False
    attachments = 0
    for part in message.walk():
        if part.is_multipart():
            continue
        name = part.get_filename()
        if name is not None:
            attachments += 1
            lines.append(b"Attachment: " + text_bytes(name))
            with open("%s.attachment%d" % (base, attachments), "wb") as out:
                out.write(part.get_payload(decode=True))
        elif not body_written and part.get_content_maintype() == "text":
            body_written = True
            with open(base + ".body", "wb") as out:
                out.write(part.get_payload(decode=True))
    with open(base + ".parsed", "wb") as out:
        out.write(b"".join(line + b"\n" for line in lines))


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
        try:
            write_parsed(base, envelope.original_content)
        except Exception as error:  # the test reading NAME.parsed reports it
            with open(base + ".parsed", "w") as out:
                out.write("Error: %r\n" % error)
        return "250 Message accepted"


def authenticate(server, session, envelope, mechanism, auth_data):
    good = auth_data.login == b"alice" and auth_data.password == b"secret"
    # Not handled here: aiosmtpd answers a refusal with its 535.
    return AuthResult(success=good, handled=False)


async def listen(loop, directory, name, factory, context=None, port=0):
    server = await loop.create_server(factory, "127.0.0.1", port, ssl=context)
    path = os.path.join(directory, name)
    with open(path + ".tmp", "w") as out:
        out.write("%d\n" % server.sockets[0].getsockname()[1])
    os.replace(path + ".tmp", path)
    return server


async def serve(directory, certificates, port):
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
    server = await listen(loop, directory, "port", lambda: SMTP(handler, hostname="sink"), port=port)
    await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(serve(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 0))
