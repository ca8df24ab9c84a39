#include "main_window.h"

#include "host_model.h"
#include "mail_drag.h"
#include "mail_store.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <exception>

namespace standin::app {
namespace {

constexpr char kClassName[] = "TarnwickStandInMailClient";
constexpr int kTopBarHeight = 30;
constexpr int kTreeWidth = 280;
constexpr UINT kRefreshMailsMessage = WM_APP + 1;
constexpr UINT kInvokeMessage = WM_APP + 2;

enum ControlId : int { kTreeId = 10, kListId, kPreviewId, kStatusId, kMailboxSelectorId };
enum CommandId : UINT {
    kPluginInfoCommand = 100,
    kPluginSetupCommand,
    kExitCommand,
    kReloadCommand,
    kNextMailboxCommand
};

// What BKC_OnPlugInInfo fills: fixed text fields.
struct PluginInfoRecord {
    char name[80];
    char vendor[80];
    char version[80];
    char description[256];
};

HWND MakeChild(DWORD exStyle, const char* className, const char* text, DWORD style, HWND parent, int id) {
    return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// The preview shows CR LF line ends only.
std::string ForEdit(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) shown += '\r';
        shown += text[i];
    }
    return shown;
}

}  // namespace

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
}

bool MainWindow::Create() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);
    menu_ = BuildMenu();
    window_ = CreateWindowExA(0, kClassName, "Tarnwick - 代替メールクライアント", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              0, 0, 1000, 700, nullptr, menu_, GetModuleHandleA(nullptr), this);
    if (!window_) {
        DestroyMenu(menu_);
        menu_ = nullptr;
        return false;
    }
    return true;
}

HMENU MainWindow::BuildMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kReloadCommand, "フォルダを再読み込み(&R)");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExitCommand, "終了(&X)");
    HMENU tools = CreatePopupMenu();
    AppendMenuA(tools, MF_STRING, kNextMailboxCommand, "次のメールボックス(&N)");
    HMENU plugins = CreatePopupMenu();
    AppendMenuA(plugins, MF_STRING, kPluginInfoCommand, "プラグイン情報(&I)...");
    AppendMenuA(plugins, MF_STRING, kPluginSetupCommand, "プラグインの設定(&S)...");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "ファイル(&F)");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), "ツール(&T)");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugins), "プラグイン(&P)");
    return bar;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            self->window_ = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self) return self->Handle(message, wParam, lParam);
    } catch (const std::exception&) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(); return 0;
        case WM_SIZE: OnSize(); return 0;
        case WM_COMMAND: OnCommand(wParam, lParam); return 0;
        case WM_NOTIFY: return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
        case WM_CLOSE: OnClose(); return 0;
        case kRefreshMailsMessage: mails_.Refresh(); OnMailFocused(); return 0;
        case kInvokeMessage: (*reinterpret_cast<const std::function<void()>*>(lParam))(); return 0;
        case WM_DESTROY:
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcA(window_, message, wParam, lParam);
    }
}

void MainWindow::OnCreate() {
    LOGFONTA face = {};
    face.lfHeight = -13;
    face.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynA(face.lfFaceName, "MS UI Gothic", LF_FACESIZE);
    font_.reset(CreateFontIndirectA(&face));

    mailboxLabel_ = MakeChild(0, "STATIC", "メールボックス:", SS_CENTERIMAGE, window_, 0);
    mailboxSelector_ = MakeChild(0, WC_COMBOBOXA, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, window_,
                                 kMailboxSelectorId);
    tree_.Create(window_, kTreeId);
    mails_.Create(window_, kListId);
    preview_ = MakeChild(WS_EX_CLIENTEDGE, "EDIT", "", ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL,
                         window_, kPreviewId);
    status_ = MakeChild(0, STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, window_, kStatusId);
    for (HWND control : {mailboxLabel_, mailboxSelector_, tree_.window(), mails_.window(), preview_, status_})
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    HostModel& host = Host();
    host.windows[0] = window_;
    host.windows[1] = tree_.window();
    host.windows[2] = mails_.window();
    host.windows[3] = preview_;
    FillMailboxSelector();
    tree_.Fill(host.dataFolder, host.currentMailBox);
    SetFocus(tree_.window());
}

