#pragma once
// The folder tree of the current mailbox: a tree view whose items are the
// mailbox's directories and "#*.ini" folders, labelled with the host's
// display names and mail counts.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace standin::app {

class FolderTree {
public:
    HWND Create(HWND parent, int id);
    HWND window() const { return window_; }

    // Reads the mailbox's tree from disk; the first folder is selected.
    void Fill(const std::string& dataFolder, const std::string& mailboxId);
    // Selects the folder with this ID; false when the mailbox has none.
    bool Select(const std::string& folderId);
    // The folder ID of the selected item; empty for none.
    std::string SelectedId() const;
    std::string FolderIdOf(HTREEITEM item) const;
    // Counts the folder's mails again and shows the count.
    void Recount(const std::string& folderId);
    int MailCountOf(const std::string& folderId) const;
    std::size_t FolderCount() const { return nodes_.size(); }

private:
    struct Node {
        std::string id;
        std::string label;
        int mails = 0;
        HTREEITEM item = nullptr;
    };
    void AddChildren(const std::string& relative, HTREEITEM parent, int depth);
    HTREEITEM Insert(HTREEITEM parent, Node node);
    void Relabel(const Node& node);
    const Node* Find(const std::string& folderId) const;

    HWND window_ = nullptr;
    std::string dataFolder_;
    std::vector<Node> nodes_;
};

}  // namespace standin::app
