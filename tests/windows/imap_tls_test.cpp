// CImapSession over TLS: dovecot serving IMAP over TLS only (STARTTLS,
// LOGINDISABLED before it, and TLS from the first byte), and a server whose
// certificate Windows does not trust.
#include "mail/imap_session.h"
#include "tls_test_peer.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(ImapTls, LogsInOverStarttlsOrTlsAndRefusesAnUntrustedCertificate) {
    ASSERT_TRUE(TrustTlsPeerAuthority()) << "the TLS test servers are not running";
    for (const auto& [security, portFile] : {std::pair{ConnectionSecurity::StartTls, "/imap-stls.port"},
                                             std::pair{ConnectionSecurity::TlsOnConnect, "/imaps.port"}}) {
        SCOPED_TRACE(portFile);
        int port = 0;
        std::ifstream(std::string(TIDEMARK_PEERS_DIR) + portFile) >> port;
        CImapSession session;
        session.SetSecurity(security, "");
        ASSERT_TRUE(session.Login("localhost", "ivy", "secret", port))
            << static_cast<int>(session.GetResult());
        EXPECT_FALSE(session.HasCapability("LOGINDISABLED")); // asked again under TLS
        ASSERT_TRUE(session.OpenInbox(false));
        std::vector<std::uint32_t> uids;
        EXPECT_TRUE(session.SearchUnseen(0, uids));
        EXPECT_EQ(uids, (std::vector<std::uint32_t>{2, 3}));
        EXPECT_TRUE(session.Logout());
    }
    CImapSession session;
    session.SetSecurity(ConnectionSecurity::TlsOnConnect, "");
    EXPECT_FALSE(session.Login("localhost", "ivy", "secret", TlsPeerPort("self-signed")));
    EXPECT_EQ(session.GetResult(), ImapResult::Tls);
    EXPECT_EQ(session.GetTlsFailure(), TlsFailure::CertificateUntrusted);
    EXPECT_TRUE(SameFingerprint(session.GetCertificateFingerprint(), TlsPeerFingerprint("self-signed")));
}
