#include "app/frame_check_host.h"

#include "widgets/mail_client.h"
#include "app/main_frame.h"
#include "core/notification.h"
#include "widgets/avi_clip_dlg.h"
#include "framework/application.h"
#include "framework/message_box.h"
#include "framework/ui_thread.h"
#include "postman/mailbox_page.h"
#include "postman/postman_dlg.h"
#include "mail/pop3_session.h"

#include <mmsystem.h>

namespace {

// Runs `work` with the frame on the user-interface thread, if it still exists.
template <typename Work> void WithFrame(const std::shared_ptr<CCheckLink>& link, Work&& work) {
    CUiThread::Run([&] {
        if (link->frame)
            work(*link->frame);
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
        WithFrame(link, [&](CMainFrame& frame) { frame.ShowNewMailBalloon(title, text); });
    }
    void PlayTune() override {
        Beep(600, 200);
        Beep(800, 200);
        Beep(1000, 300);
    }
    void ShowPostmanMailbox() override {
        WithFrame(link, [](CMainFrame& frame) {
            frame.ShowPostmanWindow();
            frame.GetPostmanWindow().GetTabCtrl().SelectTab(0);
        });
    }
    void LaunchMailClient(int code, const std::string& path) override {
        WithFrame(link, [&](CMainFrame&) { ::LaunchMailClient(code, path); });
    }
    void PlayAviClip(const std::string& path) override {
        WithFrame(link, [&](CMainFrame&) { ::PlayAviClip(path); });
    }
    void PlayWave(const std::string& path) override {
        sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT);
    }

  private:
    std::shared_ptr<CCheckLink> link;
};

} // namespace

void CFrameCheckHost::BeginCheck() {
    WithFrame(link, [](CMainFrame& frame) { frame.OnCheckBegins(); });
}

void CFrameCheckHost::ShowSocketFailure() {
    WithFrame(link, [](CMainFrame&) {
        ShowMessage(nullptr, CPop3Session::socketErrorText, CPop3Session::socketErrorCaption, MB_OK);
    });
}

bool CFrameCheckHost::GetAccount(int index, CheckAccount& account) {
    bool found = false;
    WithFrame(link, [&](CMainFrame& frame) {
        Settings& settings = frame.GetSettings();
        if (index < static_cast<int>(settings.servers.size())) {
            account.entry = settings.servers[index];
            account.listVersion = frame.GetAccountListVersion();
            found = true;
        }
    });
    return found;
}

CheckFilter CFrameCheckHost::GetFilter() {
    CheckFilter filter;
    WithFrame(link, [&](CMainFrame& frame) {
        const Settings& settings = frame.GetSettings();
        filter.SpamMailYN = settings.SpamMailYN;
        filter.SpamMailMethod = settings.SpamMailMethod;
        filter.spamAddresses = settings.spamAddresses;
    });
    return filter;
}

void CFrameCheckHost::ShowStatus(const std::string& text) {
    WithFrame(link, [&](CMainFrame& frame) { frame.GetPostmanWindow().SetStatusText(text); });
}

int CFrameCheckHost::GetRowCount() {
    int rows = 0;
    WithFrame(link,
              [&](CMainFrame& frame) { rows = frame.GetPostmanWindow().GetMailboxPage().GetRowCount(); });
    return rows;
}

void CFrameCheckHost::ListMail(const MailHeader& mail, const std::string& accountName, int row) {
    WithFrame(link, [&](CMainFrame& frame) {
        int at = frame.GetMailbox().InsertMail(mail, row);
        const std::string& sender = mail.senderName.empty() ? mail.senderAddress : mail.senderName;
        frame.GetPostmanWindow().GetMailboxPage().AddRow(accountName, sender, mail.subject, at);
    });
}

void CFrameCheckHost::ListError(int serverIndex, const std::string& accountName,
                                const std::string& errorText) {
    WithFrame(link, [&](CMainFrame& frame) {
        MailHeader error;
        error.serverIndex = serverIndex;
        error.senderName = errorRowSender;
        int at = frame.GetMailbox().InsertMail(error,
                                               static_cast<int>(frame.GetMailbox().GetArrivedMails().size()));
        frame.GetPostmanWindow().GetMailboxPage().AddRow(accountName, error.senderName, errorText, at);
    });
}

void CFrameCheckHost::ClearMails() {
    WithFrame(link, [](CMainFrame& frame) {
        frame.GetPostmanWindow().GetMailboxPage().ClearRows();
        frame.GetMailbox().ClearMails();
    });
}

void CFrameCheckHost::AddListedCount(int count) {
    WithFrame(link, [&](CMainFrame& frame) { frame.GetMailbox().AddListedCount(count); });
}

void CFrameCheckHost::ResetListedCount() {
    WithFrame(link, [](CMainFrame& frame) { frame.GetMailbox().ResetListedCount(); });
}

void CFrameCheckHost::StoreLastMailDate(int index, const CheckAccount& account, const std::string& date) {
    WithFrame(link, [&](CMainFrame& frame) {
        // An account list replaced during the check may hold another account
        // at this index: its mark must not change.
        Settings& settings = frame.GetSettings();
        if (account.listVersion != frame.GetAccountListVersion() ||
            index >= static_cast<int>(settings.servers.size()))
            return;
        settings.servers[index].LastMailDate = date;
        CApplication::Get()->Profile().WriteString(ServerSection(index), "LastMailDate", date);
    });
}

int CFrameCheckHost::NotifyNewMail(int, const ServerEntry& entry, const NewMailNews& news) {
    CCheckNotifyActions actions(link);
    return ::NotifyNewMail(entry, news, actions);
}

void CFrameCheckHost::ShowOutcome(int newMailCount, int notifyResult) {
    WithFrame(link, [&](CMainFrame& frame) { frame.OnCheckOutcome(newMailCount, notifyResult); });
}

void CFrameCheckHost::FinishCheck() {
    WithFrame(link, [](CMainFrame& frame) { frame.OnCheckFinished(); });
}