void MainWindow::FillMailboxSelector() {
    HostModel& host = Host();
    mailboxIds_.clear();
    SendMessageA(mailboxSelector_, CB_RESETCONTENT, 0, 0);
    for (const MailboxEntry& mailbox : ListMailboxes(host.dataFolder)) {
        host.mailboxDisplayNames[mailbox.id] = mailbox.displayName + "/";
        const std::string text = mailbox.displayName + "  (" + mailbox.id.substr(0, mailbox.id.size() - 1) + ")";
        SendMessageA(mailboxSelector_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (lstrcmpiA(mailbox.id.c_str(), host.currentMailBox.c_str()) == 0)
            SendMessageA(mailboxSelector_, CB_SETCURSEL, mailboxIds_.size(), 0);
        mailboxIds_.push_back(mailbox.id);
    }
}

void MainWindow::OnSize() {
    RECT client;
    GetClientRect(window_, &client);
    SendMessageA(status_, WM_SIZE, 0, 0);
    RECT statusRect;
    GetWindowRect(status_, &statusRect);
    const int statusHeight = statusRect.bottom - statusRect.top;
    const int width = client.right;
    const int height = client.bottom - statusHeight;
    MoveWindow(mailboxLabel_, 6, 4, 100, 22, TRUE);
    MoveWindow(mailboxSelector_, 108, 4, kTreeWidth - 112, 300, TRUE);
    MoveWindow(tree_.window(), 0, kTopBarHeight, kTreeWidth, height - kTopBarHeight, TRUE);
    const int listHeight = (height - kTopBarHeight) * 55 / 100;
    MoveWindow(mails_.window(), kTreeWidth + 2, kTopBarHeight, width - kTreeWidth - 2, listHeight, TRUE);
    MoveWindow(preview_, kTreeWidth + 2, kTopBarHeight + listHeight + 2, width - kTreeWidth - 2,
               height - kTopBarHeight - listHeight - 2, TRUE);
}

void MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if (lParam && reinterpret_cast<HWND>(lParam) == mailboxSelector_) {
        if (HIWORD(wParam) != CBN_SELCHANGE) return;
        const LRESULT index = SendMessageA(mailboxSelector_, CB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<std::size_t>(index) < mailboxIds_.size())
            SwitchMailbox(mailboxIds_[static_cast<std::size_t>(index)]);
        return;
    }
    switch (id) {
        case kPluginInfoCommand: ShowPluginInfo(); return;
        case kPluginSetupCommand: plugin_.OnPlugInSetup(window_); return;
        case kExitCommand: OnClose(); return;
        case kReloadCommand: tree_.Fill(Host().dataFolder, Host().currentMailBox); return;
        case kNextMailboxCommand: SwitchToNextMailbox(); return;
        default: break;
    }
    // Copied: the callback may register more commands.
    const std::vector<RegisteredCommand> commands = Host().commands;
    for (const RegisteredCommand& command : commands) {
        if (command.id == id && command.callback) command.callback(window_, 0);
    }
}

LRESULT MainWindow::OnNotify(const NMHDR* header) {
    if (!header) return 0;
    if (header->hwndFrom == tree_.window() && (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW)) {
        OnFolderSelected();
    } else if (header->hwndFrom == mails_.window() && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uNewState ^ change->uOldState) & LVIS_FOCUSED) OnMailFocused();
    } else if (header->hwndFrom == mails_.window() && header->code == LVN_BEGINDRAG) {
        OnBeginDrag();
    }
    return 0;
}

void MainWindow::OnClose() {
    // The plug-in's windows go first, while the host window they may be
    // owned by still exists.
    if (!exited_ && plugin_.loaded()) plugin_.OnExit();
    exited_ = true;
    DestroyWindow(window_);
}

void MainWindow::OnFolderSelected() {
    currentFolder_ = tree_.SelectedId();
    const bool isDirectory = !currentFolder_.empty() && currentFolder_.back() == '\\';
    mails_.Show(isDirectory ? Host().dataFolder + currentFolder_ : std::string());
    SetWindowTextA(preview_, "");
    char text[512];
    std::snprintf(text, sizeof(text), "%s  -  %d 通", Host().DisplayNameOf(currentFolder_).c_str(), mails_.Count());
    SetStatus(text);
}

