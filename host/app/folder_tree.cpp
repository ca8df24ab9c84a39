#include "folder_tree.h"

#include "host_model.h"
#include "mail_store.h"

#include <algorithm>

namespace standin::app {
namespace {

// Deeper trees than this are not shown; the mailbox walk has its own limits.
constexpr int kMaxShownDepth = 12;

std::vector<std::string> SubdirectoryNames(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::string name = data.cFileName;
        if (directory && name != "." && name != ".." && name[0] != '#') names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());  // "!!!!Inbox" first, as the client lists them
    return names;
}

std::vector<std::string> IniFolderFiles(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "#*.ini").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// The last "/"-separated component of the host's display name.
std::string LastComponent(const std::string& display) {
    const std::size_t slash = display.rfind('/');
    return slash == std::string::npos ? display : display.substr(slash + 1);
}

}  // namespace

HWND FolderTree::Create(HWND parent, int id) {
    window_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                  TVS_SHOWSELALWAYS,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
    return window_;
}

void FolderTree::Fill(const std::string& dataFolder, const std::string& mailboxId) {
    dataFolder_ = dataFolder;
    nodes_.clear();
    SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(window_);
    Node root;
    root.id = mailboxId;
    root.label = Host().DisplayNameOf(mailboxId);
    if (!root.label.empty() && root.label.back() == '/') root.label.pop_back();
    HTREEITEM rootItem = Insert(TVI_ROOT, root);
    AddChildren(mailboxId, rootItem, 1);
    for (const std::string& file : IniFolderFiles(dataFolder + mailboxId)) {
        Node node;
        node.id = mailboxId + file;
        node.label = LastComponent(Host().DisplayNameOf(node.id));
        if (!node.label.empty()) Insert(rootItem, node);
    }
    TreeView_Expand(window_, rootItem, TVE_EXPAND);
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    if (nodes_.size() > 1) TreeView_SelectItem(window_, nodes_[1].item);
    TreeView_EnsureVisible(window_, rootItem);
}

void FolderTree::AddChildren(const std::string& relative, HTREEITEM parent, int depth) {
    if (depth > kMaxShownDepth) return;
    for (const std::string& name : SubdirectoryNames(dataFolder_ + relative)) {
        Node node;
        node.id = relative + name + "\\";
        node.label = LastComponent(Host().DisplayNameOf(node.id));
        node.mails = CountMails(dataFolder_ + node.id);
        const std::string id = node.id;
        HTREEITEM item = Insert(parent, std::move(node));
        AddChildren(id, item, depth + 1);
    }
}

HTREEITEM FolderTree::Insert(HTREEITEM parent, Node node) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>("");
    insert.item.lParam = static_cast<LPARAM>(nodes_.size());
    node.item = reinterpret_cast<HTREEITEM>(SendMessageA(window_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    nodes_.push_back(std::move(node));
    Relabel(nodes_.back());
    return nodes_.back().item;
}

void FolderTree::Relabel(const Node& node) {
    std::string text = node.label;
    if (node.mails > 0) text += " (" + std::to_string(node.mails) + ")";
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = node.item;
    item.pszText = &text[0];
    SendMessageA(window_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

const FolderTree::Node* FolderTree::Find(const std::string& folderId) const {
    for (const Node& node : nodes_) {
        if (lstrcmpiA(node.id.c_str(), folderId.c_str()) == 0) return &node;
    }
    return nullptr;
}

bool FolderTree::Select(const std::string& folderId) {
    const Node* node = Find(folderId);
    if (!node) return false;
    TreeView_SelectItem(window_, node->item);
    TreeView_EnsureVisible(window_, node->item);
    return true;
}

std::string FolderTree::FolderIdOf(HTREEITEM item) const {
    if (!item) return std::string();
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageA(window_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return std::string();
    const std::size_t index = static_cast<std::size_t>(data.lParam);
    return index < nodes_.size() ? nodes_[index].id : std::string();
}

std::string FolderTree::SelectedId() const { return FolderIdOf(TreeView_GetSelection(window_)); }

void FolderTree::Recount(const std::string& folderId) {
    for (Node& node : nodes_) {
        if (lstrcmpiA(node.id.c_str(), folderId.c_str()) != 0) continue;
        node.mails = CountMails(dataFolder_ + node.id);
        Relabel(node);
    }
}

int FolderTree::MailCountOf(const std::string& folderId) const {
    const Node* node = Find(folderId);
    return node ? node->mails : -1;
}

}  // namespace standin::app
