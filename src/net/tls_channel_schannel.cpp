// TLS through SChannel (SSPI): the handshake, record encryption and the
// shutdown run in SChannel; the bytes travel over the stream beneath.
#include "net/tls_channel.h"

#include "base/ascii_text.h"

#include "net/server_certificate.h"

#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS // declares SCH_CREDENTIALS
#include <windows.h>
#include <subauth.h>
#include <schannel.h>
#include <security.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr ULONG defaultRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                 ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr DWORD credentialFlags =
    SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
constexpr size_t receiveChunk = 16384 + 512;

std::string StatusCode(SECURITY_STATUS status) {
    return "0x" + HexText(static_cast<unsigned long>(status), 8);
}

// The time left of a handshake, and the stop flag that may end it early.
class CDeadline {
  public:
    CDeadline(int timeoutMs, const std::atomic<int>* stopFlag)
        : end(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)), stopFlag(stopFlag) {}
    // The milliseconds to wait next: at most a quarter of a second, so that
    // a stop is seen; 0 once passed or stopped.
    int NextSliceMs() const {
        if (stopFlag && stopFlag->load() == 0)
            return 0;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                .count();
        return left > 0 ? static_cast<int>(std::min<long long>(left, 250)) : 0;
    }

  private:
    std::chrono::steady_clock::time_point end;
    const std::atomic<int>* stopFlag;
};

// How long a renegotiation (new keys asked for while reading) may take.
constexpr int renegotiationTimeoutMs = 10000;

class CSchannelChannel final : public CTlsChannel {
  public:
    explicit CSchannelChannel(CByteStream& lower) : lower(lower) {}
    ~CSchannelChannel() override;

    bool Handshake(const std::string& host, const std::string& trustedFingerprint, int timeoutMs,
                   const std::atomic<int>* stopFlag) override;
    int Read(char* buffer, size_t size) override;
    int Write(const char* data, size_t length) override;
    int Wait(bool forWriting, int ms) override;
    void Shutdown() override;

  private:
    bool AcquireCredentials();
    // Feeds SChannel what `incoming` holds (after receiving more first, when
    // asked), receiving more whenever it wants it, until the handshake is
    // complete; leaves in `incoming` the bytes that follow the handshake.
    bool ContinueHandshake(const CDeadline& deadline, bool receiveFirst);
    bool CheckProtocol();
    bool CheckCertificate(const std::string& trustedFingerprint);
    bool QuerySizes();
    // Decrypts the first record of `incoming` into `plain`: 1 done (also
    // for a record without data), 0 when the record is not complete yet,
    // -1 on failure.
    int DecryptRecord();
    // Decrypts what has arrived and takes what the stream beneath has now,
    // without waiting: true when Read has something to report (data, the
    // end, a failure).
    bool Pump();
    bool HasNews() const { return plainStart < plain.size() || peerClosed || !established; }
    // Handshake waits: the stream beneath ready within the deadline.
    bool WaitLower(bool forWriting, const CDeadline& deadline);
    // Appends what arrives within the deadline to `incoming`: the count, 0
    // when the peer closed, -1 on error or time-out.
    int ReceiveMore(const CDeadline& deadline);
    // Queues a token SChannel allocated, frees it, and sends the queue
    // within the deadline.
    bool SendToken(SecBuffer& token, const CDeadline& deadline);
    // Writes what `outgoing` holds as far as the stream takes it now:
    // false on an error.
    bool Flush();
    // Ends an established session that broke down; false.
    bool Break(SECURITY_STATUS status = SEC_E_OK);
    void FreeContext();

    CByteStream& lower;
    std::string host;
    CredHandle credentials = {};
    CtxtHandle context = {};
    ULONG requestFlags = defaultRequest;
    bool haveCredentials = false;
    bool haveContext = false;
    bool established = false;
    bool peerClosed = false;
    bool timedOut = false;
    SecPkgContext_StreamSizes sizes = {};
    std::string incoming;  // received, not yet decrypted
    std::string plain;     // decrypted, not yet handed out
    size_t plainStart = 0; // the first byte of plain not handed out
    std::string outgoing;  // encrypted, not yet taken by the stream beneath
};

CSchannelChannel::~CSchannelChannel() {
    FreeContext();
    if (haveCredentials)
        FreeCredentialsHandle(&credentials);
}

