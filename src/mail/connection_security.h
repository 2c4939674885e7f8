// How a mail session protects its connection. The numbers are what the
// settings store ("Security", "SMTPSecurity").
#pragma once

enum class ConnectionSecurity {
    None = 0,         // plain, as mail was sent and fetched before TLS
    TlsOnConnect = 1, // TLS from the first byte (POP3 995, IMAP 993, SMTP 465)
    StartTls = 2,     // plain greeting, then STLS (POP3) or STARTTLS (IMAP, SMTP)
};

// Whether a stored number names one of the securities above.
inline bool IsKnownSecurity(int stored) {
    return stored >= 0 && stored <= 2;
}

// A stored number as a security. A number that names none (a damaged value)
// is TLS from the first byte: a password never goes out in plain by mistake.
inline ConnectionSecurity SecurityOf(int stored) {
    return IsKnownSecurity(stored) ? static_cast<ConnectionSecurity>(stored)
                                   : ConnectionSecurity::TlsOnConnect;
}

// The port a server usually serves in each security; for POP3, IMAP and SMTP.
inline int UsualPop3Port(ConnectionSecurity security) {
    return security == ConnectionSecurity::TlsOnConnect ? 995 : 110;
}
inline int UsualImapPort(ConnectionSecurity security) {
    return security == ConnectionSecurity::TlsOnConnect ? 993 : 143;
}
inline int UsualSmtpPort(ConnectionSecurity security) {
    return security == ConnectionSecurity::TlsOnConnect ? 465
           : security == ConnectionSecurity::StartTls   ? 587
                                                        : 25;
}
