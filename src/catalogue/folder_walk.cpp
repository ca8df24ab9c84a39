#include "catalogue/folder_walk.h"

#include "catalogue/folder_names.h"
#include "common/text.h"
#include "common/unique_handle.h"
#include "binding/host_api.h"

#include <windows.h>
#include <mbctype.h>

#include <algorithm>
#include <cstring>
#include <deque>

namespace tarnwick {
namespace {

constexpr char kListFileName[] = "Folder.lst";
constexpr std::string_view kInboxDisplayPath = "受信箱";

UniqueKernelHandle OpenFile(const std::string& path, DWORD access, DWORD disposition) noexcept {
    if (!FitsAnsiPath(path.size())) return UniqueKernelHandle();
    HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

UniqueFindHandle FindFirst(const std::string& pattern, WIN32_FIND_DATAA& data) noexcept {
    if (!FitsAnsiPath(pattern.size())) return UniqueFindHandle();
    return UniqueFindHandle(FindFirstFileA(pattern.c_str(), &data));
}

bool IsListedDirectory(const WIN32_FIND_DATAA& entry) noexcept {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const char* name = entry.cFileName;
    return name[0] != '#' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// One walk of a mailbox. The paths and per-level buffers are reused, so a
// re-walk of an unchanged mailbox allocates nothing per folder.
class FolderWalker {
public:
    FolderWalker(FolderList& list, const std::string& dataFolder, WalkCursor& cursor,
                 const CatalogueSettings& settings)
        : list_(list), cursor_(cursor), settings_(settings), fullPath_(dataFolder), dataLength_(dataFolder.size()) {}

    // relativePath ends with a separator; it is extended and restored below.
    bool WalkFolderDirectory(std::string& relativePath, bool matching, std::size_t depth) {
        if (ShouldStop()) return matching;
        SetFullPath(relativePath, kListFileName);
        std::string& content = LevelBuffer(depth);
        if (ReadListFile(fullPath_, content, listBytesLeft_)) {
            listBytesLeft_ -= content.size();
            ForEachListLine(content, [&](std::string_view name) {
                if (ShouldStop()) return false;
                matching = AddFolderEntry(relativePath, name, matching, depth, StaysBelowDirectory(name));
                return true;
            });
            return matching;
        }
        return EnumerateDirectory(relativePath, matching, depth);
    }

private:
    bool EnumerateDirectory(std::string& relativePath, bool matching, std::size_t depth) {
        WIN32_FIND_DATAA entry;
        SetFullPath(relativePath, "*.*");
        UniqueFindHandle find = FindFirst(fullPath_, entry);
        if (!find) return matching;
        // The names go to disk in one write once the enumeration is complete:
        // a list file cut short by a stop would hide folders until deleted.
        std::string& names = LevelBuffer(depth);
        names.clear();
        bool complete = true;
        do {
            if (ShouldStop()) {
                complete = false;
                break;
            }
            if (!IsListedDirectory(entry)) continue;
            if (settings_.useCache) names.append(entry.cFileName).append("\r\n");
            matching = AddFolderEntry(relativePath, entry.cFileName, matching, depth, true);
        } while (FindNextFileA(find.get(), &entry));
        find.reset();
        if (settings_.useCache && complete && !ShouldStop()) WriteListFile(relativePath, names);
        return matching;
    }

    bool AddFolderEntry(std::string& parentPath, std::string_view childName, bool matching, std::size_t depth,
                        bool walkable) {
        ++entries_;
        const std::size_t parentLength = parentPath.size();
        const bool makesRecord = parentLength != 0;
        const std::string* specialName = nullptr;
        parentPath.append(childName.data(), childName.size()).append(1, '\\');
        bool recordWanted = makesRecord;
        if (recordWanted && !childName.empty() && childName.front() == '!') {
            specialName = LookUpSpecialFolderName(childName);
            recordWanted = specialName != nullptr;
        }
        if (recordWanted) {
            if (matching) matching = MatchAtCursor(parentPath);
            if (!matching) {
                if (cursor_.firstAppended == static_cast<std::size_t>(-1)) cursor_.firstAppended = list_.size();
                FolderRecord record;
                record.name = specialName ? *specialName : std::string(childName);
                record.folderId = parentPath;
                list_.push_back(std::move(record));
            }
        }
        if (walkable) matching = WalkFolderDirectory(parentPath, matching, depth + 1);
        parentPath.resize(parentLength);
        return matching;
    }

    // Steps over ini-file records; a record with the same ID is kept as it
    // is, anything else ends the matching and the rest is rebuilt.
    bool MatchAtCursor(const std::string& folderId) {
        std::size_t& at = cursor_.position;
        while (at < list_.size() && list_[at].isIniFolder) ++at;
        if (at < list_.size() && list_[at].folderId == folderId) {
            ++at;
            return true;
        }
        list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(at), list_.end());
        return false;
    }

    bool ShouldStop() const noexcept { return entries_ >= settings_.maxWalkEntries || settings_.StopRequested(); }

    // Written whole under a temporary name and then renamed: a process
    // killed part-way leaves no cut list file, which every later walk would
    // trust, only the temporary one, which the next write replaces.
    void WriteListFile(const std::string& relativePath, const std::string& names) {
        SetFullPath(relativePath, kTemporaryListFileName);
        const std::string temporary = fullPath_;
        UniqueKernelHandle file = OpenFile(temporary, GENERIC_WRITE, CREATE_ALWAYS);
        if (!file) return;
        DWORD written = 0;
        const bool whole =
            names.empty() ||
            (WriteFile(file.get(), names.data(), static_cast<DWORD>(names.size()), &written, nullptr) &&
             written == names.size());
        file.reset();
        SetFullPath(relativePath, kListFileName);
        if (!whole || !MoveFileExA(temporary.c_str(), fullPath_.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileA(temporary.c_str());
        }
    }

    void SetFullPath(const std::string& relativePath, const char* leaf) {
        fullPath_.resize(dataLength_);
        fullPath_.append(relativePath).append(leaf);
    }

    std::string& LevelBuffer(std::size_t depth) {
        while (levelBuffers_.size() <= depth) levelBuffers_.emplace_back();
        return levelBuffers_[depth];
    }

    FolderList& list_;
    WalkCursor& cursor_;
    const CatalogueSettings& settings_;
    std::string fullPath_;
    std::size_t dataLength_;
    // deque: a deeper level's buffer never moves a shallower one's content.
    std::deque<std::string> levelBuffers_;
    std::size_t entries_ = 0;
    std::size_t listBytesLeft_ = kMaxListFileBytes;
};

}  // namespace

std::string WithTrailingSeparator(const std::string& path) {
    if (path.empty()) return path;
    // The last character, not the last byte: a trail byte may be '\\'.
    const std::size_t slash = FindLastMbcsChar(path.c_str(), '\\');
    const std::size_t forward = FindLastMbcsChar(path.c_str(), '/');
    const std::size_t last = path.size() - 1;
    return slash == last || forward == last ? path : path + "\\";
}

std::string WalkableDataFolder(const std::string& hostDataFolder) {
    const std::string& f = hostDataFolder;
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = f.size() >= 3 && ((f[0] >= 'A' && f[0] <= 'Z') || (f[0] >= 'a' && f[0] <= 'z')) &&
                       f[1] == ':' && isSeparator(f[2]);
    const bool share = f.size() >= 3 && isSeparator(f[0]) && isSeparator(f[1]);
    return drive || share ? WithTrailingSeparator(f) : std::string();
}

bool FitsAnsiPath(std::size_t length) noexcept { return length + 1 <= kMaxAnsiPath; }

bool StaysBelowDirectory(std::string_view line) noexcept {
    bool componentIsDotsOrBlanks = true;  // also true for an empty component
    for (std::size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == '\\' || c == '/') {
            if (componentIsDotsOrBlanks) return false;
            componentIsDotsOrBlanks = true;
            continue;
        }
        if (c != '.' && c != ' ') componentIsDotsOrBlanks = false;
        // A trail byte may be '\\': step over the whole character.
        if (_ismbblead(c) && i + 1 < line.size()) ++i;
    }
    return !componentIsDotsOrBlanks;
}

bool ReadListFile(const std::string& path, std::string& buffer, std::size_t maxBytes) {
    UniqueKernelHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return false;
    buffer.clear();
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        buffer.resize(static_cast<std::size_t>(std::min<ULONGLONG>(static_cast<ULONGLONG>(size.QuadPart), maxBytes)));
    }
    std::size_t filled = 0;
    bool cut = false;
    for (;;) {
        if (filled == maxBytes) {
            char more = 0;
            DWORD read = 0;
            cut = ReadFile(file.get(), &more, 1, &read, nullptr) && read == 1;
            break;
        }
        if (filled == buffer.size()) buffer.resize(std::min<std::size_t>(buffer.size() + 4096, maxBytes));
        DWORD read = 0;
        if (!ReadFile(file.get(), &buffer[filled], static_cast<DWORD>(buffer.size() - filled), &read, nullptr) ||
            read == 0)
            break;
        filled += read;
    }
    buffer.resize(filled);
    if (cut) buffer.resize(buffer.rfind('\n') + 1);  // npos + 1: nothing whole
    return true;
}

bool WalkFolderDirectory(FolderList& list, const std::string& dataFolder, const std::string& relativePath,
                         WalkCursor& cursor, bool matching, const CatalogueSettings& settings) {
    FolderWalker walker(list, dataFolder, cursor, settings);
    std::string path = relativePath;
    return walker.WalkFolderDirectory(path, matching, 0);
}

bool CollectIniFolders(FolderList& iniRecords, FolderRecord& inboxRecord, const std::string& dataFolder,
                       const std::string& mailboxId, std::size_t mailboxDisplayLength) {
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find = FindFirst(dataFolder + mailboxId + "#*.ini", entry);
    if (!find) return false;
    bool found = false;
    FolderRecord folder;
    folder.isIniFolder = true;
    do {
        const std::string id = mailboxId + entry.cFileName;
        const std::string display = HostFolderDisplayName(id);
        if (display.empty()) continue;
        found = true;
        folder.folderId = id;
        folder.displayPath = CutMailboxDisplayName(display, mailboxDisplayLength);
        if (folder.displayPath == kInboxDisplayPath && inboxRecord.displayPath.empty()) {
            inboxRecord.folderId = folder.folderId;
            inboxRecord.displayPath = folder.displayPath;
        } else {
            iniRecords.push_back(folder);
        }
    } while (FindNextFileA(find.get(), &entry));
    find.reset();
    SortByDisplayPath(iniRecords);
    return found;
}

}  // namespace tarnwick
