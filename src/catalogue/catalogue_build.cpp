#include "catalogue/catalogue_build.h"

#include "catalogue/catalogue.h"
#include "catalogue/folder_names.h"
#include "binding/config.h"
#include "binding/host_api.h"

#include <algorithm>
#include <cstring>

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

bool PlaceInboxRecord(FolderList& list, FolderRecord& inboxRecord) {
    if (!list.empty() && list.front().isIniFolder && list.front().folderId == inboxRecord.folderId) return true;
    if (inboxRecord.folderId.empty()) return false;
    DeriveNameFromPath(inboxRecord);
    list.insert(list.begin(), inboxRecord);
    return true;
}

void MergeIniRecords(FolderList& list, FolderList& iniRecords, bool inboxAtFront) {
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
    for (std::size_t i = k; i < iniRecords.size(); ++i) DeriveNameFromPath(iniRecords[i]);
    list.insert(At(list, p + k), iniRecords.begin() + static_cast<std::ptrdiff_t>(k), iniRecords.end());
    p = IniInsertionPoint(list, inboxAtFront);
    RemoveIniRecordsFrom(list, p + iniRecords.size());
}

}  // namespace

void BuildCatalogueInto(FolderList& list, const CatalogueSettings& settings) {
    const std::string dataFolder = WalkableDataFolder(HostDataFolder());
    if (settings.StopRequested()) return;
    const std::string hostMailboxId = HostCurrentMailBox();
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
            CompleteAppendedRecords(list, cursor.firstAppended, mailboxDisplayLength, settings);
        }
        RemoveIniRecordsFrom(list, 0);
    }
    if (settings.StopRequested()) return;

    FolderRecord inboxRecord;
    inboxRecord.isIniFolder = true;
    FolderList iniRecords;
    if (dataFolder.empty()) return;
    if (!CollectIniFolders(iniRecords, inboxRecord, dataFolder, mailboxId, mailboxDisplayLength)) return;

    const bool inboxAtFront = PlaceInboxRecord(list, inboxRecord);
    MergeIniRecords(list, iniRecords, inboxAtFront);
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
    return settings;
}

void BuildCatalogue() {
    FolderList* list = SharedFolderList();
    if (!list) return;
    BuildCatalogueInto(*list, ConfiguredCatalogueSettings());
    if (Config().instantOpen != 0) PublishCatalogueSnapshot(*list);
}

}  // namespace tarnwick
