// "HighlightMatches": the characters of a row that made it match, drawn in
// bold (and in the highlight colour on an unselected row) by the result
// list's custom draw, over the text the list view drew itself: the list
// keeps drawing the row's background, selection and focus rectangle. The
// row's record comes from RecordOfRow and the texts from the record, never
// from the list view, so a list that stores no rows draws the same.
#include "dialog/dialog_state.h"
#include "dialog/history.h"
#include "search/match.h"

#include "common/text.h"
#include "common/unique_handle.h"
#include "binding/config.h"

#include <map>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// The room the list leaves at a cell's right edge.
constexpr int kRightMargin = 2;

HFONT ListFont(HWND list) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT BoldFontFor(HWND list) {
    SearchDialogState& state = DialogState();
    HFONT font = ListFont(list);
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

// The cell as the list view measures it: the name's label, the path's cell.
bool CellRect(HWND list, int row, int column, RECT& cell) {
    cell = RECT{};
    cell.top = column;
    cell.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    return SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)) != FALSE;
}

// Draws one cell's text over what the list drew, in runs of matched and
// unmatched characters, from where the list begins it to the cell's right
// margin. Only the text's band is painted again: the row's edges, where the
// list draws its focus rectangle, stay as the list drew them. A run ends
// only between characters.
void DrawCell(HWND list, HDC dc, int row, int column, const std::string& text, const std::vector<ByteRange>& ranges) {
    RECT cell{};
    if (!CellRect(list, row, column, cell)) return;
    const SearchDialogState& state = DialogState();
    const Colours colours = ColoursOfRow(list, row);
    const int savedDc = SaveDC(dc);
    HFONT normal = ListFont(list);
    HFONT bold = BoldFontFor(list);
    SelectObject(dc, normal);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const POINT place = state.textPlace[column];
    int x = cell.left + place.x;
    const int y = place.y >= 0 ? cell.top + place.y : cell.top + ((cell.bottom - cell.top) - metrics.tmHeight) / 2;
    RECT band{x, std::max(y, static_cast<int>(cell.top) + 1), cell.right - kRightMargin,
              std::min(y + static_cast<int>(metrics.tmHeight), static_cast<int>(cell.bottom) - 1)};
    if (band.left >= band.right || band.top >= band.bottom) {
        RestoreDC(dc, savedDc);
        return;
    }
    SetBkColor(dc, colours.background);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t at = 0; at < text.size() && x < band.right;) {
        const bool matched = InRanges(ranges, at);
        std::size_t end = at;
        while (end < text.size() && InRanges(ranges, end) == matched) end += MbcsCharLength(text.c_str() + end);
        if (end > text.size()) end = text.size();
        SelectObject(dc, matched ? bold : normal);
        SetTextColor(dc, matched ? colours.matched : colours.text);
        const int length = static_cast<int>(end - at);
        ExtTextOutA(dc, x, y, ETO_CLIPPED, &band, text.c_str() + at, static_cast<UINT>(length), nullptr);
        SIZE extent{};
        GetTextExtentPoint32A(dc, text.c_str() + at, length, &extent);
        x += extent.cx;
        at = end;
    }
    RestoreDC(dc, savedDc);
}

LRESULT DrawRow(HWND list, NMLVCUSTOMDRAW* draw) {
    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    const FolderRecord* record = RecordOfRow(list, row);
    if (!record) return CDRF_DODEFAULT;
    const MatchRanges ranges = MatchRangesOf(*record, DialogState().lastQuery.c_str(), MatchSettingsFromConfig());
    if (!ranges.name.empty()) DrawCell(list, draw->nmcd.hdc, row, 0, record->name, ranges.name);
    if (!ranges.path.empty()) DrawCell(list, draw->nmcd.hdc, row, 1, record->displayPath, ranges.path);
    return CDRF_DODEFAULT;
}

// A 32-bit top-down bitmap to draw into and read back.
struct Canvas {
    UniqueBitmap bitmap;  // outlives the DC it is selected into
    UniqueMemoryDc dc;
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;

    bool Make(int w, int h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc.reset(CreateCompatibleDC(nullptr));
        if (!dc) return false;
        bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits) return false;
        SelectObject(dc.get(), bitmap.get());
        pixels = static_cast<const std::uint32_t*>(bits);
        width = w;
        height = h;
        return true;
    }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The colour most pixels of the area have: the background the text is on.
std::uint32_t MostCommonColour(const Canvas& canvas, const RECT& area) {
    std::map<std::uint32_t, int> counts;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) ++counts[canvas.At(x, y)];
    }
    std::uint32_t colour = 0;
    int most = -1;
    for (const auto& entry : counts) {
        if (entry.second > most) {
            most = entry.second;
            colour = entry.first;
        }
    }
    return colour;
}

