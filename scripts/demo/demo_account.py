#!/usr/bin/python3
"""Prints, as a REGEDIT4 file in code page 949, the demo accounts of the
first run: a POP3 account for the local demo mailbox, an IMAP account for
the demo mail over IMAP (user "demo-imap"), and the SMTP setting of the
local sink.

Usage: demo_account.py POP3_PORT IMAP_PORT SMTP_PORT [PASSWORD]
IMAP_PORT 0 leaves the IMAP account out; SMTP_PORT 0 leaves the outgoing
server and the sender as they are.

The password (default "secret", the demo mailbox's) is stored the way the
program's settings store writes it: byte i (from 1) becomes (b - i) mod 256,
and a result that would not come back unchanged from an ANSI registry string
(a 0 byte, or bytes that are not code page 949 text) is stored as 0x7F
followed by the scrambled bytes in upper-case hexadecimal.
"""
import os
import sys

KEY = "HKEY_CURRENT_USER\\Software\\Harrowby\\Tidemark"


def scramble(plain):
    return bytes((b - i) % 256 for i, b in enumerate(plain, 1))


def survives_ansi_registry(text):
    i = 0
    while i < len(text):
        lead = text[i]
        if lead == 0:
            return False
        if lead >= 0x80:
            pair_lead = 0xB0 <= lead <= 0xC8 or 0xCA <= lead <= 0xFD
            if not pair_lead or i + 1 == len(text) or not 0xA1 <= text[i + 1] <= 0xFE:
                return False
            i += 1
        i += 1
    return True


def stored_password(plain):
    scrambled = scramble(plain)
    if survives_ansi_registry(scrambled):
        return scrambled
    return b"\x7f" + scrambled.hex().upper().encode()


def string_value(name, data):
    escaped = data.replace(b"\\", b"\\\\").replace(b'"', b'\\"')
    return b'"%s"="%s"' % (name.encode(), escaped)


def dword_value(name, number):
    return b'"%s"=dword:%08x' % (name.encode(), number)


def text(korean):
    return korean.encode("cp949")


def account(name, user, port, protocol, password):
    return [
        dword_value("CheckYN", 1),
        string_value("Name", text(name)),
        string_value("Address", b"127.0.0.1"),
        string_value("ID", user),
        string_value("Password", stored_password(password)),
        dword_value("Port", port),
        dword_value("Protocol", protocol),  # 0 POP3, 1 IMAP
        dword_value("CheckAlgorithm", 2),  # every mail on the server
        dword_value("Notify", 8),  # the postman window
    ]


def demo_registry(pop3_port, imap_port, smtp_port, password):
    sections = [
        ("POP3", [dword_value("ServerNumber", 2 if imap_port else 1)]),
        ("POP3\\Server0", account("데모 메일함", b"demo", pop3_port, 0, password)),
    ]
    if imap_port:
        sections.append(("POP3\\Server1", account("데모 메일함 (IMAP)", b"demo-imap", imap_port, 1, password)))
    if smtp_port:
        sections += [
            ("SMTP", [string_value("SMTPAddress", b"127.0.0.1"), dword_value("SMTPPort", smtp_port)]),
            ("Setting", [string_value("UserName", text("데모 사용자")), string_value("UserMail", b"demo@demo.test")]),
        ]
    lines = [b"REGEDIT4", b""]
    for section, values in sections:
        lines.append(b"[%s\\%s]" % (KEY.encode(), section.encode()))
        lines.extend(values)
        lines.append(b"")
    return b"\r\n".join(lines) + b"\r\n"


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    password = os.fsencode(sys.argv[4]) if len(sys.argv) == 5 else b"secret"
    sys.stdout.buffer.write(demo_registry(int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), password))
