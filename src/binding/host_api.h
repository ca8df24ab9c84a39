#pragma once
// The host's BKA_* functions, looked up by name in the host executable at
// load. The table is plain data so that tests can put their own functions in.

#include <windows.h>
#include <string>

namespace tarnwick {

using BkaCommandCallback = void(WINAPI*)(HWND window, LPARAM lParam);

using BkaGetTextFn = LPCSTR(WINAPI*)();
using BkaGetFolderDisplayNameFn = LPCSTR(WINAPI*)(LPCSTR folderId);
using BkaGetWindowHandlesFn = BOOL(WINAPI*)(HWND* main, HWND* tree, HWND* list, HWND* view);
using BkaRegisterCommandFn = UINT(WINAPI*)(LPCSTR description, int target, BkaCommandCallback callback);
using BkaSetCurrentMailBoxFn = void(WINAPI*)(LPCSTR mailboxId);
using BkaSetCurrentFolderFn = int(WINAPI*)(LPCSTR folderId);
using BkaMoveSelectedMessagesFn = int(WINAPI*)(LPCSTR folderId, BOOL copy);

// Fields in the host's order. Entries the plug-in never calls are kept as
// untyped addresses.
struct CHostApi {
    BkaGetTextFn BKA_GetVersion;
    FARPROC BKA_Command;
    BkaGetWindowHandlesFn BKA_GetWindowHandles;
    BkaRegisterCommandFn BKA_RegisterCommand;
    FARPROC BKA_RegisterUICallback;
    BkaGetTextFn BKA_GetDataFolder;
    FARPROC BKA_GetTempFolder;
    FARPROC BKA_GetTempFileName;
    BkaGetTextFn BKA_GetCurrentMailBox;
    BkaSetCurrentMailBoxFn BKA_SetCurrentMailBox;
    FARPROC BKA_GetCurrentFolder;
    BkaSetCurrentFolderFn BKA_SetCurrentFolder;
    BkaGetFolderDisplayNameFn BKA_GetFolderDisplayName;
    FARPROC BKA_SetMessageText;
    FARPROC BKA_GetCurrentMail;
    FARPROC BKA_SetCurrentMail;
    FARPROC BKA_GetNextMail;
    FARPROC BKA_SetSel;
    FARPROC BKA_AppendMessage;
    FARPROC BKA_MoveMessages;
    BkaMoveSelectedMessagesFn BKA_MoveSelectedMessages;
    FARPROC BKA_GetStatus;
    FARPROC BKA_SetStatus;
    FARPROC BKA_ComposeMail;
    FARPROC BKA_GetCharSet;
    FARPROC BKA_GetSource;
    FARPROC BKA_SetSource;
    FARPROC BKA_GetSize;
    FARPROC BKA_GetHeader;
    FARPROC BKA_GetText;
    FARPROC BKA_SetText;
    FARPROC BKA_GetSpecifiedHeader;
    FARPROC BKA_SetSpecifiedHeader;
    FARPROC BKA_CompGetCharSet;
    FARPROC BKA_CompGetSource;
    FARPROC BKA_CompSetSource;
    FARPROC BKA_CompGetHeader;
    FARPROC BKA_CompGetSpecifiedHeader;
    FARPROC BKA_CompSetSpecifiedHeader;
    FARPROC BKA_CompGetText;
    FARPROC BKA_CompSetText;
    FARPROC BKA_CompAttachFile;
    FARPROC BKA_Alloc;
    FARPROC BKA_ReAlloc;
    FARPROC BKA_Free;
    FARPROC BKA_ISO_2022_JP;
    FARPROC BKA_ISO_2022_KR;
    FARPROC BKA_HZ_GB2312;
    FARPROC BKA_ISO_8859_2;
    FARPROC BKA_EUC_JP;
    FARPROC BKA_UTF_7;
    FARPROC BKA_UTF_8;
    FARPROC BKA_B64Convert;
    FARPROC BKA_QPConvert;
    FARPROC BKA_MIMEHeader;
    FARPROC BKA_SerializeRcpts;
    FARPROC BKA_Connect;
    FARPROC BKA_NextUnread;
    FARPROC BKA_ProcessMail;

    HMODULE hostModule;  // null while unbound
};

// The process-wide table. Written only by BindHostApi (or a test) before any
// second thread exists.
CHostApi& HostApi() noexcept;

// Binds the table to the executable that created the process. Returns true
// when bound; false refuses the plug-in's load.
bool BindHostApi() noexcept;

// Binds the table to the exports of the given module (the seam under
// BindHostApi).
bool BindHostApiTo(HMODULE host) noexcept;

// Null-safe calls into the host: a missing entry or a null text answers as
// the empty text, a missing action does nothing.
std::string HostDataFolder();
std::string HostCurrentMailBox();
std::string HostFolderDisplayName(const std::string& folderId);
void HostSetCurrentMailBox(const std::string& mailboxId);
void HostSetCurrentFolder(const std::string& folderId);
void HostMoveSelectedMessages(const std::string& folderId, bool copy);
UINT HostRegisterCommand(const char* description, int target, BkaCommandCallback callback);

struct HostWindows {
    HWND main = nullptr;
    HWND tree = nullptr;
    HWND list = nullptr;
    HWND view = nullptr;
};
HostWindows HostWindowHandles();

}  // namespace tarnwick
