#include "app/frame_check_host.h"

#include "core/notification.h"
#include "core/user_texts.h"
#include "widgets/avi_clip_dlg.h"
#include "widgets/mail_client.h"
#include "framework/application.h"
#include "framework/message_box.h"
#include "framework/ui_thread.h"
#include "postman/mailbox_page.h"
#include "postman/postman_dlg.h"

#include <mmsystem.h>

namespace {

// Runs `work` with the frame's side on the user-interface thread, if the
// frame still exists.
template <typename Work> void WithFrame(const std::shared_ptr<CCheckLink>& link, Work&& work) {
    CUiThread::Run([&] {
        if (link->windows)
            work(*link->windows);
    });
}

// The notification actions of a check. The tune and the wave sound touch no
// window and play on the worker; the rest happens on the user-interface
// thread while the worker waits, so the order of the actions is kept and the
// wave starts only after the clip window has closed.
class CCheckNotifyActions : public CNotifyActions {
  public:
    explicit CCheckNotifyActions(std::shared_ptr<CCheckLink> link) : link(std::move(link)) {}

    void ShowBalloon(const std::string& title, const std::string& text) override {
        WithFrame(link, [&](CCheckWindows& frame) { frame.showBalloon(title, text); });
    }
    void PlayTune() override {
        Beep(600, 200);
        Beep(800, 200);
        Beep(1000, 300);
    }
    void ShowPostmanMailbox() override {
        WithFrame(link, [](CCheckWindows& frame) {
            frame.showPostmanWindow();
            if (CPostmanDlg* window = frame.postmanWindow())
                window->GetTabCtrl().SelectTab(0);
        });
    }
    void LaunchMailClient(int code, const std::string& path) override {
        WithFrame(link, [&](CCheckWindows&) { ::LaunchMailClient(code, path); });
    }
    void PlayAviClip(const std::string& path) override {
        WithFrame(link, [&](CCheckWindows&) { ::PlayAviClip(path); });
    }
    void PlayWave(const std::string& path) override {
        sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT);
    }

  private:
    std::shared_ptr<CCheckLink> link;
};

// Shows row `at` of the model, `mail`, in the postman window if it is made.
void AddRow(CCheckWindows& frame, const MailHeader& mail, int at) {
    if (CPostmanDlg* window = frame.postmanWindow())
        window->GetMailboxPage().AddRow(mail, at);
}

// Removes the error row of account `serverIndex` (offlineRowIndex: the
// offline row), if the list shows one.
void RemoveErrorRow(CCheckWindows& frame, CMailboxModel& mailbox, int serverIndex) {
    const std::vector<MailHeader>& rows = mailbox.GetArrivedMails();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        if (!rows[row].IsErrorRow() || rows[row].serverIndex != serverIndex)
            continue;
        if (CPostmanDlg* window = frame.postmanWindow())
            window->GetMailboxPage().RemoveRow(row);
        else
            mailbox.RemoveMail(row);
        return;
    }
}

void AddErrorRow(CCheckWindows& frame, CMailboxModel& mailbox, int serverIndex,
                 const std::string& accountName, const std::string& reason) {
    MailHeader error = ErrorRow(serverIndex);
    error.accountName = accountName;
    error.subject = reason;
    AddRow(frame, error, mailbox.InsertMail(error, static_cast<int>(mailbox.GetArrivedMails().size())));
}

void ChangeErrorRow(CCheckWindows& frame, CMailboxModel& mailbox, ErrorRowChange change,
                    const AccountProblem& problem) {
    if (change == ErrorRowChange::Replace || change == ErrorRowChange::Remove)
        RemoveErrorRow(frame, mailbox, problem.index);
    if (change == ErrorRowChange::Write || change == ErrorRowChange::Replace)
        AddErrorRow(frame, mailbox, problem.index, problem.name, problem.reason);
    if (change != ErrorRowChange::None)
        frame.showStatus();
}

// What the end of a check changes in the list: the offline row stands for
// the accounts, or the failures held back get their rows.
void ApplyCheckEnd(CCheckWindows& frame, CMailboxModel& mailbox, const CheckStatusEnd& end) {
    for (int index : end.removed)
        RemoveErrorRow(frame, mailbox, index);
    if (end.offlineBegins)
        AddErrorRow(frame, mailbox, offlineRowIndex, offlineRowAccount, offlineRowText);
    if (end.offlineEnds)
        RemoveErrorRow(frame, mailbox, offlineRowIndex);
    for (const auto& row : end.rows)
        ChangeErrorRow(frame, mailbox, row.change, row.problem);
}

} // namespace

