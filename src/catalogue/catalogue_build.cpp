#include "catalogue/catalogue_build.h"

#include "catalogue/catalogue.h"
#include "catalogue/folder_names.h"
#include "catalogue/mailboxes.h"
#include "binding/config.h"
#include "binding/host_api.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tarnwick {
namespace {

std::shared_ptr<FolderList> g_folderList;
HANDLE g_folderListMutex = nullptr;

using Position = FolderList::iterator;

Position At(FolderList& list, std::size_t index) { return list.begin() + static_cast<std::ptrdiff_t>(index); }

bool IsIni(const FolderRecord& record) noexcept { return record.isIniFolder; }

// Keeps the order of the others; moves nothing when there is none.
void RemoveIniRecordsFrom(FolderList& list, std::size_t from) {
    if (from >= list.size()) return;
    list.erase(std::remove_if(At(list, from), list.end(), IsIni), list.end());
}

bool IsUnderSpecialFolder(const FolderRecord& record) noexcept {
    return !record.isIniFolder && record.folderId.find("\\!") != std::string::npos;
}

// After the inbox: past the walked records of the leading "\!" run.
std::size_t IniInsertionPoint(const FolderList& list, bool inboxAtFront) {
    std::size_t p = inboxAtFront ? 1 : 0;
    while (p < list.size() && IsUnderSpecialFolder(list[p])) ++p;
    return p;
}

void CompleteAppendedRecords(FolderList& list, std::size_t from, std::size_t mailboxDisplayLength,
                             const CatalogueSettings& settings) {
    for (std::size_t i = from; i < list.size(); ++i) {
        if (settings.StopRequested()) return;
        FolderRecord& record = list[i];
        if (record.isIniFolder) continue;
        record.searchKey = MakeSearchKey(record.name);
        record.displayPath = CutMailboxDisplayName(HostFolderDisplayName(record.folderId), mailboxDisplayLength);
    }
}

// The name comes from the path under the mailbox, as for one mailbox; with
// every mailbox listed the path column then shows the host's whole name.
void CompleteIniRecord(FolderRecord& record, bool wholeDisplayName) {
    DeriveNameFromPath(record);
    if (wholeDisplayName) record.displayPath = HostFolderDisplayName(record.folderId);
}

bool PlaceInboxRecord(FolderList& list, FolderRecord& inboxRecord, bool wholeDisplayNames) {
    if (!list.empty() && list.front().isIniFolder && list.front().folderId == inboxRecord.folderId) return true;
    if (inboxRecord.folderId.empty()) return false;
    CompleteIniRecord(inboxRecord, wholeDisplayNames);
    list.insert(list.begin(), inboxRecord);
    return true;
}

void MergeIniRecords(FolderList& list, FolderList& iniRecords, bool inboxAtFront, bool wholeDisplayNames) {
    std::size_t p = IniInsertionPoint(list, inboxAtFront);
    if (iniRecords.empty()) {
        RemoveIniRecordsFrom(list, p);
        return;
    }
    std::size_t k = 0;
    while (k < iniRecords.size() && p + k < list.size() && list[p + k].isIniFolder &&
           list[p + k].folderId == iniRecords[k].folderId)
        ++k;
    if (k == iniRecords.size()) {
        RemoveIniRecordsFrom(list, p + k);
        return;
    }
    for (std::size_t i = k; i < iniRecords.size(); ++i) CompleteIniRecord(iniRecords[i], wholeDisplayNames);
    list.insert(At(list, p + k), iniRecords.begin() + static_cast<std::ptrdiff_t>(k), iniRecords.end());
    p = IniInsertionPoint(list, inboxAtFront);
    RemoveIniRecordsFrom(list, p + iniRecords.size());
}

// One mailbox's catalogue, in list. wholeDisplayNames: display paths keep
// the mailbox's own name.
void BuildMailboxInto(FolderList& list, const CatalogueSettings& settings, const std::string& dataFolder,
                      const std::string& hostMailboxId, bool wholeDisplayNames) {
    const std::string mailboxId = WithTrailingSeparator(hostMailboxId);

    WalkCursor cursor;
    bool matched = !list.empty();
    // Without a usable data folder the mailbox counts as unreadable.
    if (!dataFolder.empty()) matched = WalkFolderDirectory(list, dataFolder, mailboxId, cursor, matched, settings);
    if (settings.StopRequested()) return;

    const std::size_t mailboxDisplayLength = HostFolderDisplayName(hostMailboxId).size();
    if (matched) {
        list.erase(At(list, cursor.position), list.end());
    } else {
        if (cursor.firstAppended != static_cast<std::size_t>(-1)) {
            CompleteAppendedRecords(list, cursor.firstAppended, wholeDisplayNames ? 0 : mailboxDisplayLength,
                                    settings);
        }
        RemoveIniRecordsFrom(list, 0);
    }
    if (settings.StopRequested()) return;

    FolderRecord inboxRecord;
    inboxRecord.isIniFolder = true;
    FolderList iniRecords;
    if (dataFolder.empty()) return;
    if (!CollectIniFolders(iniRecords, inboxRecord, dataFolder, mailboxId, mailboxDisplayLength)) return;

    const bool inboxAtFront = PlaceInboxRecord(list, inboxRecord, wholeDisplayNames);
    MergeIniRecords(list, iniRecords, inboxAtFront, wholeDisplayNames);
}

bool StartsWith(const std::string& text, const std::string& prefix) noexcept {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool BelongsToAnyOf(const FolderRecord& record, const std::vector<std::string>& mailboxes, std::size_t from) {
    for (std::size_t i = from; i < mailboxes.size(); ++i) {
        if (StartsWith(record.folderId, mailboxes[i])) return true;
    }
    return false;
}

// The list is each mailbox's own catalogue in turn. Each part is moved out,
// built in place exactly as for one mailbox and moved back: an unchanged
// mailbox keeps its records and costs no allocation per folder.
void BuildAllMailboxesInto(FolderList& list, const CatalogueSettings& settings, const std::string& dataFolder) {
    const std::vector<std::string> mailboxes = dataFolder.empty() ? std::vector<std::string>()
                                                                  : ListMailboxes(dataFolder, settings);
    if (settings.StopRequested()) return;
    FolderList old;
    old.swap(list);
    list.reserve(old.size());
    FolderList part;
    std::size_t from = 0;
    for (std::size_t m = 0; m < mailboxes.size(); ++m) {
        const std::string& mailboxId = mailboxes[m];
        // Records of a mailbox that is gone, or now comes earlier, are dropped.
        std::size_t begin = from;
        while (begin < old.size() && !StartsWith(old[begin].folderId, mailboxId) &&
               !BelongsToAnyOf(old[begin], mailboxes, m + 1))
            ++begin;
        std::size_t end = begin;
        while (end < old.size() && StartsWith(old[end].folderId, mailboxId)) ++end;
        part.assign(std::make_move_iterator(At(old, begin)), std::make_move_iterator(At(old, end)));
        from = end;
        BuildMailboxInto(part, settings, dataFolder, mailboxId, true);
        list.insert(list.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
        part.clear();
        if (settings.StopRequested()) return;
    }
}

}  // namespace

void BuildCatalogueInto(FolderList& list, const CatalogueSettings& settings) {
    const std::string dataFolder = WalkableDataFolder(HostDataFolder());
    if (settings.StopRequested()) return;
    if (settings.allMailboxes) {
        BuildAllMailboxesInto(list, settings, dataFolder);
        return;
    }
    BuildMailboxInto(list, settings, dataFolder, HostCurrentMailBox(), false);
}

void CreateFolderList() {
    g_folderList = std::make_shared<FolderList>();
    AcceptSnapshotsOf(g_folderList.get());
}

void DestroyFolderList() noexcept {
    AcceptSnapshotsOf(nullptr);
    g_folderList.reset();
}

FolderList* SharedFolderList() noexcept { return g_folderList.get(); }

std::shared_ptr<FolderList> SharedFolderListOwner() noexcept { return g_folderList; }

void CreateFolderListMutex() noexcept {
    g_folderListMutex = CreateMutexA(nullptr, FALSE, "Tarnwick Mutex for Folder List Making");
}

void CloseFolderListMutex() noexcept {
    if (g_folderListMutex) CloseHandle(g_folderListMutex);
    g_folderListMutex = nullptr;
}

HANDLE FolderListMutex() noexcept { return g_folderListMutex; }

CatalogueSettings ConfiguredCatalogueSettings() noexcept {
    CatalogueSettings settings;
    settings.useCache = Config().useCache != 0;
    settings.allMailboxes = Config().allMailboxes != 0;
    return settings;
}

void BuildCatalogue() {
    FolderList* list = SharedFolderList();
    if (!list) return;
    BuildCatalogueInto(*list, ConfiguredCatalogueSettings());
    if (Config().instantOpen != 0) PublishCatalogueSnapshot(*list);
}

}  // namespace tarnwick
