#include "dialog_fixture.h"

#include "support/test_support.h"

#include <commctrl.h>

#include <new>

namespace dialog_test {
namespace {

tarnwick::FolderList g_current;
tarnwick::FolderList g_next;
int g_builds = 0;  // reset per test
bool g_failNextBuild = false;

tarnwick::FolderList* TestFolders() noexcept { return &g_current; }
void TestBuild() {
    if (g_failNextBuild) {
        g_failNextBuild = false;
        throw std::bad_alloc();
    }
    g_current = g_next;
    ++g_builds;
}
HANDLE TestMutex() noexcept { return tarnwick::FolderListMutex(); }

}  // namespace

tarnwick::FolderList& CurrentCatalogue() { return g_current; }
tarnwick::FolderList& NextCatalogue() { return g_next; }
int BuildCount() { return g_builds; }
void FailNextBuild() { g_failNextBuild = true; }

void SearchDialogTest::SetUp() {
    standin::ResetHost();
    tarnwick::HostApi() = tarnwick::CHostApi{};
    ASSERT_TRUE(tarnwick::BindHostApiTo(GetModuleHandleA(nullptr)));
    tarnwick::SetPluginModule(GetModuleHandleA(nullptr));
    const std::string dll = temp.path() + "Tarnwick.dll";
    ASSERT_TRUE(tarnwick::SetIniFilePathFromModulePath(dll.c_str()));
    iniPath = temp.path() + "Tarnwick.ini";
    listMode_ = ListMode();
    ReadConfig();
    tarnwick::CreateFolderListMutex();
    g_builds = 0;
    g_failNextBuild = false;
    tarnwick::DialogFolderSource() = tarnwick::FolderSource{&TestFolders, &TestBuild, &TestMutex};
    NextCatalogue() = {Folder("受信箱", "受信箱"), Folder("Work", "Work"), Folder("Plans", "Work/Plans"),
                       Folder("plan b", "Work/plan b"), Folder("Planb", "Planb"), Folder("Archive", "Archive")};
}

void SearchDialogTest::TearDown() {
    tarnwick::DestroySearchDialog();
    tarnwick::CloseFolderListMutex();
}

void SearchDialogTest::ReadConfig() {
    tarnwick::ReadPluginConfig();
    tarnwick::Config().virtualList = listMode_;
}

void SearchDialogTest::UseIni(const std::string& text) {
    testing_support::WriteFileBytes(iniPath, text);
    ReadConfig();
}

const char* ListModeName(int mode) { return mode ? "Virtual" : "Stored"; }
std::string ListModeCaseName(const ::testing::TestParamInfo<int>& info) { return ListModeName(info.param); }

INSTANTIATE_TEST_SUITE_P(ListModes, ListModeTest, ::testing::Values(0, 1), ListModeCaseName);

void SearchDialogTest::Open(HWND owner) {
    tarnwick::OpenSearchDialog(owner, 0);
    Pump();
    // A list that fell back to stored rows would test nothing of its mode.
    if (Dialog()) {
        EXPECT_EQ(VirtualRows(), (GetWindowLongPtrA(List(), GWL_STYLE) & LVS_OWNERDATA) != 0);
    }
}

HWND SearchDialogTest::Dialog() const { return testing_support::FindThreadWindow("フォルダ検索"); }
HWND SearchDialogTest::Box() const { return GetDlgItem(Dialog(), IDC_SEARCH_BOX); }
HWND SearchDialogTest::BoxEdit() const { return GetWindow(Box(), GW_CHILD); }
HWND SearchDialogTest::List() const { return GetDlgItem(Dialog(), IDC_RESULT_LIST); }

void SearchDialogTest::Pump(DWORD milliseconds) const { testing_support::PumpMessagesFor(milliseconds); }

void SearchDialogTest::Type(const std::string& text) const {
    for (unsigned char c : text) {
        PostMessageA(GetFocus(), WM_CHAR, c, 1);
        Pump(5);
    }
    Pump();
}

void SearchDialogTest::TypeWide(const std::wstring& text) const {
    for (wchar_t c : text) {
        PostMessageW(GetFocus(), WM_CHAR, c, 1);
        Pump(5);
    }
    Pump();
}

void SearchDialogTest::PressKey(UINT vk) const {
    HWND focus = GetFocus();
    const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    PostMessageA(focus, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(focus, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
    Pump();
}

void SearchDialogTest::PressAltKey(UINT vk) const {
    HWND focus = GetFocus();
    const LPARAM key = 1 | (MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16) | KF_ALTDOWN << 16;
    PostMessageA(focus, WM_SYSKEYDOWN, vk, key);
    PostMessageA(focus, WM_SYSKEYUP, vk, key | 0xC0000000u);
    Pump();
}

std::string SearchDialogTest::TypeIntoOtherWindow(const std::string& text) const {
    HWND edit = CreateWindowA("EDIT", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    SetFocus(edit);
    Type(text);
    PressKey(VK_ESCAPE);
    char held[64] = "";
    GetWindowTextA(edit, held, sizeof(held));
    DestroyWindow(edit);
    return held;
}

void SearchDialogTest::ClickHeader(int column) const {
    testing_support::PostHeaderClick(List(), column);
    Pump();
}

void SearchDialogTest::DoubleClickAt(int x, int y) const {
    POINT point{x, y};
    ClientToScreen(List(), &point);
    SetCursorPos(point.x, point.y);
    PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(List(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
}

void SearchDialogTest::SelectRow(int row) const {
    testing_support::SelectListRow(List(), row);
}

std::vector<Row> SearchDialogTest::Rows() const { return testing_support::ListViewRows(List()); }

std::vector<std::string> SearchDialogTest::Names() const {
    std::vector<std::string> names;
    for (const Row& row : Rows()) names.push_back(row.first);
    return names;
}

std::vector<LPARAM> SearchDialogTest::ItemData() const {
    std::vector<LPARAM> data;
    const int count = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (VirtualRows()) {
            const tarnwick::FolderRecord* record = tarnwick::RecordOfRow(List(), i);
            data.push_back(record ? static_cast<LPARAM>(record - CurrentCatalogue().data()) : -1);
            continue;
        }
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        data.push_back(item.lParam);
    }
    return data;
}

std::vector<std::string> SearchDialogTest::History() const {
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageA(Box(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        entries.push_back(tarnwick::ComboItemText(Box(), i, 100000));
    }
    return entries;
}

std::string SearchDialogTest::BoxText() const {
    char text[1100] = "";
    GetWindowTextA(Box(), text, sizeof(text));
    return text;
}

int SearchDialogTest::SelectedRow() const {
    return testing_support::SelectedListRow(List());
}

int SearchDialogTest::HeaderFormat(int column) const {
    return testing_support::HeaderSortArrow(List(), column);
}

bool SearchDialogTest::OtherThreadCanTakeFolderListMutex() const {
    return testing_support::FolderListMutexFreeToOtherThread(5000);
}

bool SearchDialogTest::SearchDialogMutexExists() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "Tarnwick Mutex for Multiple Dialog Supression");
    if (!mutex) return false;
    CloseHandle(mutex);
    return true;
}

}  // namespace dialog_test
