#include "catalogue/catalogue.h"
#include "catalogue/folder_walk.h"
#include "common/unique_handle.h"
#include "binding/host_api.h"

#include <cstring>
#include <string_view>

namespace tarnwick {
namespace {

// One deletion pass. Lines that would lead out of their directory are not
// followed, so no file outside the data folder is ever deleted; the visit
// budget bounds list files that name the same directories over and over.
class CacheDeleter {
public:
    explicit CacheDeleter(const std::string& dataFolder) : dataFolder_(dataFolder) {}

    void Visit(const std::string& basePath, const std::string& childName) {
        const std::string path = childName.empty() ? basePath : basePath + childName + "\\";
        // Each level adds at least two bytes, so the path limit ends any descent.
        if (!FitsAnsiPath(dataFolder_.size() + path.size())) return;
        if (visits_ >= kMaxWalkEntries) return;
        ++visits_;
        VisitDirectory(path);
    }

private:
    void VisitDirectory(const std::string& path) {
        const std::string dir = dataFolder_ + path;
        const std::string listFile = dir + "Folder.lst";
        // What a write cut short by a kill left; also where no list file
        // was finished.
        const std::string temporary = dir + kTemporaryListFileName;
        if (FitsAnsiPath(temporary.size())) DeleteFileA(temporary.c_str());
        std::string content;
        if (ReadListFile(listFile, content, listBytesLeft_)) {
            listBytesLeft_ -= content.size();
            // Every directory the file names is visited first; then the file
            // goes whatever its length, so that the next walk enumerates afresh.
            ForEachListLine(content, [&](std::string_view line) {
                if (StaysBelowDirectory(line)) Visit(path, std::string(line));
                return visits_ < kMaxWalkEntries;
            });
            DeleteFileA(listFile.c_str());
            return;
        }
        const std::string pattern = dir + "*.*";
        if (!FitsAnsiPath(pattern.size())) return;
        WIN32_FIND_DATAA entry;
        UniqueFindHandle find(FindFirstFileA(pattern.c_str(), &entry));
        if (!find) return;
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            const char* name = entry.cFileName;
            if (name[0] == '#' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            Visit(path, name);
        } while (FindNextFileA(find.get(), &entry));
    }

    const std::string& dataFolder_;
    std::size_t visits_ = 0;
    std::size_t listBytesLeft_ = kMaxListFileBytes;
};

}  // namespace

void DeleteFolderListFilesIn(const std::string& dataFolder, const std::string& basePath,
                             const std::string& childName) {
    CacheDeleter(dataFolder).Visit(basePath, childName);
}

void DeleteFolderListFiles(const std::string& basePath, const std::string& childName) {
    // Never relative to the current directory.
    const std::string dataFolder = WalkableDataFolder(HostDataFolder());
    if (!dataFolder.empty()) DeleteFolderListFilesIn(dataFolder, basePath, childName);
}

}  // namespace tarnwick
