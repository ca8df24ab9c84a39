// "VirtualList": the result list as an owner-data list view. It stores no
// rows: a refill sets the item count, the texts are asked for as rows are
// painted, and a sort reorders the dialog's row positions. Such a list keeps
// only selection and focus, so the drop highlight is kept here.
#include "dialog/dialog_state.h"

#include "common/text.h"
#include "resource_ids.h"
#include "binding/config.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace tarnwick {
namespace {

const FolderRecord* RecordOfVirtualRow(HWND list, int row) {
    const FolderList* folders = DialogState().rowSource;
    std::size_t position = 0;
    if (!folders || !PositionOfRow(list, row, position) || position >= folders->size()) return nullptr;
    return &(*folders)[position];
}

const char* TextOfVirtualRow(HWND list, int row, int column) {
    const FolderRecord* record = RecordOfVirtualRow(list, row);
    if (!record) return "";
    return column == 0 ? record->name.c_str() : column == 1 ? record->displayPath.c_str() : "";
}

// Cut to the buffer at a character boundary: a double-byte character is
// never split.
void CopyWholeCharacters(char* buffer, int size, const char* text) {
    if (!buffer || size <= 0) return;
    std::size_t at = 0;
    while (text[at] != '\0') {
        const std::size_t length = MbcsCharLength(text + at);
        if (at + length + 1 > static_cast<std::size_t>(size)) break;
        at += length;
    }
    std::copy(text, text + at, buffer);
    buffer[at] = '\0';
}

void CopyAsWide(wchar_t* buffer, int size, const char* text) {
    if (!buffer || size <= 0) return;
    std::wstring wide(std::strlen(text) + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], static_cast<int>(wide.size()));
    const int copied = std::min(std::max(length - 1, 0), size - 1);
    std::copy(wide.begin(), wide.begin() + copied, buffer);
    buffer[copied] = L'\0';
}

template <typename Item>
void AnswerState(Item& item) {
    if (!(item.mask & LVIF_STATE)) return;
    const bool highlighted = item.iItem == DialogState().dropHighlightRow;
    item.state = (item.state & ~LVIS_DROPHILITED) | (highlighted ? LVIS_DROPHILITED : 0);
}

void OnGetDispInfoA(NMLVDISPINFOA* info) {
    if (info->item.mask & LVIF_TEXT) {
        CopyWholeCharacters(info->item.pszText, info->item.cchTextMax, TextOfVirtualRow(info->hdr.hwndFrom, info->item.iItem, info->item.iSubItem));
    }
    AnswerState(info->item);
}

void OnGetDispInfoW(NMLVDISPINFOW* info) {
    if (info->item.mask & LVIF_TEXT) {
        CopyAsWide(info->item.pszText, info->item.cchTextMax, TextOfVirtualRow(info->hdr.hwndFrom, info->item.iItem, info->item.iSubItem));
    }
    AnswerState(info->item);
}

// Type-ahead in the list: the next row from the start whose name begins
// with the typed text, ignoring case as the filter does.
int FindRowByNamePrefix(HWND list, const std::string& typed, int start, bool wrap) {
    const int count = static_cast<int>(DialogState().rowPositions.size());
    if (count == 0 || typed.empty()) return -1;
    const std::string key = UpperCaseMbcs(typed);
    const int first = start < 0 || start >= count ? 0 : start;
    for (int step = 0; step < count; ++step) {
        const int row = first + step;
        if (row >= count && !wrap) break;
        const FolderRecord* record = RecordOfVirtualRow(list, row % count);
        if (record && MbcsStartsWith(record->searchKey.c_str(), key.c_str())) return row % count;
    }
    return -1;
}

std::string WideToAnsi(const wchar_t* text) {
    if (!text) return std::string();
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], bytes, nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(bytes - 1));
    return ansi;
}

template <typename FindInfo>
LRESULT OnFindItem(const FindInfo& find, const std::string& typed) {
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL))) return -1;
    return FindRowByNamePrefix(find.hdr.hwndFrom, typed, find.iStart, (find.lvfi.flags & LVFI_WRAP) != 0);
}

void RedrawRow(HWND list, int row) {
    if (row >= 0) SendMessageA(list, LVM_REDRAWITEMS, row, row);
}

void SetDropHighlight(HWND list, int row) {
    int& shown = DialogState().dropHighlightRow;
    if (shown == row) return;
    RedrawRow(list, shown);
    shown = row;
    RedrawRow(list, shown);
}