bool CFrameCheckHost::GetAccount(int index, CheckAccount& account) {
    bool found = false;
    WithFrame(link, [&](CCheckWindows& frame) {
        const Settings& settings = frame.settings;
        if (index < static_cast<int>(settings.servers.size())) {
            account.entry = settings.servers[index];
            account.listVersion = link->accountListVersion;
            found = true;
        }
    });
    return found;
}

CheckFilter CFrameCheckHost::GetFilter() {
    CheckFilter filter;
    WithFrame(link, [&](CCheckWindows& frame) {
        const Settings& settings = frame.settings;
        filter.SpamMailYN = settings.SpamMailYN;
        filter.SpamMailMethod = settings.SpamMailMethod;
        filter.spamAddresses = settings.spamAddresses;
    });
    return filter;
}

void CFrameCheckHost::StoreMark(int index, const CheckAccount& account,
                                const std::function<void(ServerEntry&, const std::string&)>& store) {
    WithFrame(link, [&](CCheckWindows& frame) {
        // An account list replaced during the check may hold another account
        // at this index: its mark must not change.
        Settings& settings = frame.settings;
        if (account.listVersion != link->accountListVersion ||
            index >= static_cast<int>(settings.servers.size()))
            return;
        store(settings.servers[index], ServerSection(index));
    });
}

void CFrameCheckHost::StoreLastMailDate(int index, const CheckAccount& account, const std::string& date) {
    StoreMark(index, account, [&](ServerEntry& entry, const std::string& section) {
        entry.LastMailDate = date;
        CApplication::Get()->Profile().WriteString(section, "LastMailDate", date);
    });
}

void CFrameCheckHost::StoreMailboxMark(int index, const CheckAccount& account, const MailboxMark& mark) {
    StoreMark(index, account, [&](ServerEntry& entry, const std::string& section) {
        entry.ImapUidValidity = mark.uidValidity;
        entry.ImapLastUid = mark.lastUid;
        // DWORDs: the bits of the unsigned values.
        CApplication::Get()->Profile().WriteInt(section, "UidValidity", static_cast<int>(mark.uidValidity));
        CApplication::Get()->Profile().WriteInt(section, "LastUid", static_cast<int>(mark.lastUid));
    });
}

int CFrameCheckHost::NotifyNewMail(int, const ServerEntry& entry, const NewMailNews& news) {
    CCheckNotifyActions actions(link);
    return ::NotifyNewMail(entry, news, actions);
}

void CFrameCheckHost::OnCheckBegins() {
    WithFrame(link, [](CCheckWindows& frame) { frame.checkBegins(); });
}

void CFrameCheckHost::OnNoSocket() {
    WithFrame(link, [](CCheckWindows&) { ShowMessage(nullptr, noSocketText, noSocketCaption, MB_OK); });
}

void CFrameCheckHost::OnAccountBegins(int, const std::string& accountName) {
    WithFrame(link, [&](CCheckWindows& frame) { frame.setStatusText(CheckingAccountText(accountName)); });
}

void CFrameCheckHost::OnMailFound(const MailHeader& mail, const std::string& accountName) {
    MailHeader row = mail;
    row.accountName = accountName;
    WithFrame(link, [&](CCheckWindows& frame) {
        CMailboxModel& mailbox = link->mailbox;
        AddRow(frame, row, mailbox.InsertMail(row, RowForFoundMail(mailbox.GetArrivedMails(), row)));
    });
}

void CFrameCheckHost::OnAccountFailed(int index, const std::string& accountName, const std::string& reason) {
    WithFrame(link, [&](CCheckWindows& frame) {
        const AccountProblem problem{index, accountName, reason};
        ChangeErrorRow(frame, link->mailbox, link->status.AccountFailed(problem, false), problem);
    });
}

void CFrameCheckHost::OnServerUnreached(int index, const std::string& accountName,
                                        const std::string& reason) {
    WithFrame(link, [&](CCheckWindows&) { link->status.AccountFailed({index, accountName, reason}, true); });
}

void CFrameCheckHost::OnAccountFinished(int index, int listedCount) {
    WithFrame(link, [&](CCheckWindows& frame) {
        link->mailbox.AddListedCount(listedCount);
        ChangeErrorRow(frame, link->mailbox, link->status.AccountFinished(index), {index, "", ""});
    });
}

void CFrameCheckHost::OnCheckFinished(const CheckOutcome& outcome) {
    WithFrame(link, [&](CCheckWindows& frame) {
        if (outcome.stopped) {
            if (CPostmanDlg* window = frame.postmanWindow())
                window->GetMailboxPage().ClearRows();
            link->mailbox.ClearMails();
            link->mailbox.ResetListedCount();
            link->status.Forget();
        } else {
            ApplyCheckEnd(frame, link->mailbox, link->status.EndCheck());
        }
        frame.checkEnds(outcome);
    });
}
