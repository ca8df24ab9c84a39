// The incremental filter and the three-state column sort of the result list.
#include "dialog/dialog_state.h"
#include "search/match.h"

#include "common/text.h"
#include "resource_ids.h"

#include <algorithm>
#include <vector>

namespace tarnwick {
namespace {

constexpr int kQueryBufferSize = 1024;

void SortRows(HWND list, int column);

void InsertRow(HWND list, int row, std::size_t position, const FolderRecord& record) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(record.name.c_str());
    item.lParam = static_cast<LPARAM>(position);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    LVITEMA path{};
    path.mask = LVIF_TEXT;
    path.iItem = row;
    path.iSubItem = 1;
    path.pszText = const_cast<char*>(record.displayPath.c_str());
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&path));
}

void SortRows(HWND list, int column) {
    if (DialogState().virtualRows) {
        SortVirtualRows(list, column);
    } else {
        SendMessageA(list, LVM_SORTITEMS, column, reinterpret_cast<LPARAM>(&CompareResultRows));
    }
}

// The selected history entry's text; with none selected, the box's own text.
int ReadChosenHistoryEntry(HWND dialog, char* text) {
    HWND box = GetDlgItem(dialog, IDC_SEARCH_BOX);
    const LRESULT index = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return GetDlgItemTextA(dialog, IDC_SEARCH_BOX, text, kQueryBufferSize - 1);
    const std::string entry = ComboItemText(box, static_cast<int>(index), kQueryBufferSize - 2);
    return static_cast<int>(CopyTruncated(text, kQueryBufferSize, entry.c_str()));
}

const FolderRecord* RecordAt(LPARAM position) {
    const FolderList* folders = DialogState().rowSource;
    if (!folders || position < 0 || static_cast<std::size_t>(position) >= folders->size()) return nullptr;
    return &(*folders)[static_cast<std::size_t>(position)];
}

int CompareField(const FolderRecord& first, const FolderRecord& second, LPARAM column) {
    const std::string* a = column == 0 ? &first.name : column == 1 ? &first.displayPath : nullptr;
    const std::string* b = column == 0 ? &second.name : column == 1 ? &second.displayPath : nullptr;
    if (!a || !b) return 0;
    return MbcsCompare(a->c_str(), b->c_str());
}

// The positions that match, in catalogue order, with their rank groups
// when those order the rows. A query that narrows the last one need test
// only the last matches.
std::vector<RowPosition> MatchingPositions(const QueryMatcher& matcher, const FolderList& folders,
                                           const std::vector<RowPosition>* lastMatches, std::vector<RowRank>& ranks) {
    std::vector<RowPosition> positions;
    const bool ranked = matcher.RanksByGroup();
    const auto test = [&](std::size_t position) {
        if (!matcher.Matches(position)) return;
        positions.push_back(static_cast<RowPosition>(position));
        if (ranked) ranks.push_back(matcher.RankOf(position));
    };
    if (lastMatches) {
        // Only rows a sort or a ranking reordered need a sorted copy.
        std::vector<RowPosition> reordered;
        if (!std::is_sorted(lastMatches->begin(), lastMatches->end())) {
            reordered = *lastMatches;
            std::sort(reordered.begin(), reordered.end());
        }
        const std::vector<RowPosition>& candidates = reordered.empty() ? *lastMatches : reordered;
        positions.reserve(candidates.size());
        if (ranked) ranks.reserve(candidates.size());
        for (RowPosition position : candidates) {
            if (position < folders.size()) test(position);
        }
    } else {
        positions.reserve(folders.size());
        if (ranked) ranks.reserve(folders.size());
        for (std::size_t position = 0; position < folders.size(); ++position) test(position);
    }
    // The rows are kept while the dialog is shown: no room beyond them.
    if (positions.capacity() > positions.size() + positions.size() / 8 + 16) positions.shrink_to_fit();
    return positions;
}

// A visible list view repaints after every insertion otherwise.
void InsertRows(HWND list, const FolderList& folders, const std::vector<RowPosition>& positions) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, positions.size(), 0);
    for (std::size_t row = 0; row < positions.size(); ++row) {
        InsertRow(list, static_cast<int>(row), positions[row], folders[positions[row]]);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int NextSortState(int state) { return state == kSortNone ? kSortAscending : state == kSortAscending ? kSortDescending : kSortNone; }

}  // namespace

