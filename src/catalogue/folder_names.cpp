#include "catalogue/folder_names.h"

#include "catalogue/catalogue.h"
#include "common/text.h"

#include <mbstring.h>

#include <algorithm>
#include <cstring>

namespace tarnwick {
namespace {

const unsigned char* Bytes(const std::string& text) noexcept {
    return reinterpret_cast<const unsigned char*>(text.c_str());
}

bool LessIgnoringCase(const std::string& a, const std::string& b) noexcept {
    return _mbsicmp(Bytes(a), Bytes(b)) < 0;
}

}  // namespace

const SpecialFolderEntry SpecialFolderTable[6] = {
    {"!!!!Inbox", "受信箱"},
    {"!!!!Outbox", "送信箱"},
    {"!!!Draft", "草稿"},
    {"!!!Sent", "送信済み"},
    {"!!!XReminder", "リマインダ"},
    {"!Trash", "ごみ箱"},
};

SpecialFolderMap& SpecialFolderNames() noexcept {
    static SpecialFolderMap names;
    return names;
}

void FillSpecialFolderNames() {
    SpecialFolderMap& names = SpecialFolderNames();
    for (const SpecialFolderEntry& entry : SpecialFolderTable) {
        names[entry.directoryName] = entry.displayName;
    }
}

const std::string* LookUpSpecialFolderName(std::string_view directoryName) noexcept {
    if (directoryName.empty() || directoryName.front() != '!') return nullptr;
    const SpecialFolderMap& names = SpecialFolderNames();
    auto found = names.find(directoryName);
    return found != names.end() ? &found->second : nullptr;
}

std::string MakeSearchKey(const std::string& name) { return UpperCaseMbcs(name); }

void DeriveNameFromPath(FolderRecord& record) {
    // A '/' byte is never the trail byte of a double-byte character.
    const std::size_t slash = record.displayPath.rfind('/');
    record.name = slash == std::string::npos ? record.displayPath : record.displayPath.substr(slash + 1);
    record.searchKey = MakeSearchKey(record.name);
}

std::string CutMailboxDisplayName(const std::string& displayName, std::size_t mailboxDisplayLength) {
    if (displayName.size() < mailboxDisplayLength) return std::string();
    return displayName.substr(mailboxDisplayLength);
}

bool CompareDisplayPaths(const FolderRecord& a, const FolderRecord& b) {
    // The runtime functions below must see whole characters only.
    const bool wellFormed = WellFormedMbcsLength(a.displayPath) == a.displayPath.size() &&
                            WellFormedMbcsLength(b.displayPath) == b.displayPath.size();
    if (!wellFormed) {
        FolderRecord trimmedA, trimmedB;
        trimmedA.displayPath = WithoutLoneLeadByte(a.displayPath);
        trimmedB.displayPath = WithoutLoneLeadByte(b.displayPath);
        return CompareDisplayPaths(trimmedA, trimmedB);
    }
    const std::string& pathA = a.displayPath;
    const std::string& pathB = b.displayPath;
    const std::size_t countA = _mbslen(Bytes(pathA));
    const std::size_t countB = _mbslen(Bytes(pathB));
    if (countA == countB) return LessIgnoringCase(pathA, pathB);

    const std::size_t shorter = std::min(countA, countB);
    const int prefix = _mbsnicmp(Bytes(pathA), Bytes(pathB), shorter);
    if (prefix != 0) return prefix < 0;

    // One is a prefix of the other, ignoring case: a folder comes before its
    // subfolders, otherwise the shorter sorts as if followed by "@".
    if (countA < countB) {
        const char* rest = pathB.c_str() + std::min(pathA.size(), pathB.size());
        if (*rest == '/') return true;
        return LessIgnoringCase(pathA + "@", pathB);
    }
    const char* rest = pathA.c_str() + std::min(pathA.size(), pathB.size());
    if (*rest == '/') return false;
    return LessIgnoringCase(pathA, pathB + "@");
}

void SortByDisplayPath(FolderList& records) {
    std::stable_sort(records.begin(), records.end(), CompareDisplayPaths);
}

}  // namespace tarnwick