bool CSchannelChannel::Break(SECURITY_STATUS status) {
    FreeContext();
    return Fail(TlsFailure::Stream, host, status == SEC_E_OK ? std::string() : StatusCode(status));
}

void CSchannelChannel::FreeContext() {
    if (haveContext)
        DeleteSecurityContext(&context);
    haveContext = false;
    established = false;
}

bool CSchannelChannel::AcquireCredentials() {
    // TLS 1.2 and later. SCH_CREDENTIALS is what Windows 10 (1809) and later
    // take, and what TLS 1.3 needs; older systems know only SCHANNEL_CRED.
    TLS_PARAMETERS parameters = {};
    parameters.grbitDisabledProtocols =
        SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
    SCH_CREDENTIALS modern = {};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags = credentialFlags;
    modern.cTlsParameters = 1;
    modern.pTlsParameters = &parameters;
    TimeStamp expiry;
    char package[] = UNISP_NAME_A;
    SECURITY_STATUS status = AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr,
                                                       &modern, nullptr, nullptr, &credentials, &expiry);
    if (status != SEC_E_OK) {
        SCHANNEL_CRED older = {};
        older.dwVersion = SCHANNEL_CRED_VERSION;
        older.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        older.dwFlags = credentialFlags;
        status = AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &older, nullptr,
                                           nullptr, &credentials, &expiry);
    }
    haveCredentials = status == SEC_E_OK;
    return haveCredentials || Fail(TlsFailure::Handshake, host, StatusCode(status));
}

bool CSchannelChannel::WaitLower(bool forWriting, const CDeadline& deadline) {
    for (;;) {
        const int sliceMs = deadline.NextSliceMs();
        if (sliceMs == 0)
            return false;
        const int ready = lower.Wait(forWriting, sliceMs);
        if (ready != 0)
            return ready > 0;
    }
}

bool CSchannelChannel::Flush() {
    while (!outgoing.empty()) {
        const int n = lower.Write(outgoing.data(), outgoing.size());
        if (n == wouldBlock)
            return true;
        if (n < 0)
            return false;
        outgoing.erase(0, static_cast<size_t>(n));
    }
    return true;
}

