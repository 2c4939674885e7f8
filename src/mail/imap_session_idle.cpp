// CImapSession's IDLE (RFC 2177): waiting for the mailbox to change.
#include "mail/imap_session.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long a stopped session waits for the server to take its leave.
constexpr int leaveTimeoutMs = 300;

} // namespace

CImapSession::IdleWait CImapSession::AwaitIdleBytes(Clock::time_point until) {
    // The wait looks at the stop flag itself, so that a stop still lets the session say goodbye.
    const CSocketTransport::Timeouts timeouts = transport.GetTimeouts();
    transport.SetStopFlag(nullptr);
    transport.SetTimeouts({timeouts.connectMs, timeouts.sendMs, CSocketTransport::stopSliceMs});
    IdleWait outcome = IdleWait::Renewal;
    char buffer[4096];
    while (Clock::now() < until) {
        if (stopFlag && stopFlag->load() == 0) {
            outcome = IdleWait::Stopped;
            break;
        }
        transport.BeginReply(CSocketTransport::stopSliceMs);
        const size_t n = transport.Receive(buffer, sizeof buffer);
        if (n > 0) {
            reader.Push(buffer, n);
            outcome = IdleWait::Bytes;
            break;
        }
        if (transport.GetFailure() != CSocketTransport::Failure::TimedOut) {
            outcome = IdleWait::Failed;
            break;
        }
    }
    transport.SetTimeouts(timeouts);
    transport.SetStopFlag(stopFlag);
    if (outcome == IdleWait::Failed)
        DropLost();
    return outcome;
}

bool CImapSession::EndIdle(const std::string& tag) {
    if (!Send("DONE\r\n"))
        return false;
    ImapResponse response;
    if (!ReadPastUntagged(response))
        return false;
    if (response.kind != ImapResponse::Kind::Tagged || response.tag != tag)
        return Drop(ImapResult::Malformed);
    return response.status == "OK" || Fail(ImapResult::Refused, response.text);
}

void CImapSession::LeaveAfterStop() {
    const CSocketTransport::Timeouts timeouts = transport.GetTimeouts();
    transport.SetStopFlag(nullptr);
    transport.SetTimeouts({timeouts.connectMs, leaveTimeoutMs, leaveTimeoutMs});
    const std::string logout = NextTag();
    ImapResponse response;
    transport.BeginReply(2 * leaveTimeoutMs);
    if (Send("DONE\r\n" + logout + " LOGOUT\r\n"))
        while (ReadResponse(response) &&
               !(response.kind == ImapResponse::Kind::Tagged && response.tag == logout)) {
        }
    transport.SetTimeouts(timeouts);
    transport.SetStopFlag(stopFlag);
    Drop(ImapResult::Stopped);
}

bool CImapSession::Idle(ImapChanges& changes) {
    changes = ImapChanges();
    if (!HasCapability("IDLE"))
        return Fail(ImapResult::NoIdle);
    for (;;) {
        // A change told in the answer to an earlier command is news as well.
        if (heard.newMail || heard.mailChanged) {
            changes = heard;
            heard = ImapChanges();
            return true;
        }
        const std::string tag = NextTag();
        if (!Send(tag + " IDLE\r\n"))
            return false;
        ImapResponse response;
        if (!ReadPastUntagged(response))
            return false;
        if (response.kind == ImapResponse::Kind::Tagged)
            return response.tag == tag ? Fail(ImapResult::Refused, response.text)
                                       : Drop(ImapResult::Malformed);
        const Clock::time_point renewal = Clock::now() + std::chrono::milliseconds(idleRenewalMs);
        while (!heard.newMail && !heard.mailChanged) {
            const IdleWait wait = reader.HasPending() ? IdleWait::Bytes : AwaitIdleBytes(renewal);
            if (wait == IdleWait::Stopped)
                LeaveAfterStop();
            if (wait == IdleWait::Stopped || wait == IdleWait::Failed)
                return false;
            if (wait == IdleWait::Renewal)
                break;
            transport.BeginReply(responseDeadlineMs);
            if (!ReadResponse(response))
                return false;
            if (response.kind != ImapResponse::Kind::Untagged)
                return Drop(ImapResult::Malformed);
            if (!byeText.empty())
                return Drop(ImapResult::Bye, byeText); // the server is leaving: no DONE
        }
        // Whatever comes before the answer to DONE counts too.
        if (!EndIdle(tag))
            return false;
    }
}
