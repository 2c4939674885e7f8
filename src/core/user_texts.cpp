#include "core/user_texts.h"

const char* const errorRowSender = "[에러]";

const char* const noSocketText = "소켓을 생성 할 수 없습니다!";
const char* const noSocketCaption = "치명적 오류";

std::string CheckingAccountText(const std::string& accountName) {
    return accountName + " 체크 중...";
}

const char* const outOfMemoryText = "메모리가 부족하여 메일 체크를 마치지 못했습니다.";
const char* const checkFailedText = "메일 체크 중에 오류가 발생했습니다.";
const char* const offlineText = "네트워크에 연결되어 있지 않습니다";
const char* const offlineRowAccount = "모든 계정";
const char* const offlineRowText = "네트워크에 연결되어 있지 않습니다. 메일 서버에 연결되면 다시 체크합니다.";
const char* const checkRunningText = "메일 체크 중...";
const char* const checkPausedText = "자동 체크 기능 멈춤";

std::string NextCheckText(const std::string& clockTime) {
    return "다음 체크: " + clockTime;
}

const char* const trustHintText =
    " 받는 메일 서버의 등록 정보에서 \"인증서 확인\"으로 이 인증서를 신뢰할 수 있습니다.";

namespace {

std::string TlsReasonText(TlsFailure failure, const std::string& host) {
    switch (failure) {
    case TlsFailure::None:
        return std::string();
    case TlsFailure::Unsupported:
        return "TLS를 지원하지 않습니다.";
    case TlsFailure::Handshake:
        return host + " 서버와 보안 연결(TLS)을 맺지 못했습니다.";
    case TlsFailure::ProtocolTooOld:
        return host + " 서버가 TLS 1.2 이상을 지원하지 않습니다.";
    case TlsFailure::TimedOut:
        return host + " 서버가 보안 연결(TLS) 중에 응답하지 않습니다.";
    case TlsFailure::Closed:
        return host + " 서버가 보안 연결(TLS) 중에 연결을 끊었습니다.";
    case TlsFailure::CertificateExpired:
        return host + " 서버의 인증서가 만료되었습니다.";
    case TlsFailure::CertificateName:
        return host + " 서버의 인증서 이름이 맞지 않습니다.";
    case TlsFailure::CertificateUntrusted:
        return host + " 서버의 인증서를 신뢰할 수 없습니다.";
    case TlsFailure::CertificateRevoked:
        return host + " 서버의 인증서가 폐기되었습니다.";
    case TlsFailure::Stream:
        return host + " 서버와의 보안 연결(TLS)에 오류가 발생했습니다.";
    }
    return std::string();
}

} // namespace

std::string TlsFailureText(const TlsError& error) {
    std::string text = TlsReasonText(error.failure, error.host);
    if (!error.detail.empty())
        text += " (" + error.detail + ")";
    return text;
}

std::string Pop3FailureText(const CPop3Session& session) {
    switch (session.GetFailure()) {
    case Pop3Failure::None:
        return std::string();
    case Pop3Failure::NoConnection:
        return "POP3 서버에 연결할 수 없습니다.";
    case Pop3Failure::StlsRefused:
        return "POP3 서버가 보안 연결(STLS)을 거부했습니다.";
    case Pop3Failure::Tls:
        return TlsFailureText(session.GetTlsError());
    case Pop3Failure::GreetingRefused:
        return "연결 확인을 실패했습니다.";
    case Pop3Failure::UserRefused:
        return "사용자 ID가 없습니다.";
    case Pop3Failure::PassRefused:
        return "사용자 패스워드가 잘못 입력되었습니다.";
    case Pop3Failure::StatRefused:
        return "STAT 명령어 실행중에 에러가 발생했습니다.";
    case Pop3Failure::DeleRefused:
        return "DELE 명령어 실행중에 에러가 발생했습니다.";
    case Pop3Failure::TopRefused:
        return "TOP 명령어 실행중에 에러가 발생했습니다.";
    case Pop3Failure::RetrRefused:
        return "RETR 명령어 실행중에 에러가 발생했습니다.";
    case Pop3Failure::UidlRefused:
        return "UIDL 명령어 실행중에 에러가 발생했습니다.";
    case Pop3Failure::QuitRefused:
        return "POP3 서버 연결을 실패했습니다.";
    case Pop3Failure::TimedOut:
        return "POP3 서버가 응답하지 않습니다.";
    case Pop3Failure::Closed:
        return "POP3 서버가 연결을 끊었습니다.";
    case Pop3Failure::Stopped:
        return "메일 체크를 중지했습니다.";
    case Pop3Failure::BadCredential:
        return "사용자 ID 또는 패스워드에 쓸 수 없는 문자가 있습니다.";
    case Pop3Failure::ReadError:
        return "소켓으로 부터 읽는 중 에러가 발생했습니다.";
    case Pop3Failure::TooLarge:
        return "메일이 너무 커서 받을 수 없습니다.";
    case Pop3Failure::StoreFile:
        return "임시 파일 생성 에러!";
    case Pop3Failure::BadDate:
        return "날짜 변환 에러입니다!";
    }
    return std::string();
}