// The top left corner of what differs from the background in area; false
// when nothing does.
bool InkCorner(const Canvas& canvas, const RECT& area, POINT& corner) {
    const std::uint32_t background = MostCommonColour(canvas, area);
    bool found = false;
    corner = POINT{area.right, area.bottom};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (canvas.At(x, y) == background) continue;
            found = true;
            if (x < corner.x) corner.x = x;
            if (y < corner.y) corner.y = y;
        }
    }
    return found;
}

// Where the ink of text begins when drawn at the origin with the list's
// font: the glyphs' own bearing; false for a text without ink. extent is the
// text's width.
bool InkOfText(HFONT font, const std::string& text, POINT& offset, SIZE& extent) {
    constexpr int kMargin = 8;
    UniqueMemoryDc measuring(CreateCompatibleDC(nullptr));
    if (!measuring) return false;
    SelectObject(measuring.get(), font);
    if (!GetTextExtentPoint32A(measuring.get(), text.c_str(), static_cast<int>(text.size()), &extent)) return false;
    Canvas canvas;
    if (!canvas.Make(extent.cx + 2 * kMargin, extent.cy + 2 * kMargin)) return false;
    RECT all{0, 0, canvas.width, canvas.height};
    SetBkColor(canvas.dc.get(), RGB(255, 255, 255));
    ExtTextOutA(canvas.dc.get(), 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    SelectObject(canvas.dc.get(), font);
    SetTextColor(canvas.dc.get(), RGB(0, 0, 0));
    SetBkMode(canvas.dc.get(), TRANSPARENT);
    ExtTextOutA(canvas.dc.get(), kMargin, kMargin, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    GdiFlush();
    POINT corner{};
    if (!InkCorner(canvas, all, corner)) return false;
    offset = POINT{corner.x - kMargin, corner.y - kMargin};
    return true;
}

}  // namespace

bool HighlightEnabled() noexcept { return Config().highlightMatches != 0; }

LRESULT OnResultListCustomDraw(HWND list, NMLVCUSTOMDRAW* draw) {
    if (!draw || !HighlightEnabled() || DialogState().measuringTextPlace) return CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return DialogState().lastQuery.empty() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT: return DrawRow(list, draw);
        default: return CDRF_DODEFAULT;
    }
}

// The list paints its top row as it paints it on screen (WM_PRINTCLIENT, no
// highlighting) into a bitmap; where each cell's ink begins, less the ink
// offset of the same characters drawn at a known point, is where the list
// puts its text. List views differ in this by a few pixels.
void MeasureListTextPlaces(HWND list) {
    SearchDialogState& state = DialogState();
    HFONT font = ListFont(list);
    if (!HighlightEnabled() || (state.textPlaceFont[0] == font && state.textPlaceFont[1] == font)) return;
    const LRESULT top = SendMessageA(list, LVM_GETTOPINDEX, 0, 0);
    const FolderRecord* record = top >= 0 ? RecordOfRow(list, static_cast<int>(top)) : nullptr;
    RECT client{};
    if (!record || !GetClientRect(list, &client) || client.right <= 0) return;
    // The columns still to measure whose text the cell shows whole: a cut
    // one the list draws with an ellipsis.
    constexpr int kRoom = 16;
    const std::string* texts[2] = {&record->name, &record->displayPath};
    RECT cells[2]{};
    POINT own[2]{};
    bool measurable[2] = {false, false};
    for (int column = 0; column < 2; ++column) {
        SIZE extent{};
        measurable[column] = state.textPlaceFont[column] != font && !texts[column]->empty() &&
                             CellRect(list, static_cast<int>(top), column, cells[column]) &&
                             cells[column].top >= 0 && cells[column].left >= 0 && cells[column].right <= client.right &&
                             InkOfText(font, *texts[column], own[column], extent) &&
                             extent.cx + kRoom <= cells[column].right - cells[column].left;
    }
    if (!measurable[0] && !measurable[1]) return;
    Canvas canvas;
    const LONG bottom = std::max(measurable[0] ? cells[0].bottom : 0L, measurable[1] ? cells[1].bottom : 0L);
    if (bottom <= 0 || !canvas.Make(client.right, bottom)) return;
    state.measuringTextPlace = true;
    SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
    state.measuringTextPlace = false;
    GdiFlush();
    for (int column = 0; column < 2; ++column) {
        POINT ink{};
        if (!measurable[column] || !InkCorner(canvas, cells[column], ink)) continue;
        state.textPlace[column] = POINT{ink.x - own[column].x - cells[column].left, ink.y - own[column].y - cells[column].top};
        state.textPlaceFont[column] = font;
    }
}

}  // namespace tarnwick
