// Connects a check's worker thread to the windows. Every report of the
// check is carried over to the user-interface thread and applied there, in
// the order the check makes it: mails and error rows go into the mailbox
// model and the mailbox page, the rest to the frame. The frame may be gone
// before the worker ends (the program does not wait for a check when it
// exits): then the reports are dropped.
#pragma once

#include "core/check_cycle.h"

#include <functional>
#include <memory>

class CPostmanDlg;

// The frame's side of a check: the parts it changes, and what only the
// frame does (its timer, its tray, the program password).
struct CCheckWindows {
    Settings& settings;
    CPostmanDlg& postmanWindow;
    std::function<void()> checkBegins;
    std::function<void(const CheckOutcome&)> checkEnds;
    std::function<void()> showPostmanWindow;
    std::function<void(const std::string& title, const std::string& text)> showBalloon;
};

// What the frame and a running check share: the mailbox model, the version
// of the account list (it changes whenever the list is replaced as a whole,
// so a check never writes into an account that took another's place), and
// the frame's side, which is read and cleared on the user-interface thread
// only.
struct CCheckLink {
    CMailboxModel mailbox;
    unsigned accountListVersion = 0;
    std::unique_ptr<CCheckWindows> windows;
};

class CFrameCheckHost : public CCheckHost {
  public:
    explicit CFrameCheckHost(std::shared_ptr<CCheckLink> link) : link(std::move(link)) {}

    bool GetAccount(int index, CheckAccount& account) override;
    CheckFilter GetFilter() override;
    void StoreLastMailDate(int index, const CheckAccount& account, const std::string& date) override;
    void StoreMailboxMark(int index, const CheckAccount& account, const MailboxMark& mark) override;
    int NotifyNewMail(int index, const ServerEntry& entry, const NewMailNews& news) override;
    void OnCheckBegins() override;
    void OnNoSocket() override;
    void OnAccountBegins(int index, const std::string& accountName) override;
    void OnMailFound(const MailHeader& mail, const std::string& accountName) override;
    void OnAccountFailed(int index, const std::string& accountName, const std::string& reason) override;
    void OnAccountFinished(int index, int listedCount) override;
    void OnCheckFinished(const CheckOutcome& outcome) override;

  private:
    // Runs `store` on the account's entry and section, unless the account
    // list was replaced since the check read the account.
    void StoreMark(int index, const CheckAccount& account,
                   const std::function<void(ServerEntry&, const std::string&)>& store);

    std::shared_ptr<CCheckLink> link;
};
