#include "framework/list_view.h"

#include "framework/application.h"
#include "framework/screen_dpi.h"

#include <algorithm>

std::string ListViewColumn::Title() const {
    return titleId ? LoadResourceString(titleId) : std::string(title ? title : "");
}

void CListView::InsertColumn(const ListViewColumn& column) {
    std::string title = column.Title();
    int index = Header_GetItemCount(ListView_GetHeader(control));
    LVCOLUMNA item = {};
    item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    item.fmt = column.format;
    item.cx = ScaleToSystemDpi(column.width);
    item.pszText = const_cast<char*>(title.c_str());
    item.iSubItem = index;
    SendMessageA(control, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&item));
}

void CListView::UseFullRowSelect() {
    SendMessageA(control, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void CListView::UseCheckBoxes() {
    SendMessageA(control, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
}

int CListView::GetCount() const {
    return static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
}

int CListView::InsertRow(int row, const std::vector<std::string>& texts) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = std::clamp(row, 0, GetCount());
    item.pszText = const_cast<char*>(texts.empty() ? "" : texts[0].c_str());
    int inserted =
        static_cast<int>(SendMessageA(control, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (inserted >= 0)
        for (std::size_t column = 1; column < texts.size(); ++column)
            SetText(inserted, static_cast<int>(column), texts[column]);
    return inserted;
}

void CListView::SetRow(int row, const std::vector<std::string>& texts) {
    for (std::size_t column = 0; column < texts.size(); ++column)
        SetText(row, static_cast<int>(column), texts[column]);
}

std::string CListView::GetText(int row, int column) const {
    // The control copies at most the buffer's size and tells only how much it
    // copied: grow until the text fits with room to spare.
    std::vector<char> buffer(256);
    for (;;) {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int length =
            static_cast<int>(SendMessageA(control, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() >= 1 << 20)
            return std::string(buffer.data(), length > 0 ? length : 0);
        buffer.resize(buffer.size() * 4);
    }
}

void CListView::SetText(int row, int column, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(control, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

bool CListView::DeleteRow(int row) {
    return SendMessageA(control, LVM_DELETEITEM, row, 0) != 0;
}

void CListView::DeleteAllRows() {
    SendMessageA(control, LVM_DELETEALLITEMS, 0, 0);
}

int CListView::GetSelectionMark() const {
    return static_cast<int>(SendMessageA(control, LVM_GETSELECTIONMARK, 0, 0));
}

std::vector<int> CListView::GetSelectedRows() const {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendMessageA(control, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0)
        rows.push_back(row);
    return rows;
}

void CListView::SelectRow(int row) {
    ListView_SetItemState(control, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(control, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(control, LVM_SETSELECTIONMARK, 0, row);
    SendMessageA(control, LVM_ENSUREVISIBLE, row, FALSE);
}

bool CListView::IsChecked(int row) const {
    // State image 2 is the ticked box, 1 the empty one, 0 none.
    UINT state = static_cast<UINT>(SendMessageA(control, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void CListView::SetChecked(int row, bool checked) {
    ListView_SetCheckState(control, row, checked ? TRUE : FALSE);
}
