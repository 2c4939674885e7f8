#include "framework/list_view.h"
#include "resource.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const ListViewColumn testColumns[] = {{IDS_COLUMN_SERVER, 80}, {"이름", 120, LVCFMT_RIGHT}};

// A report list with the test columns in a hidden host window.
class CTestList {
  public:
    explicit CTestList(DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS) {
        list.Attach(CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | style, 0, 0, 300, 200, host.GetHandle(),
                                    nullptr, GetModuleHandleA(nullptr), nullptr));
        list.InsertColumns(testColumns);
    }

    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetCount(); ++row)
            texts.push_back(list.GetText(row, column));
        return texts;
    }

    CTestHost host;
    CListView list;
};

} // namespace

TEST(ListView, RowsKeepTheirColumnTextsThroughInsertSetAndDelete) {
    CTestList test;
    CListView& list = test.list;
    const std::string longText(1000, 'x');
    EXPECT_EQ(list.AddRow({"a", "가"}), 0);
    EXPECT_EQ(list.InsertRow(99, {"c"}), 1) << "a row past the end is appended";
    EXPECT_EQ(list.InsertRow(1, {"b", longText}), 1);
    EXPECT_EQ(test.Column(0), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(test.Column(1), (std::vector<std::string>{"가", longText, ""}));

    list.SetRow(2, {"c2", "다"});
    list.SetText(0, 1, "가가");
    EXPECT_TRUE(list.DeleteRow(1));
    EXPECT_FALSE(list.DeleteRow(5));
    EXPECT_EQ(test.Column(0), (std::vector<std::string>{"a", "c2"}));
    EXPECT_EQ(test.Column(1), (std::vector<std::string>{"가가", "다"}));
}

TEST(ListView, SelectionMarkSelectedRowsAndCheckBoxes) {
    CTestList test;
    CListView& list = test.list;
    for (const char* name : {"a", "b", "c", "d"})
        list.AddRow({name});
    EXPECT_EQ(list.GetSelectionMark(), -1);
    EXPECT_TRUE(list.GetSelectedRows().empty());
    EXPECT_FALSE(list.IsChecked(0)) << "a list without check boxes has no ticked row";

    ListView_SetItemState(list.GetHandle(), 3, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list.GetHandle(), 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedRows(), (std::vector<int>{1, 3}));
    list.SelectRow(2);
    EXPECT_EQ(list.GetSelectedRows(), (std::vector<int>{2}));
    EXPECT_EQ(list.GetSelectionMark(), 2);

    list.UseCheckBoxes();
    list.SetChecked(1, true);
    list.SetChecked(3, true);
    list.SetChecked(3, false);
    std::vector<bool> ticked;
    for (int row = 0; row < list.GetCount(); ++row)
        ticked.push_back(list.IsChecked(row));
    EXPECT_EQ(ticked, (std::vector<bool>{false, true, false, false}));
}
