#pragma once
// "AllMailboxes": which directories of the data folder are mailboxes, and
// which mailbox a folder belongs to.

#include "catalogue/folder_walk.h"

#include <string>
#include <vector>

namespace tarnwick {

// The mailbox IDs ("D\") of the data folder in its enumeration order: each
// immediate subdirectory D (not ".", "..", nor starting with "#") that the
// host gives a display name. The host decides; a name alone proves nothing.
std::vector<std::string> ListMailboxes(const std::string& dataFolder, const CatalogueSettings& settings);

// The mailbox part of a folder ID, "D\" for "D\Work\Plans\"; empty when the
// ID has no separator. The first separator that is a character of its own:
// a trail byte may be '\\'.
std::string MailboxOfFolderId(const std::string& folderId);

}  // namespace tarnwick
