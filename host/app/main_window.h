#pragma once
// The stand-in mail client's main window: menu bar, mailbox selector, folder
// tree, mail list, preview and status bar. It is what the plug-in's BKA_*
// calls act on.

#include "folder_tree.h"
#include "mail_list.h"
#include "plugin_loader.h"

#include "common/unique_handle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace standin::app {

class MainWindow {
public:
    explicit MainWindow(LoadedPlugin& plugin) : plugin_(plugin) {}
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window over the host model's data folder and mailbox.
    bool Create();
    HWND window() const { return window_; }
    HMENU menu() const { return menu_; }
    FolderTree& tree() { return tree_; }
    MailList& mails() { return mails_; }

    // What the plug-in's calls do (HostModel hooks).
    void ShowFolder(const std::string& folderId);
    void MoveSelectedMails(const std::string& folderId, bool copy);
    void SwitchMailbox(const std::string& mailboxId);
    // Runs the function on the window's thread and waits for it (for the
    // scripted session's thread).
    void RunOnWindowThread(const std::function<void()>& function);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void OnSize();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR* header);
    void OnClose();
    void OnFolderSelected();
    void OnMailFocused();
    void OnBeginDrag();
    void ShowPluginInfo();
    void SwitchToNextMailbox();
    void FillMailboxSelector();
    void SetStatus(const std::string& text);
    HMENU BuildMenu();

    LoadedPlugin& plugin_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    HWND mailboxLabel_ = nullptr;
    HWND mailboxSelector_ = nullptr;
    HWND preview_ = nullptr;
    HWND status_ = nullptr;
    FolderTree tree_;
    MailList mails_;
    tarnwick::UniqueFont font_;
    std::vector<std::string> mailboxIds_;
    std::string currentFolder_;
    bool exited_ = false;
};

}  // namespace standin::app
