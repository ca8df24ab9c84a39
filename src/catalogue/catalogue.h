#pragma once
// The catalogue as the rest of the plug-in sees it: the one shared folder
// list, its mutex, the background update thread and the cache deletion.

#include "catalogue/folder_record.h"

#include <windows.h>
#include <string>

namespace tarnwick {

// Fills SpecialFolderNames from the static table (first step of start-up).
void FillSpecialFolderNames();

// The shared list: created empty at start, destroyed at exit. Null outside.
void CreateFolderList();
void DestroyFolderList() noexcept;
FolderList* SharedFolderList() noexcept;

// "Tarnwick Mutex for Folder List Making": guards the shared list.
void CreateFolderListMutex() noexcept;
void CloseFolderListMutex() noexcept;
HANDLE FolderListMutex() noexcept;

// Brings the shared list up to date with the host's current mailbox. The
// caller holds the mutex (except in the start-up build).
void BuildCatalogue();

// The background builder. StopUpdateThread is called first by exit: it asks
// the thread to stop and waits for it, bounded. True when the thread has
// ended (or never ran); false when it still runs, in which case it keeps
// its own references on the list, the mutex and the module and ends itself.
constexpr DWORD kUpdateThreadStopMilliseconds = 5000;
void StartUpdateThread();
bool StopUpdateThread(DWORD timeoutMilliseconds = kUpdateThreadStopMilliseconds) noexcept;

// Deletes "Folder.lst" files below the host's data folder (exit, with
// "DeleteCache" set). Both paths are relative to the data folder.
void DeleteFolderListFiles(const std::string& basePath, const std::string& childName);
// The same below the given data folder (a test seam).
void DeleteFolderListFilesIn(const std::string& dataFolder, const std::string& basePath,
                             const std::string& childName);

}  // namespace tarnwick
