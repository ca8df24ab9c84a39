#pragma once
// The catalogue as the rest of the plug-in sees it: the one shared folder
// list, its mutex, the background update thread and the cache deletion.

#include "catalogue/folder_record.h"

#include <windows.h>
#include <memory>
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

// "InstantOpen": the dialog shows an immutable copy of the list as last
// built, and a rebuild that an opening asks for runs on a thread of its own.
using FolderSnapshot = std::shared_ptr<const FolderList>;
// The copy of the last build; null before the first one and after exit.
FolderSnapshot LatestCatalogueSnapshot() noexcept;
// Called by a builder that holds the mutex: publishes a copy of the list
// when it differs from the last one published (a build over a list that
// exit has dropped publishes nothing), and then posts the listener's
// message to it.
void PublishCatalogueSnapshot(const FolderList& list);
void SetCatalogueListener(HWND window, UINT message) noexcept;
// Asks for one rebuild off the calling thread (starting its thread on first
// use); a request while one is pending or running makes one more.
void RequestCatalogueRebuild();
// Exit: stops that thread and the update thread, bounded together by
// kUpdateThreadStopMilliseconds. True when both have ended (or never ran).
bool StopBackgroundBuilders() noexcept;

// Deletes "Folder.lst" files below the host's data folder (exit, with
// "DeleteCache" set). Both paths are relative to the data folder.
void DeleteFolderListFiles(const std::string& basePath, const std::string& childName);
// The same below the given data folder (a test seam).
void DeleteFolderListFilesIn(const std::string& dataFolder, const std::string& basePath,
                             const std::string& childName);

}  // namespace tarnwick
