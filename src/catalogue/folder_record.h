#pragma once

#include <string>
#include <vector>

namespace tarnwick {

struct FolderRecord {
    std::string name;         // first result column
    std::string searchKey;    // name upper-cased; what the filter matches
    std::string folderId;     // the host's folder ID, relative to the data folder
    std::string displayPath;  // second result column; empty until completed
    bool isIniFolder = false;
};

using FolderList = std::vector<FolderRecord>;

}  // namespace tarnwick