void MainWindow::OnMailFocused() {
    const std::string path = mails_.FocusedMailPath();
    SetWindowTextA(preview_, path.empty() ? "" : ForEdit(ReadMailText(path)).c_str());
}

void MainWindow::OnBeginDrag() {
    const std::vector<int> rows = mails_.SelectedRows();
    if (rows.empty()) return;
    const DWORD effect = DragMails(mails_.window(), rows);
    if (effect == DROPEFFECT_NONE) SetStatus("ドラッグは取り消されました");
}

void MainWindow::ShowFolder(const std::string& folderId) {
    HostModel& host = Host();
    if (tree_.Select(folderId)) return;
    // Another mailbox's folder, or one made since the tree was read.
    for (const std::string& mailbox : mailboxIds_) {
        if (folderId.compare(0, mailbox.size(), mailbox) == 0 && mailbox != host.currentMailBox) {
            SwitchMailbox(mailbox);
            break;
        }
    }
    if (!tree_.Select(folderId)) {
        tree_.Fill(host.dataFolder, host.currentMailBox);
        if (!tree_.Select(folderId)) SetStatus("フォルダが見つかりません: " + folderId);
    }
}

void MainWindow::MoveSelectedMails(const std::string& folderId, bool copy) {
    const std::vector<std::string> files = mails_.SelectedFiles();
    const bool isDirectory = !folderId.empty() && folderId.back() == '\\';
    if (files.empty() || !isDirectory) {
        SetStatus("移動できるメールがありません");
        return;
    }
    const std::string source = currentFolder_;
    const int arrived = TransferMails(mails_.folderPath(), files, Host().dataFolder + folderId, copy);
    tree_.Recount(source);
    tree_.Recount(folderId);
    char text[512];
    std::snprintf(text, sizeof(text), "%d 通を %s へ%sしました", arrived, Host().DisplayNameOf(folderId).c_str(),
                  copy ? "コピー" : "移動");
    SetStatus(text);
    // The list may be inside its own drag notification: refill it afterwards.
    PostMessageA(window_, kRefreshMailsMessage, 0, 0);
}

void MainWindow::SwitchMailbox(const std::string& mailboxId) {
    HostModel& host = Host();
    host.currentMailBox = mailboxId;
    for (std::size_t i = 0; i < mailboxIds_.size(); ++i) {
        if (mailboxIds_[i] == mailboxId) SendMessageA(mailboxSelector_, CB_SETCURSEL, i, 0);
    }
    tree_.Fill(host.dataFolder, host.currentMailBox);
}

void MainWindow::SwitchToNextMailbox() {
    if (mailboxIds_.empty()) return;
    std::size_t next = 0;
    for (std::size_t i = 0; i < mailboxIds_.size(); ++i) {
        if (mailboxIds_[i] == Host().currentMailBox) next = (i + 1) % mailboxIds_.size();
    }
    SwitchMailbox(mailboxIds_[next]);
}

void MainWindow::ShowPluginInfo() {
    PluginInfoRecord record = {};
    plugin_.OnPlugInInfo(&record);
    record.name[sizeof(record.name) - 1] = record.vendor[sizeof(record.vendor) - 1] = '\0';
    record.version[sizeof(record.version) - 1] = record.description[sizeof(record.description) - 1] = '\0';
    char text[1024];
    std::snprintf(text, sizeof(text), "%s %s\r\n%s\r\n\r\n%s\r\n\r\n設定を開きますか?", record.name, record.version,
                  record.vendor, record.description);
    if (MessageBoxA(window_, text, "プラグイン", MB_YESNO | MB_ICONINFORMATION) == IDYES)
        plugin_.OnPlugInSetup(window_);
}

void MainWindow::RunOnWindowThread(const std::function<void()>& function) {
    if (window_) SendMessageA(window_, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&function));
}

void MainWindow::SetStatus(const std::string& text) { SetWindowTextA(status_, text.c_str()); }

}  // namespace standin::app
