#include "postman/quick_mail_page.h"

#include "core/settings.h"
#include "core/user_texts.h"
#include "framework/application.h"
#include "framework/data_exchange.h"
#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "base/ascii_text.h"
#include "mail/charset.h"
#include "mail/mail_delivery.h"
#include "postman/address_book_dlg.h"
#include "resource.h"

#include <commctrl.h>

#include <memory>

namespace {
constexpr int sendIconSize = 32;
const int pageControls[] = {IDC_ADDRESS_BOOK, IDC_RECIPIENTS,      IDC_SEND,     IDC_SUBJECT, IDC_BODY,
                            IDC_ATTACH,       IDC_ATTACHMENT_PATH, IDC_CLEAR_ALL};

bool IsKeyMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}
} // namespace

CQuickMailPage::CQuickMailPage(Settings& settings, std::function<void(const std::string&)> showStatus)
    : CTabPage(IDD_QUICK_MAIL_PAGE), settings(settings), showStatus(std::move(showStatus)) {}

bool CQuickMailPage::OnInitDialog() {
    CTabPage::OnInitDialog();
    sendButton.Subclass(GetItem(IDC_SEND));
    sendButton.SetIcons(IDI_SEND_HOT, IDI_SEND, sendIconSize, sendIconSize);
    UpdateAttachmentField();
    if (tooltip.Create()) {
        SendMessageA(tooltip.GetHandle(), TTM_SETDELAYTIME, TTDT_AUTOMATIC, 0);
        SendMessageA(tooltip.GetHandle(), TTM_SETTIPTEXTCOLOR, RGB(0, 0, 0), 0);
        tooltip.SetTip(handle, sendButton.GetHandle(), LoadResourceString(IDS_SEND_MAIL));
    }
    return false; // created hidden: the focus stays where it is
}

void CQuickMailPage::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_RECIPIENTS, recipients);
    dx.Text(IDC_SUBJECT, subject);
    dx.Text(IDC_BODY, body);
    dx.Text(IDC_ATTACHMENT_PATH, attachmentPath);
}

bool CQuickMailPage::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_SEND:
        if (code == BN_CLICKED)
            OnSend();
        return true;
    case IDC_ADDRESS_BOOK:
        if (code == BN_CLICKED)
            OnAddressBook();
        return true;
    case IDC_ATTACH:
        if (code == BN_CLICKED)
            OnAttach();
        return true;
    case IDC_CLEAR_ALL:
        if (code == BN_CLICKED)
            OnClearAll();
        return true;
    case IDC_RECIPIENTS:
    case IDC_SUBJECT:
        if (code == EN_CHANGE)
            OnEditChange();
        return true;
    case IDC_BODY:
        if (code == EN_CHANGE)
            OnBodyChange();
        return true;
    case IDC_ATTACHMENT_PATH:
        if (code == EN_CHANGE)
            OnAttachmentChange();
        return true;
    }
    return false;
}

bool CQuickMailPage::PreTranslateMessage(MSG& message) {
    if (!IsKeyMessage(message.message))
        return false;
    if (message.wParam == VK_ESCAPE)
        return true;
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && message.hwnd != GetItem(IDC_BODY))
        message.wParam = VK_TAB;
    return false;
}

LRESULT CQuickMailPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CTabPage::WindowProc(message, wParam, lParam);
    if (message == WM_SHOWWINDOW)
        InsertSignature();
    return result;
}

void CQuickMailPage::OnDestroy() {
    sendJob.Cancel();
}

void CQuickMailPage::SetReply(const std::string& recipient, const std::u16string& answered) {
    recipients = recipient;
    subject = "Re: " + Utf16ToCp949(answered); // outgoing mail is code page 949
    WriteControls();
    SetFocus(GetItem(IDC_BODY));
}

void CQuickMailPage::Tell(const std::string& text) {
    ShowMessage(handle, text, MB_OK | MB_ICONINFORMATION);
}