LRESULT OnSetItemState(HWND list, WPARAM row, LVITEMA* item) {
    if (!item || !(item->stateMask & LVIS_DROPHILITED)) return -1;
    const int index = static_cast<int>(row);
    if (item->state & LVIS_DROPHILITED) {
        if (index >= 0) SetDropHighlight(list, index);
    } else if (index == -1 || index == DialogState().dropHighlightRow) {
        SetDropHighlight(list, -1);
    }
    return TRUE;
}

// What a scroll bar shows: where it is, its thumb and which parts are
// disabled or hidden.
struct ScrollBarsLook {
    SCROLLBARINFO bars[2];
    bool known;

    // Unknown counts as changed: the bar is drawn again.
    bool operator==(const ScrollBarsLook& other) const {
        if (!known || !other.known) return false;
        for (int i = 0; i < 2; ++i) {
            const SCROLLBARINFO& a = bars[i];
            const SCROLLBARINFO& b = other.bars[i];
            if (!EqualRect(&a.rcScrollBar, &b.rcScrollBar) || a.dxyLineButton != b.dxyLineButton ||
                a.xyThumbTop != b.xyThumbTop || a.xyThumbBottom != b.xyThumbBottom ||
                !std::equal(std::begin(a.rgstate), std::end(a.rgstate), std::begin(b.rgstate))) {
                return false;
            }
        }
        return true;
    }
};

ScrollBarsLook LookOfScrollBars(HWND list) {
    ScrollBarsLook look{};
    look.known = true;
    const LONG objects[2] = {OBJID_VSCROLL, OBJID_HSCROLL};
    for (int i = 0; i < 2; ++i) {
        look.bars[i].cbSize = sizeof(SCROLLBARINFO);
        if (!GetScrollBarInfo(list, objects[i], &look.bars[i])) look.known = false;
    }
    return look;
}

// A report view scrolls by rows: a bar over every row beyond one page, none
// when all fit.
bool ScrollBarFitsCount(HWND list, std::size_t count) {
    const LRESULT perPage = SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0);
    const bool shown = (GetWindowLongPtrA(list, GWL_STYLE) & WS_VSCROLL) != 0;
    if (perPage <= 0 || count <= static_cast<std::size_t>(perPage)) return !shown;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE;
    return shown && GetScrollInfo(list, SB_VERT, &info) && info.nMin == 0 &&
           static_cast<std::size_t>(info.nMax) + 1 == count;
}

// A new count redraws the scroll bar there and then, twice: under Wine that
// is most of a keystroke. The list is hidden meanwhile as the default
// WM_SETREDRAW hides a window (the list view does not hear of it). Scrolled
// to the top, as a list refilled with stored rows starts. Gives RDW_FRAME
// when the bar must be drawn again with the rows: it looks different, or
// the list had something still to paint.
UINT SetCountHidden(HWND list, std::size_t count) {
    const ScrollBarsLook before = LookOfScrollBars(list);
    const bool visible = IsWindowVisible(list) != FALSE;
    // Hiding so validates the list and its header: what they still had to
    // paint (a resize's frame, say) is painted again afterwards.
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const bool headerPending = header && GetUpdateRect(header, nullptr, FALSE);
    const bool listPending = GetUpdateRect(list, nullptr, FALSE) != FALSE;
    if (visible) DefWindowProcA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, count, 0);
    if (count > 0) SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
    if (visible) DefWindowProcA(list, WM_SETREDRAW, TRUE, 0);
    // A list view that left its scroll bar alone while hidden is told again.
    if (visible && !ScrollBarFitsCount(list, count)) SendMessageA(list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    if (headerPending) InvalidateRect(header, nullptr, TRUE);
    return !listPending && LookOfScrollBars(list) == before ? 0 : RDW_FRAME;
}

}  // namespace

bool VirtualListEnabled() noexcept { return Config().virtualList != 0; }

