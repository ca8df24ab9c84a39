#include "scripted_session.h"

#include "call_log.h"
#include "host_model.h"
#include "mail_store.h"
#include "screenshot.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

namespace standin::app {
namespace {

constexpr int kSearchDialogList = 1002;  // the plug-in's result list
constexpr DWORD kStepPause = 700;
constexpr RECT kDialogPlace = {604, 30, 1020, 640};
// What the session types (lower-case letters only): it finds "Receipts",
// "Releases", "Reports" and their like.
constexpr char kQuery[] = "re";
// The romaji the session types first, and the folder it finds through
// C/Migemo's dictionary.
constexpr char kRomajiQuery[] = "jushin";
constexpr char kRomajiFinds[] = "受信箱";

template <typename Predicate>
bool WaitFor(Predicate predicate, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!predicate()) {
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(50);
    }
    return true;
}

void SendKey(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

void PressChord(std::initializer_list<WORD> keys) {
    for (WORD key : keys) SendKey(key, false);
    Sleep(30);
    for (auto it = keys.end(); it != keys.begin();) SendKey(*--it, true);
    Sleep(50);
}

void MoveMouse(POINT to) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(to.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(to.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

void MouseButton(bool up) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &input, sizeof(input));
}

void Click(POINT at) {
    MoveMouse(at);
    Sleep(80);
    MouseButton(false);
    MouseButton(true);
    Sleep(40);
}

// Moves in small steps, so that drag detection and the drop target see the way.
void Glide(POINT from, POINT to, int steps) {
    for (int i = 1; i <= steps; ++i) {
        MoveMouse(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        Sleep(25);
    }
}

POINT CentreOnScreen(HWND window, RECT rect) {
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(window, &centre);
    return centre;
}

bool RowRect(HWND list, int row, RECT& rect) {
    rect = {};
    rect.left = LVIR_LABEL;
    return SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)) != 0;
}

struct DialogSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindSearchDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) && GetDlgItem(window, kSearchDialogList)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleSearchDialog() {
    DialogSearch search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindSearchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first row whose name is name; -1 for none.
int RowNamed(HWND list, const char* name) {
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char text[260] = "";
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        if (std::strcmp(text, name) == 0) return row;
    }
    return -1;
}

std::string LastCallText(const char* function) {
    const std::vector<HostCall> calls = Host().CallsTo(function);
    return calls.empty() ? std::string() : calls.back().text;
}

}  // namespace

ScriptedSession::ScriptedSession(MainWindow& window, std::string shotFolder)
    : window_(window), shotFolder_(std::move(shotFolder)) {}

ScriptedSession::~ScriptedSession() {
    if (thread_.joinable()) thread_.join();
}

void ScriptedSession::Start() {
    main_ = window_.window();
    thread_ = std::thread([this] { Run(); });
}

void ScriptedSession::Run() {
    try {
        Steps();
    } catch (const std::exception& error) {
        Note("error", error.what());
    } catch (...) {
        Note("error", "unknown");
    }
    WriteTextFile(shotFolder_ + "session.log", notes_);
    PostMessageA(main_, WM_CLOSE, 0, 0);
}

void ScriptedSession::Steps() {
    if (!WaitFor([this] { return IsWindowVisible(main_) != FALSE; }, 10000)) {
        Note("error", "the main window did not show");
        return;
    }
    SetForegroundWindow(main_);
    Sleep(1500);
    Shot("1-host");
    ShowToolsMenu();
    if (!OpenDialog()) return;
    TypeRomaji();
    TypeQuery();
    SortColumn();
    ChooseFolder();
    DragMailOntoRow();
    PressChord({VK_ESCAPE});
    Sleep(kStepPause);
}

// The plug-in's command sits in the second menu, after a separator.
void ScriptedSession::ShowToolsMenu() {
    PressChord({VK_MENU, 'T'});
    Sleep(kStepPause);
    Shot("2-menu");
    PressChord({VK_ESCAPE});
    PressChord({VK_ESCAPE});
    Sleep(300);
}

bool ScriptedSession::OpenDialog() {
    SetForegroundWindow(main_);
    PressChord({VK_CONTROL, VK_SHIFT, 'F'});
    dialog_ = nullptr;
    WaitFor([this] { return (dialog_ = VisibleSearchDialog()) != nullptr; }, 10000);
    Note("dialog_opened", dialog_ ? "1" : "0");
    if (!dialog_) return false;
    // Beside the client, as a user would place it to drag mails onto it.
    SetWindowPos(dialog_, HWND_TOP, kDialogPlace.left, kDialogPlace.top, kDialogPlace.right - kDialogPlace.left,
                 kDialogPlace.bottom - kDialogPlace.top, 0);
    Sleep(kStepPause);
    Shot("3-dialog");
    return true;
}

