#include "mail_list.h"

#include <commctrl.h>

namespace standin::app {
namespace {

struct Column {
    const char* title;
    int width;
};
constexpr Column kColumns[] = {{"件名", 300}, {"差出人", 200}, {"日付", 190}};

void SetCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

HWND MailList::Create(HWND parent, int id) {
    window_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(window_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(sizeof(kColumns) / sizeof(*kColumns)); ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(kColumns[i].title);
        column.cx = kColumns[i].width;
        SendMessageA(window_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    return window_;
}

void MailList::Show(const std::string& folderPath) {
    folderPath_ = folderPath;
    mails_ = folderPath.empty() ? std::vector<MailSummary>() : ReadMails(folderPath);
    SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window_, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row < static_cast<int>(mails_.size()); ++row) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<char*>(mails_[row].subject.c_str());
        item.lParam = row;
        SendMessageA(window_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        SetCell(window_, row, 1, mails_[row].from);
        SetCell(window_, row, 2, mails_[row].date);
    }
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
}

std::vector<int> MailList::SelectedRows() const {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendMessageA(window_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0)
        rows.push_back(row);
    return rows;
}

std::vector<std::string> MailList::SelectedFiles() const {
    std::vector<std::string> files;
    for (int row : SelectedRows()) {
        if (row < static_cast<int>(mails_.size())) files.push_back(mails_[static_cast<std::size_t>(row)].fileName);
    }
    return files;
}

std::string MailList::FocusedMailPath() const {
    const int row = static_cast<int>(SendMessageA(window_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0 || row >= static_cast<int>(mails_.size())) return std::string();
    return folderPath_ + mails_[static_cast<std::size_t>(row)].fileName;
}

}  // namespace standin::app
