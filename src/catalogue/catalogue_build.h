#pragma once
// The in-place build over a given list, and the shared instances that the
// plug-in's start and exit, the dialog and the update thread meet at.

#include "catalogue/folder_record.h"
#include "catalogue/folder_walk.h"

#include <windows.h>

#include <memory>

namespace tarnwick {

// Brings list up to date with the host's current mailbox, editing it in
// place: matched records stay untouched, the rest is rebuilt from the first
// difference. An abandoned build (stop request) leaves the list partial.
void BuildCatalogueInto(FolderList& list, const CatalogueSettings& settings);

// The shared list as an owner, for the update thread, which may outlive the
// plug-in's reference when exit cannot wait for it.
std::shared_ptr<FolderList> SharedFolderListOwner() noexcept;

// Snapshots are published only for builds over this list (null: none).
void AcceptSnapshotsOf(const FolderList* list) noexcept;

// The settings of the plug-in's builds, from Config().
CatalogueSettings ConfiguredCatalogueSettings() noexcept;

}  // namespace tarnwick
