// What the user is told about the checks besides their mails, for as long as
// it holds: the accounts that keep failing, the offline state and when the
// next check runs. An account's error row is written when its problem
// begins or changes and stays in the list while the same problem repeats;
// when no check reaches any server, one offline row stands for all of them.
// The postman window's status pane shows the same state in a line or two.
//
// The record belongs to the user-interface thread; it outlives the windows
// that show it, which may be created later and are then given its text.
#pragma once

#include "base/calendar_time.h"
#include "core/mailbox_model.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// An account whose check failed, and why.
struct AccountProblem {
    int index = 0;
    std::string name;
    std::string reason;
};

// The account index of the offline row, the error row of no account.
constexpr int offlineRowIndex = -1;

// What becomes of an account's error row.
enum class ErrorRowChange {
    None,    // the list already shows the problem, or the account had none
    Write,   // a new problem: its row goes into the list
    Replace, // another problem: the old row goes, the new one comes
    Remove,  // the account recovered: its row goes
};

// What the end of a check changes in the list.
struct CheckStatusEnd {
    bool offlineBegins = false; // the offline row comes; the rows of `removed` go
    bool offlineEnds = false;   // the offline row goes
    std::vector<int> removed;
    // Failures held back until the end, and what becomes of their rows.
    struct HeldRow {
        AccountProblem problem;
        ErrorRowChange change;
    };
    std::vector<HeldRow> rows;
};

class CCheckStatus {
  public:
    // A check begins on account list `listVersion`. A list replaced since
    // the rows were written makes every recorded problem go.
    void BeginCheck(unsigned listVersion);
    // Whether `row` is the error row of a recorded problem, or the offline
    // row in the offline state: a row that stays while its problem lasts.
    bool ShowsRow(const MailHeader& row) const;
    // Account `problem.index` failed. `unreachable`: no server answered (its
    // name did not resolve, no connection came about); such a failure is
    // held back until the check ends, since it may be one of many.
    ErrorRowChange AccountFailed(const AccountProblem& problem, bool unreachable);
    // The account was read to its end (a failure earlier in this check stands).
    ErrorRowChange AccountFinished(int index);
    // A check that was not stopped has ended: it went offline when it tried
    // at least one account and reached no server.
    CheckStatusEnd EndCheck();
    // The list was emptied (a stopped check): no row stands, nothing holds.
    void Forget();

    bool IsOffline() const { return offline; }

    // The state of the checks as the status pane tells it.
    void SetChecking(bool running) { checking = running; }
    void SetPaused(bool isPaused) { paused = isPaused; }
    // When the timed check comes; an invalid time when none is armed.
    void SetNextCheck(CCalendarTime time) { nextCheck = time; }
    // One line on the next check (or the pause, the running check, the
    // offline state), and one naming each account with a problem.
    std::string PaneText() const;

  private:
    ErrorRowChange Record(const AccountProblem& problem);
    // The second line of the pane, with the line break in front; "" without problems.
    std::string ProblemsLine() const;

    std::map<int, AccountProblem> shown;
    unsigned listVersion = 0;
    bool offline = false;
    // This check's accounts.
    std::set<int> tried;
    std::set<int> failed;
    bool reachedServer = false;
    std::vector<AccountProblem> heldBack;

    bool checking = false;
    bool paused = false;
    CCalendarTime nextCheck = CCalendarTime::Invalid();
};
