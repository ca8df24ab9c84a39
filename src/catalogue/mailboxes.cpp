#include "catalogue/mailboxes.h"

#include "common/text.h"
#include "common/unique_handle.h"
#include "binding/host_api.h"

#include <windows.h>

#include <cstring>

namespace tarnwick {

std::vector<std::string> ListMailboxes(const std::string& dataFolder, const CatalogueSettings& settings) {
    std::vector<std::string> mailboxes;
    const std::string pattern = dataFolder + "*";
    if (!FitsAnsiPath(pattern.size())) return mailboxes;
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA(pattern.c_str(), &entry));
    if (!find) return mailboxes;
    do {
        if (settings.StopRequested()) break;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const char* name = entry.cFileName;
        if (name[0] == '#' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        std::string id = std::string(name) + "\\";
        if (!HostFolderDisplayName(id).empty()) mailboxes.push_back(std::move(id));
    } while (FindNextFileA(find.get(), &entry));
    return mailboxes;
}

std::string MailboxOfFolderId(const std::string& folderId) {
    for (const char* at = folderId.c_str(); *at != '\0'; at += MbcsCharLength(at)) {
        if (*at == '\\') return folderId.substr(0, static_cast<std::size_t>(at - folderId.c_str()) + 1);
    }
    return std::string();
}

}  // namespace tarnwick
