#include "app/frame_check_host.h"

#include "core/notification.h"
#include "core/user_texts.h"
#include "widgets/avi_clip_dlg.h"
#include "widgets/mail_client.h"
#include "framework/application.h"
#include "framework/message_box.h"
#include "framework/ui_thread.h"
#include "mail/charset.h"
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
            frame.postmanWindow.GetTabCtrl().SelectTab(0);
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
    WithFrame(link, [&](CCheckWindows& frame) {
        frame.postmanWindow.SetStatusText(CheckingAccountText(accountName));
    });
}

void CFrameCheckHost::OnMailFound(const MailHeader& mail, const std::string& accountName) {
    WithFrame(link, [&](CCheckWindows& frame) {
        CMailboxModel& mailbox = link->mailbox;
        int at = mailbox.InsertMail(mail, RowForFoundMail(mailbox.GetArrivedMails(), mail));
        const std::u16string name = ShownSenderName(mail);
        frame.postmanWindow.GetMailboxPage().AddRow(
            accountName, name.empty() ? Cp949ToUtf16(mail.senderAddress) : name, ShownSubject(mail), at);
    });
}

void CFrameCheckHost::OnAccountFailed(int index, const std::string& accountName, const std::string& reason) {
    WithFrame(link, [&](CCheckWindows& frame) {
        CMailboxModel& mailbox = link->mailbox;
        const MailHeader error = ErrorRow(index);
        int at = mailbox.InsertMail(error, static_cast<int>(mailbox.GetArrivedMails().size()));
        frame.postmanWindow.GetMailboxPage().AddRow(accountName, error.senderName, reason, at);
    });
}

void CFrameCheckHost::OnAccountFinished(int, int listedCount) {
    WithFrame(link, [&](CCheckWindows&) { link->mailbox.AddListedCount(listedCount); });
}

void CFrameCheckHost::OnCheckFinished(const CheckOutcome& outcome) {
    WithFrame(link, [&](CCheckWindows& frame) {
        if (outcome.stopped) {
            frame.postmanWindow.GetMailboxPage().ClearRows();
            link->mailbox.ClearMails();
            link->mailbox.ResetListedCount();
        }
        frame.checkEnds(outcome);
    });
}
