// Connects a check's worker thread to the main frame. Every report of the
// check is carried over to the user-interface thread and applied there, in
// the order the check makes it. The frame may be gone before the worker
// ends (the program does not wait for a check when it exits): then the
// reports are dropped.
#pragma once

#include "core/check_cycle.h"

#include <memory>

class CMainFrame;

// What the frame and a running check share: the mailbox model, and the
// frame, which is read and cleared on the user-interface thread only.
struct CCheckLink {
    CMailboxModel mailbox;
    CMainFrame* frame = nullptr;
};

class CFrameCheckHost : public CCheckHost {
  public:
    explicit CFrameCheckHost(std::shared_ptr<CCheckLink> link) : link(std::move(link)) {}

    void BeginCheck() override;
    void ShowSocketFailure() override;
    bool GetAccount(int index, CheckAccount& account) override;
    CheckFilter GetFilter() override;
    void ShowStatus(const std::string& text) override;
    int GetRowCount() override;
    void ListMail(const MailHeader& mail, const std::string& accountName, int row) override;
    void ListError(int serverIndex, const std::string& accountName, const std::string& errorText) override;
    void ClearMails() override;
    void AddListedCount(int count) override;
    void ResetListedCount() override;
    void StoreLastMailDate(int index, const CheckAccount& account, const std::string& date) override;
    int NotifyNewMail(int index, const ServerEntry& entry, const NewMailNews& news) override;
    void ShowOutcome(int newMailCount, int notifyResult) override;
    void FinishCheck() override;

  private:
    std::shared_ptr<CCheckLink> link;
};
