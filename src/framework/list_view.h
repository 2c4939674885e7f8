// A report-view list control of a dialog, seen as rows of column texts: the
// mailbox, server, spam and address lists. Rows are numbered from 0 in the
// order the list shows them; columns come from a table.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

// One column of a list: its title (a string resource, or a text), its width
// in pixels at 96 DPI (the list scales it to the system DPI) and its
// alignment (LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER).
struct ListViewColumn {
    constexpr ListViewColumn(UINT titleId, int width, int format = LVCFMT_LEFT)
        : titleId(titleId), title(nullptr), width(width), format(format) {}
    constexpr ListViewColumn(const char* title, int width, int format = LVCFMT_LEFT)
        : titleId(0), title(title), width(width), format(format) {}

    std::string Title() const;

    UINT titleId;
    const char* title;
    int width;
    int format;
};

class CListView {
  public:
    CListView() = default;
    explicit CListView(HWND control) : control(control) {}

    // Works on `control` from now on (a list view of a dialog).
    void Attach(HWND list) { control = list; }
    HWND GetHandle() const { return control; }

    // Appends the columns, left to right.
    template <std::size_t N> void InsertColumns(const ListViewColumn (&columns)[N]) {
        for (const ListViewColumn& column : columns)
            InsertColumn(column);
    }
    void InsertColumn(const ListViewColumn& column);

    // A click anywhere in a row selects the whole row.
    void UseFullRowSelect();
    // Every row gets a check box (unticked when inserted).
    void UseCheckBoxes();

    int GetCount() const;
    // Inserts a row at `row` (clamped to the end) with the texts of its
    // first columns. Returns its index, or -1.
    int InsertRow(int row, const std::vector<std::string>& texts);
    int AddRow(const std::vector<std::string>& texts) { return InsertRow(GetCount(), texts); }
    // Replaces the texts of the first columns of `row`.
    void SetRow(int row, const std::vector<std::string>& texts);
    std::string GetText(int row, int column) const;
    void SetText(int row, int column, const std::string& text);
    // Later rows move up one place.
    bool DeleteRow(int row);
    void DeleteAllRows();

    // The row last selected (it stays when a click lands on empty space), or -1.
    int GetSelectionMark() const;
    // Every selected row, top to bottom.
    std::vector<int> GetSelectedRows() const;
    // Selects `row` alone, makes it the selection mark and the focused row,
    // and scrolls it into view.
    void SelectRow(int row);

    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);

  private:
    HWND control = nullptr;
};
