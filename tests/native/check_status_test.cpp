#include "core/check_status.h"

#include <gtest/gtest.h>

namespace {

const AccountProblem wrongPassword{1, "집", "사용자 패스워드가 잘못 입력되었습니다."};

// One check in which account 0 fails for `reason`, or is read when it is empty.
ErrorRowChange CheckAccount0(CCheckStatus& status, const std::string& reason) {
    status.BeginCheck(0);
    ErrorRowChange change =
        reason.empty() ? status.AccountFinished(0) : status.AccountFailed({0, "회사", reason}, false);
    status.EndCheck();
    return change;
}

CheckStatusEnd CheckUnreachable(CCheckStatus& status, bool account0Reached) {
    status.BeginCheck(0);
    if (account0Reached)
        status.AccountFinished(0);
    else
        status.AccountFailed({0, "회사", "POP3 서버에 연결할 수 없습니다."}, true);
    status.AccountFailed({1, "집", "POP3 서버에 연결할 수 없습니다."}, true);
    return status.EndCheck();
}

} // namespace

TEST(CheckStatus, AnAccountsErrorRowIsWrittenOncePerProblem) {
    const struct {
        const char* reason;
        ErrorRowChange change;
    } steps[] = {
        {"", ErrorRowChange::None},     {"A", ErrorRowChange::Write}, {"A", ErrorRowChange::None},
        {"B", ErrorRowChange::Replace}, {"B", ErrorRowChange::None},  {"", ErrorRowChange::Remove},
        {"", ErrorRowChange::None},     {"B", ErrorRowChange::Write},
    };
    CCheckStatus status;
    int step = 0;
    for (const auto& expected : steps)
        EXPECT_EQ(CheckAccount0(status, expected.reason), expected.change) << "step " << step++;
    // A failure during the listing stands when the account's end follows.
    status.BeginCheck(0);
    status.AccountFailed({0, "회사", "C"}, false);
    EXPECT_EQ(status.AccountFinished(0), ErrorRowChange::None);
    EXPECT_EQ(status.GetProblems().at(0).reason, "C");
    // A replaced account list forgets every problem.
    status.BeginCheck(1);
    EXPECT_TRUE(status.GetProblems().empty());
}

TEST(CheckStatus, ChecksThatReachNoServerShowOneOfflineRowUntilOneDoes) {
    CCheckStatus status;
    status.BeginCheck(0);
    status.AccountFailed(wrongPassword, false);
    status.EndCheck();

    CheckStatusEnd first = CheckUnreachable(status, false);
    EXPECT_TRUE(first.offlineBegins);
    EXPECT_EQ(first.removed, std::vector<int>{1});
    EXPECT_TRUE(first.rows.empty());
    for (int tick = 0; tick < 2; ++tick) {
        CheckStatusEnd again = CheckUnreachable(status, false);
        EXPECT_FALSE(again.offlineBegins || again.offlineEnds || !again.removed.empty() ||
                     !again.rows.empty());
    }
    EXPECT_TRUE(status.IsOffline());
    EXPECT_TRUE(status.ShowsRow(ErrorRow(offlineRowIndex)));

    // A server answers: the state ends and the account still unreached gets its row.
    CheckStatusEnd back = CheckUnreachable(status, true);
    EXPECT_TRUE(back.offlineEnds);
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.rows[0].problem.index, 1);
    EXPECT_EQ(back.rows[0].change, ErrorRowChange::Write);
    EXPECT_FALSE(status.ShowsRow(ErrorRow(offlineRowIndex)));
    EXPECT_TRUE(status.ShowsRow(ErrorRow(1)));
}

TEST(CheckStatus, ThePaneTellsTheNextCheckThePauseTheOfflineStateAndEachProblem) {
    CCheckStatus status;
    EXPECT_EQ(status.PaneText(), "");
    status.SetNextCheck(CCalendarTime::FromLocal(2026, 12, 8, 15, 7, 0));
    EXPECT_EQ(status.PaneText(), "다음 체크: 오후 3:07");
    status.SetChecking(true);
    EXPECT_EQ(status.PaneText(), "메일 체크 중...");
    status.AccountFailed({0, "회사", "연결 확인을 실패했습니다."}, false);
    status.AccountFailed(wrongPassword, false);
    status.SetChecking(false);
    EXPECT_EQ(status.PaneText(), "다음 체크: 오후 3:07\r\n회사: 연결 확인을 실패했습니다. / 집: "
                                 "사용자 패스워드가 잘못 입력되었습니다.");
    status.SetPaused(true);
    CheckUnreachable(status, false);
    EXPECT_EQ(status.PaneText(), "네트워크에 연결되어 있지 않습니다 - 자동 체크 기능 멈춤");
}