bool CSchannelChannel::SendToken(SecBuffer& token, const CDeadline& deadline) {
    if (token.pvBuffer) {
        outgoing.append(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
        FreeContextBuffer(token.pvBuffer);
        token.pvBuffer = nullptr;
    }
    while (Flush() && !outgoing.empty())
        if (!WaitLower(true, deadline))
            return false;
    return outgoing.empty();
}

int CSchannelChannel::ReceiveMore(const CDeadline& deadline) {
    char buffer[receiveChunk];
    for (;;) {
        const int n = lower.Read(buffer, sizeof buffer);
        if (n > 0)
            incoming.append(buffer, static_cast<size_t>(n));
        if (n != wouldBlock)
            return n;
        if (!WaitLower(false, deadline)) {
            timedOut = true;
            return -1;
        }
    }
}

bool CSchannelChannel::Handshake(const std::string& serverHost, const std::string& trustedFingerprint,
                                 int timeoutMs, const std::atomic<int>* stopFlag) {
    host = serverHost;
    if (haveCredentials) // one handshake per channel
        return Fail(TlsFailure::Handshake, host);
    if (!AcquireCredentials())
        return false;
    const CDeadline deadline(timeoutMs, stopFlag);

    // The first call makes the ClientHello; the target name is the SNI.
    SecBuffer hello = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc helloDesc = {SECBUFFER_VERSION, 1, &hello};
    ULONG attributes = 0;
    const SECURITY_STATUS status =
        InitializeSecurityContextA(&credentials, nullptr, const_cast<char*>(host.c_str()), requestFlags, 0, 0,
                                   nullptr, 0, &context, &helloDesc, &attributes, nullptr);
    if (status != SEC_I_CONTINUE_NEEDED)
        return Fail(TlsFailure::Handshake, host, StatusCode(status));
    haveContext = true;
    if (!SendToken(hello, deadline))
        return Fail(TlsFailure::Closed, host);
    if (!ContinueHandshake(deadline, true) || !CheckProtocol() || !CheckCertificate(trustedFingerprint) ||
        !QuerySizes()) {
        FreeContext();
        return false;
    }
    established = true;
    return true;
}

bool CSchannelChannel::ContinueHandshake(const CDeadline& deadline, bool receiveFirst) {
    for (bool receive = receiveFirst;;) {
        if (receive) {
            const int n = ReceiveMore(deadline);
            if (n <= 0)
                return Fail(n < 0 && timedOut ? TlsFailure::TimedOut : TlsFailure::Closed, host);
        }
        SecBuffer in[2] = {{static_cast<ULONG>(incoming.size()), SECBUFFER_TOKEN, &incoming[0]},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
        SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
        SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, out};
        ULONG attributes = 0;
        const SECURITY_STATUS status =
            InitializeSecurityContextA(&credentials, &context, const_cast<char*>(host.c_str()), requestFlags,
                                       0, 0, &inDesc, 0, nullptr, &outDesc, &attributes, nullptr);
        receive = true;
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            continue;
        // A token goes out also with a failure: it is the alert that tells
        // the server why.
        const bool sent = SendToken(out[0], deadline);
        if (status == SEC_I_INCOMPLETE_CREDENTIALS && !(requestFlags & ISC_REQ_USE_SUPPLIED_CREDS)) {
            // The server asked for a client certificate: go on without one,
            // with the same input.
            requestFlags |= ISC_REQ_USE_SUPPLIED_CREDS;
            receive = false;
            continue;
        }
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
            return Fail(TlsFailure::Handshake, host, StatusCode(status));
        if (!sent)
            return Fail(timedOut ? TlsFailure::TimedOut : TlsFailure::Closed, host);
        if (in[1].BufferType == SECBUFFER_EXTRA)
            incoming.erase(0, incoming.size() - in[1].cbBuffer);
        else
            incoming.clear();
        if (status == SEC_E_OK)
            return true;
        receive = incoming.empty();
    }
}

bool CSchannelChannel::CheckProtocol() {
    // The credentials disable the older versions, but Wine's SChannel
    // ignores SCH_CREDENTIALS' TLS parameters: check what was negotiated.
    SecPkgContext_ConnectionInfo connection = {};
    if (QueryContextAttributesA(&context, SECPKG_ATTR_CONNECTION_INFO, &connection) != SEC_E_OK)
        return Fail(TlsFailure::Handshake, host);
    constexpr DWORD tooOld =
        SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
    return !(connection.dwProtocol & tooOld) || Fail(TlsFailure::ProtocolTooOld, host);
}

bool CSchannelChannel::QuerySizes() {
    const SECURITY_STATUS status = QueryContextAttributesA(&context, SECPKG_ATTR_STREAM_SIZES, &sizes);
    return status == SEC_E_OK || Fail(TlsFailure::Handshake, host, StatusCode(status));
}

bool CSchannelChannel::CheckCertificate(const std::string& trustedFingerprint) {
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesA(&context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        !certificate)
        return Fail(TlsFailure::CertificateUntrusted, host);
    fingerprint = CertificateFingerprint(certificate);
    const TlsFailure verdict = CheckServerCertificate(certificate, host);
    CertFreeCertificateContext(certificate);
    return verdict == TlsFailure::None || SameFingerprint(trustedFingerprint, fingerprint) ||
           Fail(verdict, host);
}

int CSchannelChannel::Write(const char* data, size_t length) {
    if (!established || !Flush()) {
        Break();
        return -1;
    }
    if (!outgoing.empty())
        return wouldBlock; // one record at a time
    std::vector<char> record(sizes.cbHeader + sizes.cbMaximumMessage + sizes.cbTrailer);
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(length, sizes.cbMaximumMessage));
    std::memcpy(&record[sizes.cbHeader], data, chunk);
    SecBuffer buffers[4] = {{sizes.cbHeader, SECBUFFER_STREAM_HEADER, &record[0]},
                            {chunk, SECBUFFER_DATA, &record[sizes.cbHeader]},
                            {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, &record[sizes.cbHeader + chunk]},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = EncryptMessage(&context, 0, &desc, 0);
    if (status != SEC_E_OK) {
        Break(status);
        return -1;
    }
    outgoing.assign(&record[0], buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
    if (!Flush()) {
        Break();
        return -1;
    }
    return static_cast<int>(chunk);
}

int CSchannelChannel::DecryptRecord() {
    SecBuffer buffers[4] = {{static_cast<ULONG>(incoming.size()), SECBUFFER_DATA, &incoming[0]},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    // An alert record (content type 21) visible in the record header.
    const bool alert = incoming[0] == '\x15';
    const SECURITY_STATUS status = DecryptMessage(&context, &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE)
        return 0;
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) {
        Break(status);
        return -1;
    }
    // Decrypted in place: take the data and what follows the record before
    // `incoming` changes.
    std::string extra;
    const size_t plainBefore = plain.size();
    for (const SecBuffer& buffer : buffers) {
        if (buffer.BufferType == SECBUFFER_DATA)
            plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
        else if (buffer.BufferType == SECBUFFER_EXTRA)
            extra.assign(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
    }
    incoming.swap(extra);
    // close_notify. Wine's SChannel reports it as an alert record without
    // data (TLS 1.2 shows the type in the header; under TLS 1.3 only the
    // end of the connection tells).
    if (status == SEC_I_CONTEXT_EXPIRED || (alert && plain.size() == plainBefore))
        peerClosed = true;
    // The server wants new keys (TLS 1.2 renegotiation, TLS 1.3 key update
    // or session ticket): SChannel takes what follows the record as a
    // handshake token.
    if (status == SEC_I_RENEGOTIATE &&
        !ContinueHandshake(CDeadline(renegotiationTimeoutMs, nullptr), false)) {
        FreeContext();
        return -1;
    }
    return 1;
}

bool CSchannelChannel::Pump() {
    char buffer[receiveChunk];
    while (!HasNews()) {
        const int decrypted = incoming.empty() ? 0 : DecryptRecord();
        if (decrypted != 0)
            continue; // a record, or a failure that ended the session
        const int n = lower.Read(buffer, sizeof buffer);
        if (n == wouldBlock)
            return false;
        if (n > 0)
            incoming.append(buffer, static_cast<size_t>(n));
        else if (n == 0)
            peerClosed = true; // closed without close_notify
        else
            Break();
    }
    return true;
}

int CSchannelChannel::Read(char* buffer, size_t size) {
    if (!Pump())
        return wouldBlock;
    if (plainStart == plain.size()) {
        plain.clear();
        plainStart = 0;
        return peerClosed && established ? 0 : -1;
    }
    const size_t count = std::min(size, plain.size() - plainStart);
    std::memcpy(buffer, plain.data() + plainStart, count);
    plainStart += count;
    return static_cast<int>(count);
}

int CSchannelChannel::Wait(bool forWriting, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (established && !Flush())
            Break();
        if (!established)
            return 1; // Read and Write report the failure
        if (forWriting ? outgoing.empty() : Pump())
            return 1;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                .count();
        if (left <= 0)
            return 0;
        // Encrypted bytes still queued go out before a reply can come.
        const int ready = lower.Wait(forWriting || !outgoing.empty(), static_cast<int>(left));
        if (ready <= 0)
            return ready;
    }
}

void CSchannelChannel::Shutdown() {
    if (established && Flush() && outgoing.empty()) {
        DWORD type = SCHANNEL_SHUTDOWN;
        SecBuffer control = {sizeof type, SECBUFFER_TOKEN, &type};
        SecBufferDesc controlDesc = {SECBUFFER_VERSION, 1, &control};
        SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
        SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, out};
        ULONG attributes = 0;
        if (ApplyControlToken(&context, &controlDesc) == SEC_E_OK)
            InitializeSecurityContextA(&credentials, &context, const_cast<char*>(host.c_str()), requestFlags,
                                       0, 0, nullptr, 0, nullptr, &outDesc, &attributes, nullptr);
        if (out[0].pvBuffer) {
            outgoing.assign(static_cast<const char*>(out[0].pvBuffer), out[0].cbBuffer);
            FreeContextBuffer(out[0].pvBuffer);
            Flush();
        }
    }
    FreeContext();
}

} // namespace

std::unique_ptr<CTlsChannel> CreateTlsChannel(CByteStream& lower) {
    return std::make_unique<CSchannelChannel>(lower);
}
