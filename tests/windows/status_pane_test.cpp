// The offline state and the status pane of a running program.
#include "check_cycle_fixture.h"

namespace {

class StatusPaneTest : public CheckCycleTest {
  protected:
    std::string Pane() { return frame->GetPostmanWindow().GetItemText(IDC_AD_HOST); }
    void Tick() {
        SendMessageA(frame->GetHandle(), WM_TIMER, 0, 0);
        ASSERT_TRUE(PumpMessagesUntil([&] { return !frame->IsCheckActive(); }, checkTimeoutMs));
    }
    // Nothing listens on port 1: every connection is refused.
    void SetServersDown(bool down) {
        for (ServerEntry& server : frame->GetSettings().servers)
            server.Port = down ? 1 : PeerPop3Port();
    }
};

} // namespace

TEST_F(StatusPaneTest, ThreeTicksWithTheServerDownWriteOneOfflineRow) {
    AddAccount("회사", "checka");
    AddAccount("집", "checkb");
    StartProgram();
    SetServersDown(true);
    for (int tick = 0; tick < 3; ++tick)
        Tick();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Cell(0, 0), "모든 계정");
    EXPECT_EQ(Cell(0, 1), "[에러]");
    EXPECT_EQ(Cell(0, 2), "네트워크에 연결되어 있지 않습니다. 메일 서버에 연결되면 다시 체크합니다.");
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 네트워크에 연결되어 있지 않습니다");
    EXPECT_EQ(Pane().rfind("네트워크에 연결되어 있지 않습니다 - 다음 체크: ", 0), 0u) << Pane();

    // The first check that reaches a server ends the state.
    SetServersDown(false);
    Tick();
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(frame->GetTrayIcon().GetTrayTooltip(), "Tidemark - 3 통의 메일 도착");
    EXPECT_EQ(Pane().find("네트워크"), std::string::npos) << Pane();
}

TEST_F(StatusPaneTest, ThePaneTellsTheNextCheckTheFailingAccountAndThePause) {
    AddAccount("틀린 암호", "checka", CheckAllMail, 0, "wrong");
    StartProgram();
    RunCheck();
    EXPECT_EQ(Pane().rfind("다음 체크: 오", 0), 0u) << Pane();
    const std::string problem = "\r\n틀린 암호: 사용자 패스워드가 잘못 입력되었습니다.";
    EXPECT_NE(Pane().find(problem), std::string::npos) << Pane();

    // The same failure again keeps its row: still selected, not written anew.
    HWND list = GetDlgItem(Page().GetHandle(), IDC_MAIL_LIST);
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    Tick();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));

    frame->TogglePause();
    EXPECT_EQ(Pane(), "자동 체크 기능 멈춤" + problem);
}
