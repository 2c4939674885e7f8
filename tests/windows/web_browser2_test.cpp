#include "widgets/web_browser2.h"

#include "mail/charset.h"
#include "user_actions.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace {

// The control's text as it reads back (paragraphs end in "\r").
std::u16string ControlText(HWND control) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, u'\0');
    text.resize(static_cast<size_t>(
        GetWindowTextW(control, reinterpret_cast<wchar_t*>(&text[0]), static_cast<int>(text.size()))));
    return text;
}

class WebBrowser2Test : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(browser.Create(host.GetHandle(), RECT{0, 0, 600, 400})); }
    void TearDown() override { DeleteFileA(mailPath.c_str()); }
    void Open() {
        browser.Navigate("file://" + mailPath);
        EXPECT_EQ(ControlText(browser.GetHandle()), u"메일을 읽는 중입니다...");
        ASSERT_TRUE(PumpMessagesUntil([&] { return !browser.IsLoading(); }, 20000));
    }
    bool Shows(const std::u16string& text) {
        return ControlText(browser.GetHandle()).find(text) != std::u16string::npos;
    }

    CTestHost host;
    CWebBrowser2 browser;
    const std::string mailPath = TempFilePath("TM-view-test.eml");
};

} // namespace

TEST_F(WebBrowser2Test, ShowsHtmlMailWithCharactersOutsideCodePage949) {
    const std::string html = u8"<p>한글 漢字 😀 ñ</p><p><a href=\"https://example.kr\">링크</a></p>\r\n";
    WriteFileBytes(
        mailPath, "Subject: x\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=m\r\n\r\n"
                  "--m\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" +
                      html +
                      "--m\r\nContent-Type: application/octet-stream; name*=utf-8''%ED%8C%8C%EC%9D%BC.bin\r\n"
                      "Content-Transfer-Encoding: base64\r\n\r\nAAEC/w==\r\n--m--\r\n");
    Open();
    const std::u16string body = u"한글 漢字 😀 ñ\r\r링크\r"; // outside the macro, whose text is CP949
    EXPECT_TRUE(Shows(body));
    EXPECT_TRUE(Shows(u"\r  파일.bin  4 바이트"));
    ASSERT_EQ(browser.Attachments().size(), 1u);
    const std::string saved = TempFilePath("TM-view-test-saved.bin");
    EXPECT_TRUE(browser.SaveAttachment(0, saved));
    EXPECT_EQ(ReadFileBytes(saved), std::string("\x00\x01\x02\xFF", 4));
    DeleteFileA(saved.c_str());
    EXPECT_FALSE(browser.SaveAttachment(1, saved));
}

TEST_F(WebBrowser2Test, MissingFileShowsOneClearLine) {
    Open();
    EXPECT_EQ(ControlText(browser.GetHandle()), Cp949ToUtf16("메일 파일을 읽을 수 없습니다: " + mailPath));
    EXPECT_TRUE(browser.Attachments().empty());
}

TEST_F(WebBrowser2Test, LongMailShowsWholeAndReplacesTheLastOne) {
    // Long enough to wrap and scroll; the emoji's surrogate pairs fall on
    // every kind of boundary.
    std::string lines;
    std::u16string expected;
    for (int i = 0; expected.size() < 40000; ++i) {
        lines += u8"줄 " + std::to_string(i) + u8" 😀\r\n";
        const std::string number = std::to_string(i);
        expected += u"줄 " + std::u16string(number.begin(), number.end()) + u" 😀\r";
    }
    const std::string mail =
        "Subject: x\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + lines;
    for (int time = 0; time < 2; ++time) {
        WriteFileBytes(mailPath, mail);
        Open();
        // The same control, still in its parent.
        EXPECT_EQ(GetParent(browser.GetHandle()), host.GetHandle());
        const std::u16string text = ControlText(browser.GetHandle());
        EXPECT_NE(text.find(expected), std::u16string::npos);
        EXPECT_EQ(text.find(u"줄 0 "), text.rfind(u"줄 0 ")); // the first mail is gone
    }
}

TEST_F(WebBrowser2Test, ClickOpensTheLinkUnderItAfterControlCharactersAndWrappedRows) {
    std::string words;
    for (int i = 0; i < 200; ++i)
        words += "word" + std::to_string(i) + " ";
    WriteFileBytes(
        mailPath,
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=m\r\n\r\n--m\r\n\r\n"
        "form\x0c feed\x01\x1b\x0b\r\n--m\r\nContent-Type: text/html\r\n\r\n" +
            words +
            "<a href=\"https://one.example/\">one</a> <a href=\"https://two.example/\">two</a>\r\n--m--\r\n");
    Open();
    std::u16string opened;
    browser.SetLinkOpener([&](const std::u16string& target) { opened = target; });
    const size_t at = ControlText(browser.GetHandle()).find(u"two") + 1;
    const LRESULT place = SendMessageW(browser.GetHandle(), EM_POSFROMCHAR, at, 0);
    PressOn(browser.GetHandle(), {LOWORD(place), HIWORD(place)}, Delivery::Sent);
    EXPECT_EQ(opened, u"https://two.example/");
}

TEST_F(WebBrowser2Test, DragSelectsAndCopiesWithWindowsLineEnds) {
    WriteFileBytes(mailPath, "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" +
                                 std::string(u8"첫 줄 😀\r\n둘째 줄\r\n"));
    Open();
    const std::u16string text = ControlText(browser.GetHandle());
    const std::u16string lines = u"첫 줄 😀\r둘째 줄"; // outside the macro, whose text is CP949
    const size_t start = text.find(lines);
    ASSERT_NE(start, std::u16string::npos);
    const LRESULT from = SendMessageW(browser.GetHandle(), EM_POSFROMCHAR, start, 0);
    const LRESULT to = SendMessageW(browser.GetHandle(), EM_POSFROMCHAR, start + lines.size(), 0);
    SendMessageW(browser.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, from);
    SendMessageW(browser.GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, to);
    SendMessageW(browser.GetHandle(), WM_LBUTTONUP, 0, to);
    SendMessageW(browser.GetHandle(), WM_COPY, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::u16string copied = data ? static_cast<const char16_t*>(GlobalLock(data)) : u"";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    const std::u16string expected = u"첫 줄 😀\r\n둘째 줄";
    EXPECT_EQ(copied, expected);
}
