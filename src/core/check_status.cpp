#include "core/check_status.h"

#include "core/user_texts.h"
#include "mail/mail_date.h"

void CCheckStatus::BeginCheck(unsigned version) {
    tried.clear();
    failed.clear();
    heldBack.clear();
    reachedServer = false;
    if (version != listVersion)
        Forget();
    listVersion = version;
}

bool CCheckStatus::ShowsRow(const MailHeader& row) const {
    if (!row.IsErrorRow())
        return false;
    return row.serverIndex == offlineRowIndex ? offline : shown.count(row.serverIndex) > 0;
}

ErrorRowChange CCheckStatus::AccountFailed(const AccountProblem& problem, bool unreachable) {
    tried.insert(problem.index);
    failed.insert(problem.index);
    if (unreachable) {
        heldBack.push_back(problem);
        return ErrorRowChange::None;
    }
    reachedServer = true;
    return Record(problem);
}

ErrorRowChange CCheckStatus::AccountFinished(int index) {
    if (failed.count(index))
        return ErrorRowChange::None;
    tried.insert(index);
    reachedServer = true;
    return shown.erase(index) ? ErrorRowChange::Remove : ErrorRowChange::None;
}

ErrorRowChange CCheckStatus::Record(const AccountProblem& problem) {
    auto known = shown.find(problem.index);
    if (known == shown.end()) {
        shown[problem.index] = problem;
        return ErrorRowChange::Write;
    }
    if (known->second.reason == problem.reason && known->second.name == problem.name)
        return ErrorRowChange::None;
    known->second = problem;
    return ErrorRowChange::Replace;
}

CheckStatusEnd CCheckStatus::EndCheck() {
    CheckStatusEnd end;
    const bool nowOffline = !tried.empty() && !reachedServer;
    end.offlineBegins = nowOffline && !offline;
    end.offlineEnds = !nowOffline && offline;
    offline = nowOffline;
    if (end.offlineBegins) {
        // One row says it for every account.
        for (const auto& problem : shown)
            end.removed.push_back(problem.first);
        shown.clear();
    }
    if (!offline)
        for (const AccountProblem& problem : heldBack) {
            ErrorRowChange change = Record(problem);
            if (change != ErrorRowChange::None)
                end.rows.push_back({problem, change});
        }
    heldBack.clear();
    return end;
}

void CCheckStatus::Forget() {
    shown.clear();
    heldBack.clear();
    offline = false;
}

std::string CCheckStatus::PaneText() const {
    if (checking)
        return checkRunningText + ProblemsLine();
    std::string first = paused                ? std::string(checkPausedText)
                        : nextCheck.IsValid() ? NextCheckText(FormatClockTime(nextCheck))
                                              : std::string();
    if (offline)
        first = first.empty() ? offlineText : offlineText + (" - " + first);
    return first + ProblemsLine();
}

std::string CCheckStatus::ProblemsLine() const {
    std::string line;
    for (const auto& problem : shown)
        line += (line.empty() ? "\r\n" : " / ") + problem.second.name + ": " + problem.second.reason;
    return line;
}
