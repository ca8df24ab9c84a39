#pragma once
// A stand-in host over a real data folder in a temporary directory, bound
// to this executable's own BKA_* exports.

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_build.h"
#include "catalogue/folder_names.h"
#include "host_model.h"
#include "binding/host_api.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick {

inline bool operator==(const FolderRecord& a, const FolderRecord& b) {
    return a.name == b.name && a.searchKey == b.searchKey && a.folderId == b.folderId &&
           a.displayPath == b.displayPath && a.isIniFolder == b.isIniFolder;
}

inline std::ostream& operator<<(std::ostream& out, const FolderRecord& r) {
    return out << "{" << r.name << " | " << r.searchKey << " | " << r.folderId << " | " << r.displayPath << " | "
               << (r.isIniFolder ? "ini" : "dir") << "}";
}

}  // namespace tarnwick

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::ResetHost();
        tarnwick::HostApi() = tarnwick::CHostApi{};
        ASSERT_TRUE(tarnwick::BindHostApiTo(GetModuleHandle(nullptr)));
        tarnwick::FillSpecialFolderNames();
        data = temp.path();
        testing_support::MakeDirs(data, "MB1");
        standin::HostModel& host = standin::Host();
        host.dataFolder = data;
        host.currentMailBox = "MB1\\";
        host.mailboxDisplayNames["MB1\\"] = "Mailbox/";
    }
    void TearDown() override { standin::ResetHost(); }

    // Directories relative to the data folder, e.g. "MB1\\Work\\Plans".
    void Dirs(std::initializer_list<const char*> paths) const {
        for (const char* path : paths) testing_support::MakeDirs(data, path);
    }
    void WriteList(const std::string& directory, const std::string& bytes) const {
        testing_support::WriteFileBytes(data + directory + "Folder.lst", bytes);
    }
    std::string ListBytes(const std::string& directory) const {
        return testing_support::ReadFileBytes(data + directory + "Folder.lst");
    }
    bool HasList(const std::string& directory) const {
        return testing_support::FileExists(data + directory + "Folder.lst");
    }
    // A "#*.ini" folder file; a null name leaves the key out.
    void Ini(const std::string& file, const char* name, const std::string& mailbox = "MB1\\") const {
        std::string text = "[Folder]\r\n";
        if (name) text += std::string("Name=") + name + "\r\n";
        testing_support::WriteFileBytes(data + mailbox + file, text);
    }

    void Build(bool useCache = false, bool allMailboxes = false) {
        tarnwick::CatalogueSettings settings;
        settings.useCache = useCache;
        settings.allMailboxes = allMailboxes;
        tarnwick::BuildCatalogueInto(list, settings);
    }

    std::vector<std::string> Ids() const {
        std::vector<std::string> ids;
        for (const tarnwick::FolderRecord& r : list) ids.push_back(r.folderId);
        return ids;
    }
    const tarnwick::FolderRecord* Find(const std::string& id) const {
        for (const tarnwick::FolderRecord& r : list)
            if (r.folderId == id) return &r;
        return nullptr;
    }

    testing_support::TempDir temp;
    std::string data;
    tarnwick::FolderList list;
};

inline tarnwick::FolderRecord Walked(const char* name, const char* key, const char* id, const char* path) {
    return tarnwick::FolderRecord{name, key, id, path, false};
}
inline tarnwick::FolderRecord IniRecord(const char* name, const char* key, const char* id, const char* path) {
    return tarnwick::FolderRecord{name, key, id, path, true};
}
