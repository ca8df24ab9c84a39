// "HighlightMatches": the characters of a row that made it match, drawn in
// bold (and in the highlight colour on an unselected row) by the result
// list's custom draw. The row's record comes from RecordOfRow and the texts
// from the record, never from the list view, so a list that stores no rows
// draws the same.
#include "dialog/dialog_state.h"
#include "dialog/history.h"
#include "search/match.h"

#include "common/text.h"
#include "binding/config.h"

#include <string>
#include <vector>

namespace tarnwick {
namespace {

// The room the list view leaves before a label's text.
constexpr int kFirstColumnIndent = 2;
constexpr int kColumnIndent = 6;

HFONT BoldFontFor(HWND list) {
    SearchDialogState& state = DialogState();
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!state.highlightFont || state.highlightFontSource != font) {
        LOGFONTA face{};
        state.highlightFont.reset();
        state.highlightFontSource = font;
        if (GetObjectA(font, sizeof(face), &face) == sizeof(face)) {
            face.lfWeight = FW_BOLD;
            state.highlightFont.reset(CreateFontIndirectA(&face));
        }
    }
    return state.highlightFont ? state.highlightFont.get() : font;
}

bool InRanges(const std::vector<ByteRange>& ranges, std::size_t offset) noexcept {
    for (const ByteRange& range : ranges) {
        if (offset >= range.begin && offset < range.end) return true;
    }
    return false;
}

struct Colours {
    COLORREF background;
    COLORREF text;
    COLORREF matched;
};

Colours ColoursOfRow(HWND list, int row) {
    const bool selected = (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (selected && GetFocus() == list) {
        const COLORREF text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        return Colours{GetSysColor(COLOR_HIGHLIGHT), text, text};
    }
    if (selected) {
        const COLORREF text = GetSysColor(COLOR_BTNTEXT);
        return Colours{GetSysColor(COLOR_BTNFACE), text, text};
    }
    COLORREF background = static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0));
    if (background == CLR_DEFAULT || background == CLR_NONE) background = GetSysColor(COLOR_WINDOW);
    return Colours{background, GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HIGHLIGHT)};
}

// Draws one cell: the text in runs of matched and unmatched characters,
// clipped to the cell. A run ends only between characters.
void DrawCell(HWND list, HDC dc, int row, int column, const std::string& text, const std::vector<ByteRange>& ranges) {
    RECT cell{};
    cell.top = column;
    cell.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    if (!SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return;
    const Colours colours = ColoursOfRow(list, row);
    const int savedDc = SaveDC(dc);
    SetBkColor(dc, colours.background);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
    SetBkMode(dc, TRANSPARENT);
    HFONT normal = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
    if (!normal) normal = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT bold = BoldFontFor(list);
    RECT clip = cell;
    clip.right -= 2;
    int x = cell.left + (column == 0 ? kFirstColumnIndent : kColumnIndent);
    SelectObject(dc, normal);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const int y = cell.top + ((cell.bottom - cell.top) - metrics.tmHeight) / 2;
    for (std::size_t at = 0; at < text.size() && x < clip.right;) {
        const bool matched = InRanges(ranges, at);
        std::size_t end = at;
        while (end < text.size() && InRanges(ranges, end) == matched) end += MbcsCharLength(text.c_str() + end);
        if (end > text.size()) end = text.size();
        SelectObject(dc, matched ? bold : normal);
        SetTextColor(dc, matched ? colours.matched : colours.text);
        const int length = static_cast<int>(end - at);
        ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, text.c_str() + at, static_cast<UINT>(length), nullptr);
        SIZE extent{};
        GetTextExtentPoint32A(dc, text.c_str() + at, length, &extent);
        x += extent.cx;
        at = end;
    }
    RestoreDC(dc, savedDc);
}

LRESULT DrawSubItem(HWND list, NMLVCUSTOMDRAW* draw) {
    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    const int column = draw->iSubItem;
    if (column != 0 && column != 1) return CDRF_DODEFAULT;
    const FolderRecord* record = RecordOfRow(list, row);
    if (!record) return CDRF_DODEFAULT;
    const MatchRanges ranges = MatchRangesOf(*record, DialogState().lastQuery.c_str(), MatchSettingsFromConfig());
    const std::vector<ByteRange>& cellRanges = column == 0 ? ranges.name : ranges.path;
    if (cellRanges.empty()) return CDRF_DODEFAULT;
    DrawCell(list, draw->nmcd.hdc, row, column, column == 0 ? record->name : record->displayPath, cellRanges);
    return CDRF_SKIPDEFAULT;
}

}  // namespace

bool HighlightEnabled() noexcept { return Config().highlightMatches != 0; }

LRESULT OnResultListCustomDraw(HWND list, NMLVCUSTOMDRAW* draw) {
    if (!draw || !HighlightEnabled()) return CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return DialogState().lastQuery.empty() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: return DrawSubItem(list, draw);
        default: return CDRF_DODEFAULT;
    }
}

}  // namespace tarnwick
