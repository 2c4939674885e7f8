// Push for IMAP accounts. While the program runs, every checked IMAP account
// whose server offers IDLE keeps one connection of its own waiting in IDLE
// on INBOX (opened read-only), on a thread of its own; a change the server
// tells there (mail arrived, or read or expunged elsewhere) is reported at
// once, so that the account can be checked without waiting for the timer.
// An account whose server lacks IDLE is left to the timer: its watcher logs
// out and ends. A connection that cannot be made or drops is made again
// after a pause that doubles from the first pause up to the check interval;
// nothing is shown for it (the timed check reports a server it cannot reach),
// and a new connection after a dropped one reports a change, since mail may
// have come meanwhile.
#pragma once

#include "core/settings.h"

#include <functional>
#include <memory>
#include <thread>
#include <vector>

class CImapPush {
  public:
    // Told the index, in the list given to Start, of an account whose
    // mailbox changed. Called on a watcher's thread, never after Stop.
    using ChangeHandler = std::function<void(int account)>;

    static constexpr int defaultFirstPauseMs = 5000;
    // How long Stop waits by default for the watchers to leave their servers.
    static constexpr int stopWaitMs = 1000;

    CImapPush() = default;
    CImapPush(const CImapPush&) = delete;
    CImapPush& operator=(const CImapPush&) = delete;
    ~CImapPush() { Stop(); }

    // Lets the watchers of an earlier Start go (as Stop(0)), then watches
    // every checked IMAP account of `accounts`; the pause between tries of
    // one account grows to `checkIntervalMs` at most.
    void Start(const std::vector<ServerEntry>& accounts, int checkIntervalMs, ChangeHandler onChange);
    // Ends every watcher: each sends DONE and LOGOUT while its server still
    // answers and closes its connection, within about a second. Waits up to
    // `waitMs` for that (at exit, so that the servers hear it); a watcher
    // still busy then is let go and ends on its own. Nothing is reported
    // once this returns.
    void Stop(int waitMs = stopWaitMs);
    // The watchers that have not ended: connected, connecting or pausing.
    int GetWatcherCount() const;

    void SetFirstPause(int milliseconds) { firstPauseMs = milliseconds; }

    // What the watchers of one Start share with this object.
    struct Watchers;

  private:
    std::shared_ptr<Watchers> watchers;
    std::vector<std::thread> threads;
    int firstPauseMs = defaultFirstPauseMs;
};
