#include "core/imap_push.h"

#include "mail/imap_session.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

using Clock = std::chrono::steady_clock;

struct CImapPush::Watchers {
    Watchers(ChangeHandler onChange, int firstPauseMs, int longestPauseMs)
        : onChange(std::move(onChange)), firstPauseMs(firstPauseMs),
          longestPauseMs(std::max(firstPauseMs, longestPauseMs)) {}

    // Every session's stop flag: cleared by Stop.
    std::atomic<int> running{1};
    std::mutex mutex; // guards live, and the handler against a concurrent Stop
    std::condition_variable changed;
    int live = 0;
    const ChangeHandler onChange;
    const int firstPauseMs;
    const int longestPauseMs;

    void Report(int account) {
        std::lock_guard<std::mutex> lock(mutex);
        if (running)
            onChange(account);
    }
    // Waits `milliseconds` unless stopped first; false when stopped.
    bool Pause(int milliseconds) {
        std::unique_lock<std::mutex> lock(mutex);
        return !changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !running; });
    }
    void Leave() {
        std::lock_guard<std::mutex> lock(mutex);
        --live;
        changed.notify_all();
    }
    void Watch(int index, const ServerEntry& account);
};

void CImapPush::Watchers::Watch(int index, const ServerEntry& account) {
    int pauseMs = firstPauseMs;
    bool watchedBefore = false;
    while (running) {
        CImapSession session;
        session.SetStopFlag(&running);
        session.SetSecurity(SecurityOf(account.Security), account.TrustedCertificate);
        if (session.Login(account.Address, account.ID, account.Password, account.Port)) {
            if (!session.HasCapability("IDLE")) {
                session.Logout();
                break; // the timer alone checks this account
            }
            const Clock::time_point opened = Clock::now();
            if (session.OpenInbox(false)) {
                if (watchedBefore)
                    Report(index); // what came while the connection was down
                watchedBefore = true;
                ImapChanges changes;
                while (session.Idle(changes))
                    Report(index);
            }
            // A connection that held for a while was sound: the next try comes soon again.
            if (Clock::now() - opened > std::chrono::milliseconds(pauseMs))
                pauseMs = firstPauseMs;
            if (session.IsConnected())
                session.Logout();
        }
        if (!Pause(pauseMs))
            break;
        pauseMs = std::min(pauseMs * 2, longestPauseMs);
    }
    Leave();
}

void CImapPush::Start(const std::vector<ServerEntry>& accounts, int checkIntervalMs, ChangeHandler onChange) {
    Stop(0);
    watchers = std::make_shared<Watchers>(std::move(onChange), firstPauseMs, checkIntervalMs);
    for (int index = 0; index < static_cast<int>(accounts.size()); ++index) {
        const ServerEntry& account = accounts[index];
        if (!account.CheckYN || account.Protocol != ProtocolImap)
            continue;
        std::lock_guard<std::mutex> lock(watchers->mutex);
        ++watchers->live;
        try {
            threads.emplace_back([shared = watchers, index, account] { shared->Watch(index, account); });
        } catch (const std::system_error&) {
            --watchers->live; // no thread to spare: the timer checks the account
        }
    }
}

void CImapPush::Stop(int waitMs) {
    if (!watchers)
        return;
    std::unique_lock<std::mutex> lock(watchers->mutex);
    watchers->running = 0;
    watchers->changed.notify_all();
    const bool ended = watchers->changed.wait_for(lock, std::chrono::milliseconds(waitMs),
                                                  [this] { return watchers->live == 0; });
    lock.unlock();
    for (std::thread& thread : threads)
        ended ? thread.join() : thread.detach();
    threads.clear();
    watchers.reset();
}

int CImapPush::GetWatcherCount() const {
    if (!watchers)
        return 0;
    std::lock_guard<std::mutex> lock(watchers->mutex);
    return watchers->live;
}
