// The sentences the user reads about checking, deleting and sending mail, in
// one place: the reasons of failed TLS channels and POP3 and SMTP
// conversations, the check's own texts and the deletion's question and
// refusals. Sessions below report what happened as kinds and the server's own
// words; the words the user sees are chosen here.
#pragma once

#include "mail/imap_session.h"
#include "mail/pop3_session.h"
#include "mail/smtp_session.h"

#include <string>

// The sender column of an error row.
extern const char* const errorRowSender; // "[에러]"

// The box shown when no socket can be made, and its caption.
extern const char* const noSocketText;
extern const char* const noSocketCaption;

// The status line while account `accountName` is read.
std::string CheckingAccountText(const std::string& accountName);
extern const char* const outOfMemoryText;
extern const char* const checkFailedText;
// The offline state: the tray's tool tip after "Tidemark - ", the status
// pane and, with offlineRowAccount in the account column, the one row that
// stands for every account while no server can be reached.
extern const char* const offlineText;
extern const char* const offlineRowAccount;
extern const char* const offlineRowText;
// The status pane's first line: a check under way, the pause, the next check
// at `clockTime` ("오후 3:07").
extern const char* const checkRunningText;
extern const char* const checkPausedText;
std::string NextCheckText(const std::string& clockTime);
// Follows a refused certificate: where the user can look at it and trust it.
extern const char* const trustHintText;

// "<host> 서버의 인증서가 만료되었습니다." and the like, a status code
// following in parentheses; empty for no failure.
std::string TlsFailureText(const TlsError& error);

// What the user reads for the session's latest failure.
std::string Pop3FailureText(const CPop3Session& session);

// What the user reads for an IMAP result of this kind, without the server's words.
std::string ImapResultText(ImapResult result);
// What the user reads for the IMAP session's latest failure: the server's
// own words, where it gave any, follow in parentheses.
std::string ImapFailureText(const CImapSession& session);
// A deleted mail the server could only mark: it goes when the mailbox is next cleaned up.
extern const char* const deleteMarkedOnlyText;

// What the user reads for a failed SMTP session: the server's own text, or
// ours for what the session did not do.
std::string SmtpFailureText(const SmtpError& error);

// The question put to the user before the mail of `accountName` with this
// subject, sender address and date is deleted.
std::string DeletionQuestion(const std::string& accountName, const std::string& subject,
                             const std::string& senderAddress, const std::string& dateText);
extern const char* const deleteFailedText;
// Several mails on the server look like the listed one, which has no unique id.
extern const char* const deleteAmbiguousText;

// The mail view while it fetches the body of a mail the check read the
// header of, and why it could not: the mail left the server (read and moved,
// or deleted elsewhere), or the conversation failed for `reason`.
extern const char* const fetchingBodyText;
extern const char* const fetchGoneText;
std::string FetchFailedText(const std::string& reason);