void FillResultList(HWND list, const FolderList& folders, const char* query) {
    SearchDialogState& state = DialogState();
    const MatchSettings settings = MatchSettingsFromConfig();
    const bool narrows = query && state.lastQueryValid && state.rowSource == &folders && state.lastSettings == settings &&
                         settings.Narrowable() && QueryNarrows(state.lastQuery, query);
    state.rowSource = &folders;
    // The unfiltered fill follows every rebuild: the path keys are made there.
    if (!query) RefreshPathKeys(folders, settings);
    const QueryMatcher matcher(folders, query, settings);
    std::vector<RowRank> ranks;
    std::vector<RowPosition> positions =
        MatchingPositions(matcher, folders, narrows ? &state.rowPositions : nullptr, ranks);
    OrderByRank(matcher, positions, folders.size(), &ranks);
    state.rowPositions = std::move(positions);
    state.lastQueryValid = true;
    state.lastSettings = settings;
    state.lastQuery = query ? query : "";
    if (state.virtualRows) {
        ShowVirtualRows(list);
    } else {
        InsertRows(list, folders, state.rowPositions);
    }
    MeasureListTextPlaces(list);
}

bool PositionOfRow(HWND list, int row, std::size_t& position) {
    const SearchDialogState& state = DialogState();
    if (!list || row < 0) return false;
    if (state.virtualRows) {
        if (static_cast<std::size_t>(row) >= state.rowPositions.size()) return false;
        position = state.rowPositions[static_cast<std::size_t>(row)];
        return true;
    }
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) || item.lParam < 0) return false;
    position = static_cast<std::size_t>(item.lParam);
    return true;
}

void OnSearchQueryChanged(HWND dialog, int notification) {
    char text[kQueryBufferSize] = "";
    int length = 0;
    if (notification == CBN_EDITCHANGE) {
        length = GetDlgItemTextA(dialog, IDC_SEARCH_BOX, text, kQueryBufferSize - 1);
    } else if (notification == CBN_SELENDOK) {
        length = ReadChosenHistoryEntry(dialog, text);
    } else {
        return;
    }
    if (length > 0) UpperCaseMbcsInPlace(text, sizeof(text));
    const FolderList* folders = RowFolders();
    if (!folders) return;
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    FillResultList(list, *folders, text);
    ApplyActiveSort(list);
}

void OnMigemoReady(HWND dialog) {
    const SearchDialogState& state = DialogState();
    if (!state.showing || !state.lastQueryValid || state.lastQuery.empty()) return;
    OnSearchQueryChanged(dialog, CBN_EDITCHANGE);
}

void ShowAllFolders(HWND dialog) {
    const FolderList* folders = RowFolders();
    if (!folders) return;
    HWND list = GetDlgItem(dialog, IDC_RESULT_LIST);
    FillResultList(list, *folders, nullptr);
    ApplyActiveSort(list);
}

void ApplyActiveSort(HWND list) {
    for (int column = 0; column < 2; ++column) {
        if (DialogState().sortState[column] != kSortNone) {
            SortRows(list, column);
            return;
        }
    }
}

void SortByColumnClick(HWND list, int column) {
    int* states = DialogState().sortState;
    for (int i = 0; i < 2; ++i) states[i] = (i == column) ? NextSortState(states[i]) : kSortNone;
    SortRows(list, column);
    UpdateSortArrows(list, column, (column == 0 || column == 1) ? states[column] : kSortNone);
}

int CALLBACK CompareResultRows(LPARAM first, LPARAM second, LPARAM column) {
    const int state = (column == 0 || column == 1) ? DialogState().sortState[column] : kSortNone;
    if (state == kSortNone) return CompareUnsortedRows(first, second);
    const FolderRecord* a = RecordAt(first);
    const FolderRecord* b = RecordAt(second);
    if (!a || !b) return 0;
    const int result = CompareField(*a, *b, column);
    return state == kSortDescending ? -result : result;
}

void UpdateSortArrows(HWND list, int column, int state) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    for (int i = 0; i < 2; ++i) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column && state == kSortAscending) item.fmt |= HDF_SORTUP;
        if (i == column && state == kSortDescending) item.fmt |= HDF_SORTDOWN;
        SendMessageA(header, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace tarnwick
