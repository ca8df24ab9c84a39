// Placeholder until the catalogue lands: the shared list, its mutex and
// no-op builds, so that start-up and shut-down keep their order.
#include "catalogue/catalogue.h"

#include <memory>

namespace tarnwick {
namespace {
std::unique_ptr<FolderList> g_folderList;
HANDLE g_folderListMutex = nullptr;
}  // namespace

void FillSpecialFolderNames() {}
void CreateFolderList() { g_folderList = std::make_unique<FolderList>(); }
void DestroyFolderList() noexcept { g_folderList.reset(); }
FolderList* SharedFolderList() noexcept { return g_folderList.get(); }
void CreateFolderListMutex() noexcept {
    g_folderListMutex = CreateMutexA(nullptr, FALSE, "Tarnwick Mutex for Folder List Making");
}
void CloseFolderListMutex() noexcept {
    if (g_folderListMutex) CloseHandle(g_folderListMutex);
    g_folderListMutex = nullptr;
}
HANDLE FolderListMutex() noexcept { return g_folderListMutex; }
void BuildCatalogue() {}
void StartUpdateThread() {}
void StopUpdateThread() noexcept {}
void DeleteFolderListFiles(const std::string&, const std::string&) {}

}  // namespace tarnwick
