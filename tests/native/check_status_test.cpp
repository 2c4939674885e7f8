#include "core/check_status.h"

#include <gtest/gtest.h>

namespace {

// One check in which account 0 fails for `reason` (unreachable: no server
// answered), or is read when `reason` is empty; account 1 is unreachable.
ErrorRowChange Check(CCheckStatus& status, const std::string& reason, bool unreachable = false) {
    status.BeginCheck(0);
    ErrorRowChange change =
        reason.empty() ? status.AccountFinished(0) : status.AccountFailed({0, "회사", reason}, unreachable);
    status.AccountFailed({1, "집", "N"}, true);
    status.EndCheck();
    return change;
}

} // namespace

TEST(CheckStatus, AnErrorRowIsWrittenOncePerProblemAndOneOfflineRowStandsForAll) {
    const struct {
        const char* reason;
        bool unreachable;
        ErrorRowChange change;
        bool offline;
    } steps[] = {
        {"", false, ErrorRowChange::None, false},   {"A", false, ErrorRowChange::Write, false},
        {"A", false, ErrorRowChange::None, false},  {"B", false, ErrorRowChange::Replace, false},
        {"", false, ErrorRowChange::Remove, false}, {"N", true, ErrorRowChange::None, true},
        {"N", true, ErrorRowChange::None, true},    {"B", false, ErrorRowChange::Write, false},
    };
    CCheckStatus status;
    int step = 0;
    for (const auto& expected : steps) {
        EXPECT_EQ(Check(status, expected.reason, expected.unreachable), expected.change) << step;
        EXPECT_EQ(status.ShowsRow(ErrorRow(offlineRowIndex)), expected.offline) << step;
        // Account 1, never reached, has its row whenever account 0 reached a server.
        EXPECT_EQ(status.ShowsRow(ErrorRow(1)), !expected.offline) << step++;
    }
    // A failure during the listing stands when the account's end follows.
    status.BeginCheck(0);
    status.AccountFailed({0, "회사", "C"}, false);
    EXPECT_EQ(status.AccountFinished(0), ErrorRowChange::None);
    // A replaced account list forgets every problem.
    status.BeginCheck(1);
    EXPECT_FALSE(status.ShowsRow(ErrorRow(0)));
}
