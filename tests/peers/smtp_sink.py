#!/usr/bin/python3
"""Loopback SMTP server for the tests (aiosmtpd).

Usage: smtp_sink.py DIRECTORY [PORT]
Listens on PORT (a free port unless given) of 127.0.0.1 and writes that port
to DIRECTORY/port.
Each accepted message is stored under the name of its first recipient:
NAME.envelope holds the sender and then every recipient, one per line;
NAME.eml holds the message data exactly as received, dot-stuffing removed.
"""
import asyncio
import os
import re
import sys

from aiosmtpd.smtp import SMTP


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


async def serve(directory, port):
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: SMTP(SinkHandler(directory), hostname="sink"), "127.0.0.1", port)
    port_file = os.path.join(directory, "port")
    with open(port_file + ".tmp", "w") as out:
        out.write("%d\n" % server.sockets[0].getsockname()[1])
    os.replace(port_file + ".tmp", port_file)
    await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(serve(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 0))
