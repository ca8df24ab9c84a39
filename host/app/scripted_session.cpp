#include "scripted_session.h"

#include "call_log.h"
#include "host_model.h"
#include "mail_store.h"
#include "screenshot.h"

#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <vector>

namespace standin::app {
namespace {

constexpr int kSearchDialogList = 1002;  // the plug-in's result list
constexpr DWORD kStepPause = 700;
// What the session types: it finds "Work", "Ｗｏｒｋ" and their like.
constexpr char kQuery[] = "WORK";

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

void Click(POINT at, int times = 1) {
    MoveMouse(at);
    Sleep(80);
    for (int i = 0; i < times; ++i) {
        MouseButton(false);
        MouseButton(true);
        Sleep(40);
    }
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
    // Beside the client's mail list, so that a mail can be dragged onto it.
    SetWindowPos(dialog_, HWND_TOP, 470, 230, 0, 0, SWP_NOSIZE);
    Sleep(kStepPause);
    Shot("3-dialog");
    return true;
}

void ScriptedSession::TypeQuery() {
    for (const char* key = kQuery; *key; ++key) PressChord({static_cast<WORD>(*key)});
    Sleep(kStepPause);
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    Note("query", kQuery);
    Note("rows_after_query", std::to_string(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    Shot("4-filtered");
}

void ScriptedSession::SortColumn() {
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT column = {};
    if (!header || !SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&column))) return;
    Click(CentreOnScreen(header, column));
    Sleep(kStepPause);
    Note("sorted_column", "1");
    Shot("5-sorted");
}

void ScriptedSession::ChooseFolder() {
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    RECT row;
    if (!RowRect(list, 0, row)) {
        Note("chosen_folder", "");
        return;
    }
    Click(CentreOnScreen(list, row), 2);
    WaitFor([] { return !Host().CallsTo("BKA_SetCurrentFolder").empty(); }, 5000);
    Sleep(kStepPause);
    Note("chosen_folder", LastCallText("BKA_SetCurrentFolder"));
    std::string selected;
    window_.RunOnWindowThread([&] { selected = window_.tree().SelectedId(); });
    Note("tree_selected", selected);
    Shot("6-chosen");
}

void ScriptedSession::DragMailOntoRow() {
    // The mails to drag are the inbox's, shown as a user would pick it.
    const std::string inbox = Host().currentMailBox + "!!!!Inbox\\";
    window_.RunOnWindowThread([&] { window_.ShowFolder(inbox); });
    Sleep(kStepPause);
    HWND mails = window_.mails().window();
    HWND list = GetDlgItem(dialog_, kSearchDialogList);
    RECT mailRow, targetRow;
    if (!RowRect(mails, 0, mailRow) || !RowRect(list, 1, targetRow)) {
        Note("drop_folder", "");
        return;
    }
    const int inboxBefore = CountMails(Host().dataFolder + inbox);
    const POINT from = CentreOnScreen(mails, mailRow);
    const POINT to = CentreOnScreen(list, targetRow);
    Click(from);  // selects the mail
    Sleep(300);
    MouseButton(false);
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

void ScriptedSession::Shot(const char* name) {
    const std::string path = shotFolder_ + name + ".bmp";
    Note("shot", SaveScreenshot(path) ? path : "failed: " + path);
}

void ScriptedSession::Note(const std::string& key, const std::string& value) {
    notes_ += key + "=" + ToUtf8(value) + "\n";
}

}  // namespace standin::app
