#pragma once
// Records as the catalogue makes them, for tests of the matching layer.

#include "catalogue/folder_record.h"
#include "common/text.h"

#include <gtest/gtest.h>

#include <string>

namespace search_test {

// A folder of mailbox MB1 whose key is its name upper-cased as the catalogue
// does it.
inline tarnwick::FolderRecord Folder(const std::string& name, const std::string& path) {
    tarnwick::FolderRecord record;
    record.name = name;
    record.searchKey = tarnwick::UpperCaseMbcs(name);
    record.folderId = "MB1\\" + path + "\\";
    record.displayPath = path;
    return record;
}

}  // namespace search_test