// "jushin" in plain letters finds 受信箱 once C/Migemo's dictionary, which
// loads in the background, is ready; then the box is emptied again.
void ScriptedSession::TypeRomaji() {
    for (const char* key = kRomajiQuery; *key; ++key) PressChord({static_cast<WORD>(*key - 'a' + 'A')});
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    const bool found = WaitFor([list] { return RowNamed(list, kRomajiFinds) >= 0; }, 20000);
    Sleep(kStepPause);
    Note("romaji_query", kRomajiQuery);
    Note("romaji_found", found ? "1" : "0");
    Note("romaji_rows", std::to_string(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    Shot("3-romaji");
    for (const char* key = kRomajiQuery; *key; ++key) PressChord({VK_BACK});
    Sleep(300);
}

void ScriptedSession::TypeQuery() {
    for (const char* key = kQuery; *key; ++key) PressChord({static_cast<WORD>(*key - 'a' + 'A')});
    Sleep(kStepPause);
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    Note("query", kQuery);
    Note("rows_after_query", std::to_string(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    Shot("4-filtered");
}

// Twice on the name column: descending, so that the order visibly changes.
void ScriptedSession::SortColumn() {
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT column = {};
    if (!header || !SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&column))) return;
    const POINT at = CentreOnScreen(header, column);
    Click(at);
    Sleep(kStepPause);
    Click(at);
    Sleep(300);
    MoveMouse(POINT{at.x, kDialogPlace.bottom + 40});  // off the header, whose hot look hides the arrow
    Sleep(kStepPause);
    Note("sorted_column", "0 descending");
    Shot("5-sorted");
}

void ScriptedSession::ChooseFolder() {
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    RECT row;
    if (!RowRect(list, 0, row)) {
        Note("chosen_folder", "");
        return;
    }
    // A click on the row, then Enter: the way a user picks with the keyboard.
    const POINT at = CentreOnScreen(list, row);
    auto chosen = [] { return !Host().CallsTo("BKA_SetCurrentFolder").empty(); };
    for (int attempt = 0; attempt < 3 && !chosen(); ++attempt) {
        SetForegroundWindow(dialog_);
        Sleep(200);
        Click(at);
        WaitFor([list] { return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0; }, 1000);
        PressChord({VK_RETURN});
        WaitFor(chosen, 2000);
    }
    Sleep(kStepPause);
    Note("chosen_folder", LastCallText("BKA_SetCurrentFolder"));
    std::string selected;
    window_.RunOnWindowThread([&] { selected = window_.tree().SelectedId(); });
    Note("tree_selected", selected);
    Shot("6-chosen");
}

void ScriptedSession::DragMailOntoRow() {
    // The mails to drag are the inbox's, shown as a user would pick it.
    const std::string inbox = Host().CurrentMailBox() + "!!!!Inbox\\";
    window_.RunOnWindowThread([&] { window_.ShowFolder(inbox); });
    Sleep(kStepPause);
    HWND mails = window_.mails().window();
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    // The second row, unless the query left only one.
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    RECT mailRow, targetRow;
    if (!RowRect(mails, 0, mailRow) || !RowRect(list, rows > 1 ? 1 : 0, targetRow)) {
        Note("drop_folder", "");
        return;
    }
    const int inboxBefore = CountMails(Host().dataFolder + inbox);
    const POINT from = CentreOnScreen(mails, mailRow);
    const POINT to = CentreOnScreen(list, targetRow);
    if (!PressOnMail(from)) {
        Note("drop_folder", "");
        return;
    }
    Glide(from, POINT{from.x + 30, from.y + 30}, 6);
    Glide(POINT{from.x + 30, from.y + 30}, to, 30);
    Sleep(600);
    Shot("7-dragging");
    MouseButton(true);
    WaitFor([] { return !Host().CallsTo("BKA_MoveSelectedMessages").empty(); }, 5000);
    Sleep(kStepPause);
    const std::string target = LastCallText("BKA_MoveSelectedMessages");
    Note("drop_folder", target);
    Note("inbox_mails_before", std::to_string(inboxBefore));
    Note("inbox_mails_after", std::to_string(CountMails(Host().dataFolder + inbox)));
    Shot("8-dropped");
}

// Presses the button on a mail of the client's list, so that the list starts
// its drag; the press is repeated when it did not select the mail.
bool ScriptedSession::PressOnMail(POINT at) {
    HWND mails = window_.mails().window();
    for (int attempt = 0; attempt < 3; ++attempt) {
        SetForegroundWindow(main_);
        Sleep(400);
        MoveMouse(at);
        Sleep(150);
        MouseButton(false);
        if (WaitFor([mails] { return SendMessageA(mails, LVM_GETSELECTEDCOUNT, 0, 0) > 0; }, 1000)) return true;
        MouseButton(true);
        Sleep(600);
    }
    return false;
}

void ScriptedSession::Shot(const char* name) {
    const std::string path = shotFolder_ + name + ".bmp";
    Note("shot", SaveScreenshot(path) ? path : "failed: " + path);
}

void ScriptedSession::Note(const std::string& key, const std::string& value) {
    notes_ += key + "=" + ToUtf8(value) + "\n";
}

}  // namespace standin::app
