#pragma once
// Folder records as the catalogue makes them, for tests and benchmarks that
// give the matching and the dialog lists of their own.

#include "catalogue/folder_record.h"
#include "common/text.h"

#include <string>

namespace testing_support {

// A folder of mailbox MB1 at path (its display path) whose key is its name
// upper-cased as the catalogue does it.
inline tarnwick::FolderRecord Folder(const std::string& name, const std::string& path) {
    tarnwick::FolderRecord record;
    record.name = name;
    record.searchKey = tarnwick::UpperCaseMbcs(name);
    record.folderId = "MB1\\" + path + "\\";
    record.displayPath = path;
    return record;
}

}  // namespace testing_support