std::string ImapResultText(ImapResult result) {
    switch (result) {
    case ImapResult::Ok:
        return std::string();
    case ImapResult::NoConnection:
        return "IMAP 서버에 연결할 수 없습니다.";
    case ImapResult::TimedOut:
        return "IMAP 서버가 응답하지 않습니다.";
    case ImapResult::Closed:
        return "IMAP 서버가 연결을 끊었습니다.";
    case ImapResult::SocketError:
        return "IMAP 서버와의 연결에 에러가 발생했습니다.";
    case ImapResult::Stopped:
        return "메일 체크를 중지했습니다.";
    case ImapResult::Tls:
        return "IMAP 서버와 보안 연결(TLS)을 맺지 못했습니다.";
    case ImapResult::StartTlsRefused:
        return "IMAP 서버가 보안 연결(STARTTLS)을 거부했습니다.";
    case ImapResult::Bye:
        return "IMAP 서버가 연결을 끝냈습니다.";
    case ImapResult::BadCredential:
        return "사용자 ID 또는 패스워드에 쓸 수 없는 문자가 있습니다.";
    case ImapResult::NoLoginMethod:
        return "IMAP 서버가 지원하는 로그인 방식(LOGIN, AUTHENTICATE PLAIN)이 없습니다.";
    case ImapResult::LoginRefused:
        return "사용자 ID 또는 패스워드가 잘못 입력되었습니다.";
    case ImapResult::Refused:
        return "IMAP 서버가 명령을 거부했습니다.";
    case ImapResult::TooLarge:
        return "IMAP 서버의 응답이 너무 커서 받을 수 없습니다.";
    case ImapResult::Malformed:
        return "IMAP 서버의 응답을 이해할 수 없습니다.";
    case ImapResult::StoreFailed:
        return "임시 파일 생성 에러!";
    case ImapResult::NoSuchMail:
        return "메일 서버에 이 메일이 없습니다.";
    case ImapResult::MarkedOnly:
        return deleteMarkedOnlyText;
    case ImapResult::NoIdle:
        return "IMAP 서버가 새 메일 알림(IDLE)을 지원하지 않습니다.";
    case ImapResult::UidValidityChanged:
        return "IMAP 서버의 받은 편지함이 바뀌었습니다. 다시 체크해 주십시오.";
    }
    return std::string();
}

std::string ImapFailureText(const CImapSession& session) {
    const TlsError tls = session.GetTlsError();
    if (session.GetResult() == ImapResult::Tls && tls.failure != TlsFailure::None)
        return TlsFailureText(tls);
    std::string text = ImapResultText(session.GetResult());
    if (!session.GetServerText().empty())
        text += " (" + session.GetServerText() + ")";
    return text;
}

std::string SmtpFailureText(const SmtpError& error) {
    switch (error.failure) {
    case SmtpFailure::None:
    case SmtpFailure::Reply:
        return error.reply;
    case SmtpFailure::Tls:
        return TlsFailureText(error.tls);
    case SmtpFailure::NoMechanism:
        return "SMTP 서버가 지원하는 인증 방식(PLAIN, LOGIN)이 없습니다.";
    case SmtpFailure::BadAddress:
        return "잘못된 메일 주소입니다: " + error.address;
    }
    return std::string();
}

std::string DeletionQuestion(const std::string& accountName, const std::string& subject,
                             const std::string& senderAddress, const std::string& dateText) {
    return "메일 서버 : " + accountName + "\n\n메일 제목 : " + subject + "\n\n보낸 사람 : " + senderAddress +
           "\n\n받은 날짜 : " + dateText +
           "\n\n\n이 메일을 메일 서버에서 삭제 하시겠습니까?\n\n( 주의 : 삭제된 메일은 다시 복구할 수 없음 "
           ") ";
}

const char* const deleteMarkedOnlyText =
    "메일 서버가 메일을 하나만 지우는 기능(UIDPLUS)을 지원하지 않아 메일에 삭제 표시만 했습니다. 메일함을 "
    "정리하면 지워집니다.";
const char* const deleteFailedText = "메일 삭제를 실패했습니다.";
const char* const deleteAmbiguousText =
    "메일 서버에 보낸 사람, 받은 날짜, 메일 제목이 같은 메일이 여러 통 있어서 삭제하지 않았습니다.";

const char* const fetchingBodyText = "메일 본문을 받는 중입니다...";
const char* const fetchGoneText =
    "메일 서버에 이 메일이 더 이상 없습니다. 다른 곳에서 지웠거나 다른 편지함으로 옮긴 것 같습니다.";

std::string FetchFailedText(const std::string& reason) {
    return "메일 본문을 받지 못했습니다." + (reason.empty() ? std::string() : "\n" + reason);
}