void CQuickMailPage::OnSend() {
    if (sendJob.IsRunning())
        return;
    if (settings.SMTPAddress.empty()) {
        Tell("환경설정에서 SMTP 서버 정보를 입력하시기 바랍니다.");
        return;
    }
    if (settings.UserName.empty() || settings.UserMail.empty()) {
        Tell("환경설정에서 사용자 이름과 메일 주소를 입력하시기 바랍니다.");
        return;
    }
    std::string path = TrimWhiteSpace(attachmentPath);
    auto delivery = std::make_shared<CMailDelivery>(settings.SMTPAddress, settings.SMTPPort, path);
    delivery->UseSecurity(SecurityOf(settings.SMTPSecurity), settings.SMTPTrustedCertificate,
                          settings.SMTPAuthYN ? settings.SMTPID : "", settings.SMTPPassword);
    COutgoingMail& mail = delivery->mail;
    std::string malformed;
    if (!mail.AddRecipients(recipients, RecipientKind::To, &malformed)) {
        Tell("받는 사람의 E-mail 주소가 잘못되었습니다:\n\n" + malformed +
             "\n\n주소는 < 와 > 사이에 입력하시기 바랍니다.");
        return;
    }
    // Blanks and separators alone name nobody.
    if (mail.GetRecipientCount(RecipientKind::To) == 0) {
        Tell("받는 사람의 E-mail 주소를 입력하시기 바랍니다.");
        return;
    }
    if (subject.empty() && ShowMessage(handle, "제목이 없습니다. 그대로 보내시겠습니까?",
                                       MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return;
    mail.from = {settings.UserName, settings.UserMail};
    mail.replyTo = mail.from;
    mail.subject = subject;
    mail.SetBody(body);

    // Until the work reports otherwise, the send failed (it may throw).
    auto outcome = std::make_shared<DeliveryOutcome>();
    outcome->result = DeliveryResult::TransmitFailed;
    std::string host = settings.SMTPAddress;
    // A reply started while the mail goes out replaces the fields: they are
    // cleared after the send only while they still hold the sent mail.
    auto sentFields = std::make_shared<std::vector<std::string>>(Fields());
    bool started = sendJob.Start(
        [this, delivery, outcome](CJobControl& control) {
            *outcome = delivery->Run([&] { control.Report([this] { showStatus("메일을 보내는 중..."); }); },
                                     control.RunningFlag());
        },
        [this, outcome, host, path, sentFields] {
            OnSendFinished(*outcome, host, path, *sentFields == Fields());
        });
    if (!started) {
        Tell("SMTP 서버(" + host + ")에 연결할 수 없습니다.");
        return;
    }
    // The work reports nothing before this thread takes its messages again.
    showStatus("메일 서버에 연결 중...");
    EnableControls(false);
}

void CQuickMailPage::OnSendFinished(const DeliveryOutcome& outcome, const std::string& host,
                                    const std::string& path, bool fieldsUnchanged) {
    EnableControls(true);
    switch (outcome.result) {
    case DeliveryResult::Sent:
        Tell("E-mail 전송이 완료 되었습니다.");
        showStatus("");
        if (fieldsUnchanged)
            OnClearAll();
        return;
    case DeliveryResult::AttachmentUnreadable:
        Tell("첨부 파일을 읽을 수 없습니다:\n\n" + path);
        break;
    case DeliveryResult::ConnectFailed: {
        const std::string reason = SmtpFailureText(outcome.error);
        // A refused certificate is told as the check tells it, with the way to trust it.
        if (outcome.certificateRefused)
            Tell(reason + " 환경 설정의 보내는 메일에서 \"인증서 확인\"으로 이 인증서를 신뢰할 수 있습니다.");
        else
            Tell("SMTP 서버(" + host + ")에 연결할 수 없습니다." + (reason.empty() ? "" : "\n\n" + reason));
        break;
    }
    case DeliveryResult::TransmitFailed:
        Tell("E-mail을 보내는 동안 에러가 발생했습니다!\n\n" + SmtpFailureText(outcome.error));
        break;
    }
    showStatus("");
}

std::vector<std::string> CQuickMailPage::Fields() const {
    return {recipients, subject, body, attachmentPath};
}

void CQuickMailPage::EnableControls(bool enable) {
    if (!enable)
        focusBeforeSend = GetFocus();
    for (int id : pageControls)
        EnableWindow(GetItem(id), enable);
    UpdateAttachmentField();
    if (enable && focusBeforeSend && IsChild(handle, focusBeforeSend))
        SetFocus(focusBeforeSend);
}

void CQuickMailPage::UpdateAttachmentField() {
    // The whole page is off while a send runs.
    EnableWindow(GetItem(IDC_ATTACHMENT_PATH), !sendJob.IsRunning() && !attachmentPath.empty());
}

void CQuickMailPage::OnAddressBook() {
    CAddressBookDlg book(settings);
    book.recipients = recipients;
    if (book.DoModal(handle) != IDOK)
        return;
    recipients = book.recipients;
    WriteControls();
}

void CQuickMailPage::OnAttach() {
    std::string path = ChooseFileToOpen(handle, "모든 파일 (*.*)|*.*|");
    if (!path.empty())
        attachmentPath = path; // one attachment: a second choice replaces the first
    WriteControls();
}

void CQuickMailPage::OnClearAll() {
    recipients.clear();
    subject.clear();
    body.clear();
    attachmentPath.clear();
    SetFocus(GetItem(IDC_RECIPIENTS));
    WriteControls();
    bodyEdited = 0;
    InsertSignature();
}

void CQuickMailPage::OnEditChange() {
    if (!writingControls)
        UpdateData(true);
}

void CQuickMailPage::OnBodyChange() {
    if (writingControls)
        return;
    UpdateData(true);
    bodyEdited = 1;
}

void CQuickMailPage::OnAttachmentChange() {
    if (writingControls)
        return;
    UpdateData(true);
    if (!TrimWhiteSpace(attachmentPath).empty())
        return;
    // Only a field the user blanked hands the focus on: filling the page
    // while it is hidden must not focus it (that starts the input method).
    const bool typedEmpty = GetFocus() == GetItem(IDC_ATTACHMENT_PATH);
    attachmentPath.clear();
    WriteControls();
    if (typedEmpty)
        SetFocus(GetItem(IDC_RECIPIENTS));
}

void CQuickMailPage::InsertSignature() {
    if (!settings.SignYN || bodyEdited != 0)
        return;
    body = "\r\n" + settings.Sign;
    WriteControls();
}

void CQuickMailPage::WriteControls() {
    // Each write raises a change notice; reading the controls back in the
    // middle would take the old texts of those not written yet.
    writingControls = true;
    UpdateData(false);
    writingControls = false;
    UpdateAttachmentField();
}