HWND UseVirtualResultList(HWND dialog) {
    HWND stored = GetDlgItem(dialog, IDC_RESULT_LIST);
    RECT rect{};
    GetWindowRect(stored, &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(stored, GWL_STYLE)) | LVS_OWNERDATA;
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(stored, GWL_EXSTYLE));
    const LRESULT font = SendMessageA(stored, WM_GETFONT, 0, 0);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HWND list = CreateWindowExA(exStyle, WC_LISTVIEWA, "", style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, dialog, reinterpret_cast<HMENU>(IDC_RESULT_LIST), instance,
                                nullptr);
    // Without it the dialog keeps its list and stores its rows as usual.
    if (!list) return stored;
    // The same place in the tab order as the one it replaces.
    SetWindowPos(list, stored, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(stored);
    SendMessageA(list, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    SendMessageA(list, LVM_SETCALLBACKMASK, LVIS_DROPHILITED, 0);
    DialogState().virtualRows = true;
    return list;
}

void ShowVirtualRows(HWND list) {
    DialogState().dropHighlightRow = -1;
    // The new rows start unselected and unfocused. Not by a count of none
    // first: that hides and shows the scroll bar again at every keystroke.
    LVITEMA clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    const LRESULT focused = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    if (focused >= 0) SendMessageA(list, LVM_SETITEMSTATE, focused, reinterpret_cast<LPARAM>(&clear));
    if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0) {
        const LRESULT selected = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        if (selected >= 0) SendMessageA(list, LVM_SETITEMSTATE, selected, reinterpret_cast<LPARAM>(&clear));
    }
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, -1);
    const std::size_t count = DialogState().rowPositions.size();
    UINT frame = 0;
    // As many rows as shown: the same count would redraw the scroll bar for
    // nothing.
    if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) != static_cast<LRESULT>(count)) {
        frame = SetCountHidden(list, count);
    } else if (count > 0) {
        SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
    }
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | frame);
}

void SortVirtualRows(HWND list, int column) {
    std::vector<RowPosition>& rows = DialogState().rowPositions;
    const int selected = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const bool hasSelection = selected >= 0 && static_cast<std::size_t>(selected) < rows.size();
    const RowPosition selectedPosition = hasSelection ? rows[static_cast<std::size_t>(selected)] : 0;
    std::stable_sort(rows.begin(), rows.end(), [column](RowPosition a, RowPosition b) {
        return CompareResultRows(static_cast<LPARAM>(a), static_cast<LPARAM>(b), column) < 0;
    });
    if (hasSelection) {
        const auto found = std::find(rows.begin(), rows.end(), selectedPosition);
        const int row = static_cast<int>(found - rows.begin());
        if (row != selected) {
            LVITEMA clear{};
            clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, selected, reinterpret_cast<LPARAM>(&clear));
            LVITEMA mark{};
            mark.stateMask = mark.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&mark));
        }
    }
    InvalidateRect(list, nullptr, TRUE);
}

bool OnVirtualListNotify(HWND dialog, const NMHDR* header) {
    if (!DialogState().virtualRows) return false;
    switch (header->code) {
        case LVN_GETDISPINFOA: OnGetDispInfoA(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))); return true;
        case LVN_GETDISPINFOW: OnGetDispInfoW(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header))); return true;
        case LVN_ODFINDITEMA: {
            const auto& find = *reinterpret_cast<const NMLVFINDITEMA*>(header);
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, OnFindItem(find, find.lvfi.psz ? find.lvfi.psz : ""));
            return true;
        }
        case LVN_ODFINDITEMW: {
            const auto& find = *reinterpret_cast<const NMLVFINDITEMW*>(header);
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, OnFindItem(find, WideToAnsi(find.lvfi.psz)));
            return true;
        }
        default: return false;
    }
}

bool HandleVirtualListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!DialogState().virtualRows) return false;
    if (message == LVM_SETITEMSTATE) {
        auto* item = reinterpret_cast<LVITEMA*>(lParam);
        if (!item || !(item->stateMask & LVIS_DROPHILITED)) return false;
        result = OnSetItemState(list, wParam, item);
        // Selection and focus in the same call still go to the list view.
        if (item->stateMask & ~LVIS_DROPHILITED) {
            LVITEMA rest = *item;
            rest.stateMask &= ~LVIS_DROPHILITED;
            result = CallWindowProcA(DialogState().previousListProc, list, message, wParam, reinterpret_cast<LPARAM>(&rest));
        }
        return true;
    }
    if (message == LVM_GETNEXTITEM && LOWORD(lParam) == LVNI_DROPHILITED) {
        const int row = DialogState().dropHighlightRow;
        const int start = static_cast<int>(wParam);
        result = row >= 0 && row > start ? row : -1;
        return true;
    }
    return false;
}

}  // namespace tarnwick
