#include "binding/host_api.h"

#include "common/text.h"

#include <cstddef>
#include <cstring>

namespace tarnwick {
namespace {

CHostApi g_hostApi{};

struct HostEntry {
    const char* name;
    std::size_t offset;
};

#define HOST_ENTRY(name) {#name, offsetof(CHostApi, name)}

// Looked up in this order; the first missing one refuses the host.
constexpr HostEntry kRequired[] = {
    HOST_ENTRY(BKA_GetVersion), HOST_ENTRY(BKA_Command), HOST_ENTRY(BKA_GetWindowHandles),
    HOST_ENTRY(BKA_RegisterCommand), HOST_ENTRY(BKA_RegisterUICallback), HOST_ENTRY(BKA_GetDataFolder),
    HOST_ENTRY(BKA_GetTempFolder), HOST_ENTRY(BKA_GetTempFileName), HOST_ENTRY(BKA_GetCurrentMailBox),
    HOST_ENTRY(BKA_SetCurrentMailBox), HOST_ENTRY(BKA_GetCurrentFolder), HOST_ENTRY(BKA_SetCurrentFolder),
    HOST_ENTRY(BKA_GetFolderDisplayName), HOST_ENTRY(BKA_SetMessageText), HOST_ENTRY(BKA_GetCurrentMail),
    HOST_ENTRY(BKA_SetCurrentMail), HOST_ENTRY(BKA_GetNextMail), HOST_ENTRY(BKA_SetSel),
    HOST_ENTRY(BKA_AppendMessage), HOST_ENTRY(BKA_MoveSelectedMessages), HOST_ENTRY(BKA_GetStatus),
    HOST_ENTRY(BKA_ComposeMail), HOST_ENTRY(BKA_GetCharSet), HOST_ENTRY(BKA_GetSource),
    HOST_ENTRY(BKA_SetSource), HOST_ENTRY(BKA_GetHeader), HOST_ENTRY(BKA_GetText), HOST_ENTRY(BKA_SetText),
    HOST_ENTRY(BKA_GetSpecifiedHeader), HOST_ENTRY(BKA_SetSpecifiedHeader), HOST_ENTRY(BKA_CompGetCharSet),
    HOST_ENTRY(BKA_CompGetSource), HOST_ENTRY(BKA_CompSetSource), HOST_ENTRY(BKA_CompGetHeader),
    HOST_ENTRY(BKA_CompGetSpecifiedHeader), HOST_ENTRY(BKA_CompSetSpecifiedHeader),
    HOST_ENTRY(BKA_CompGetText), HOST_ENTRY(BKA_CompSetText), HOST_ENTRY(BKA_CompAttachFile),
    HOST_ENTRY(BKA_Alloc), HOST_ENTRY(BKA_ReAlloc), HOST_ENTRY(BKA_Free), HOST_ENTRY(BKA_ISO_2022_JP),
    HOST_ENTRY(BKA_ISO_2022_KR), HOST_ENTRY(BKA_HZ_GB2312), HOST_ENTRY(BKA_ISO_8859_2),
    HOST_ENTRY(BKA_EUC_JP), HOST_ENTRY(BKA_UTF_7), HOST_ENTRY(BKA_UTF_8), HOST_ENTRY(BKA_B64Convert),
    HOST_ENTRY(BKA_QPConvert), HOST_ENTRY(BKA_MIMEHeader), HOST_ENTRY(BKA_SerializeRcpts),
    HOST_ENTRY(BKA_Connect),
};
static_assert(sizeof(kRequired) / sizeof(kRequired[0]) == 54, "the host has 54 required functions");

constexpr HostEntry kOptional[] = {
    HOST_ENTRY(BKA_SetStatus), HOST_ENTRY(BKA_NextUnread), HOST_ENTRY(BKA_ProcessMail),
    HOST_ENTRY(BKA_GetSize), HOST_ENTRY(BKA_MoveMessages),
};
#undef HOST_ENTRY

void StoreEntry(const HostEntry& entry, FARPROC address) noexcept {
    // Every entry is a function pointer of the same size; the offset names it.
    std::memcpy(reinterpret_cast<char*>(&g_hostApi) + entry.offset, &address, sizeof(address));
}

// Hosts from 2.00.06 on must export BKA_SetStatus; a version text longer than
// seven characters counts as new whatever it says.
bool IsOlderThanReferenceVersion(LPCSTR version) noexcept {
    const char* text = version ? version : "";
    return std::strlen(text) <= 7 && lstrcmpA(text, "2.00.06") < 0;
}

}  // namespace

CHostApi& HostApi() noexcept { return g_hostApi; }

bool BindHostApiTo(HMODULE host) noexcept {
    if (g_hostApi.hostModule) return true;
    if (!host) return false;
    g_hostApi.hostModule = host;
    for (const HostEntry& entry : kRequired) {
        FARPROC address = GetProcAddress(host, entry.name);
        if (!address) {
            g_hostApi.hostModule = nullptr;
            return false;
        }
        StoreEntry(entry, address);
    }
    for (const HostEntry& entry : kOptional) StoreEntry(entry, GetProcAddress(host, entry.name));

    if (IsOlderThanReferenceVersion(g_hostApi.BKA_GetVersion())) return true;
    if (g_hostApi.BKA_SetStatus) return true;
    g_hostApi.hostModule = nullptr;
    return false;
}

bool BindHostApi() noexcept {
    if (g_hostApi.hostModule) return true;
    return BindHostApiTo(GetModuleHandleA(nullptr));
}

std::string HostDataFolder() {
    return g_hostApi.BKA_GetDataFolder ? TextOrEmpty(g_hostApi.BKA_GetDataFolder()) : std::string();
}

std::string HostCurrentMailBox() {
    return g_hostApi.BKA_GetCurrentMailBox ? TextOrEmpty(g_hostApi.BKA_GetCurrentMailBox()) : std::string();
}

std::string HostFolderDisplayName(const std::string& folderId) {
    return g_hostApi.BKA_GetFolderDisplayName ? TextOrEmpty(g_hostApi.BKA_GetFolderDisplayName(folderId.c_str()))
                                              : std::string();
}

void HostSetCurrentMailBox(const std::string& mailboxId) {
    if (g_hostApi.BKA_SetCurrentMailBox) g_hostApi.BKA_SetCurrentMailBox(mailboxId.c_str());
}

void HostSetCurrentFolder(const std::string& folderId) {
    if (g_hostApi.BKA_SetCurrentFolder) g_hostApi.BKA_SetCurrentFolder(folderId.c_str());
}

void HostMoveSelectedMessages(const std::string& folderId, bool copy) {
    if (g_hostApi.BKA_MoveSelectedMessages) g_hostApi.BKA_MoveSelectedMessages(folderId.c_str(), copy ? 1 : 0);
}

UINT HostRegisterCommand(const char* description, int target, BkaCommandCallback callback) {
    return g_hostApi.BKA_RegisterCommand ? g_hostApi.BKA_RegisterCommand(description, target, callback) : 0;
}

HostWindows HostWindowHandles() {
    HostWindows windows;
    if (g_hostApi.BKA_GetWindowHandles)
        g_hostApi.BKA_GetWindowHandles(&windows.main, &windows.tree, &windows.list, &windows.view);
    return windows;
}

}  // namespace tarnwick
