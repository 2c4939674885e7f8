#include "core/notification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CRecordedActions : public CNotifyActions {
  public:
    void ShowBalloon(const std::string& title, const std::string& text) override {
        done.push_back("balloon " + title + ": " + text);
    }
    void PlayTune() override { done.push_back("tune"); }
    void ShowPostmanMailbox() override { done.push_back("postman"); }
    void LaunchMailClient(int code, const std::string& path) override {
        done.push_back("client " + std::to_string(code) + " " + path);
    }
    void PlayAviClip(const std::string& path) override { done.push_back("clip " + path); }
    void PlayWave(const std::string& path) override { done.push_back("wave " + path); }

    std::vector<std::string> done;
};

ServerEntry EntryNotifying(int bits) {
    ServerEntry entry;
    entry.Name = "회사";
    entry.Notify = bits;
    entry.WaveFile = "bell.wav";
    entry.AviFile = "mail.avi";
    entry.MailClient = 4;
    entry.MailClientFile = "C:\\mail.exe";
    return entry;
}

const NewMailNews news{1, "홍길동", "회의"};

} // namespace

TEST(NotifyNewMail, AllActionsRunInTheirFixedOrderAndReportTheMailClient) {
    CRecordedActions actions;
    EXPECT_EQ(NotifyNewMail(EntryNotifying(31), news, actions), 1);
    EXPECT_EQ(actions.done, (std::vector<std::string>{"tune", "postman", "client 4 C:\\mail.exe",
                                                      "clip mail.avi", "wave bell.wav"}));
}

TEST(NotifyNewMail, NothingHappensWithoutBits) {
    CRecordedActions actions;
    EXPECT_EQ(NotifyNewMail(EntryNotifying(0), news, actions), 0);
    EXPECT_TRUE(actions.done.empty());
}

TEST(NotifyNewMail, ANewAccountsDefaultShowsThePostmanAndRingsTheBell) {
    CRecordedActions actions;
    EXPECT_EQ(NotifyNewMail(EntryNotifying(9), news, actions), 0);
    EXPECT_EQ(actions.done, (std::vector<std::string>{"postman", "wave bell.wav"}));
}

TEST(NotifyNewMail, SingleBitsChooseSingleActions) {
    const std::vector<std::pair<int, std::string>> cases = {
        {1, "wave bell.wav"}, {2, "clip mail.avi"},      {4, "client 4 C:\\mail.exe"}, {8, "postman"},
        {16, "tune"},         {64 | 1, "wave bell.wav"}, {1 << 30 | 8, "postman"}};
    for (const auto& [bits, action] : cases) {
        CRecordedActions actions;
        EXPECT_EQ(NotifyNewMail(EntryNotifying(bits), news, actions), bits == 4 ? 1 : 0);
        EXPECT_EQ(actions.done, std::vector<std::string>{action}) << bits;
    }
}

TEST(NotifyNewMail, TheBalloonNamesOneMailOrCountsSeveral) {
    EXPECT_EQ(BalloonText({1, "홍길동", "회의 안내"}), "홍길동\n회의 안내");
    EXPECT_EQ(BalloonText({3, "alice@example.com", "첫 편지"}), "새 메일 3통\nalice@example.com 외");
}
