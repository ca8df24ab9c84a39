// The BKA_* functions the stand-in host exports from its executable, as the
// real mail client does. Build variants leave out BKA_SetStatus or
// BKA_Connect (STANDIN_WITHOUT_SETSTATUS, STANDIN_WITHOUT_CONNECT).
#include "host_model.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#define BKA_EXPORT extern "C" __declspec(dllexport)

namespace {

using standin::Host;
using standin::TextFault;

// Each thread gets its own answer buffer, valid until its next text call.
// Kept in a map, not in thread_local storage: at thread exit the MinGW
// runtime's thread_local destructors free a block twice under Wine (its
// heap checking reports it).
std::string& ThreadAnswerBuffer() {
    static std::mutex lock;
    static std::map<DWORD, std::string> buffers;
    std::lock_guard<std::mutex> hold(lock);
    return buffers[GetCurrentThreadId()];
}

LPCSTR Answer(const std::string& text) {
    std::string& buffer = ThreadAnswerBuffer();
    standin::HostModel& host = Host();
    ++host.textCallsStarted;
    if (host.delayMilliseconds) Sleep(host.delayMilliseconds);
    switch (host.textFault) {
        case TextFault::Null: return nullptr;
        case TextFault::Empty: buffer.clear(); break;
        case TextFault::Long: buffer = text + std::string(5000, 'L'); break;
        case TextFault::OneByte: buffer = text.substr(0, 1); break;
        case TextFault::NoTrailingSeparator:
            buffer = text;
            if (!buffer.empty() && buffer.back() == '\\') buffer.pop_back();
            break;
        case TextFault::NoSlash:
            buffer.clear();
            for (char c : text) {
                if (c != '/') buffer += c;
            }
            break;
        case TextFault::None: buffer = text; break;
    }
    return buffer.c_str();
}

UINT g_nextCommandId = 40000;

}  // namespace

BKA_EXPORT LPCSTR WINAPI BKA_GetVersion() { return Host().version.c_str(); }
BKA_EXPORT int WINAPI BKA_Command(HWND, LPCSTR) { return 0; }

BKA_EXPORT BOOL WINAPI BKA_GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view) {
    standin::HostModel& host = Host();
    host.Record("BKA_GetWindowHandles");
    HWND* targets[4] = {main, tree, list, view};
    for (int i = 0; i < 4; ++i) {
        if (targets[i]) *targets[i] = host.nullWindowHandles ? nullptr : host.windows[i];
    }
    return TRUE;
}

BKA_EXPORT UINT WINAPI BKA_RegisterCommand(LPCSTR description, int target, standin::CommandCallback callback) {
    standin::RegisteredCommand command;
    command.description = description ? description : "";
    command.target = target;
    command.callback = callback;
    command.id = g_nextCommandId++;
    Host().commands.push_back(command);
    Host().Record("BKA_RegisterCommand", command.description, target);
    return command.id;
}

BKA_EXPORT UINT WINAPI BKA_RegisterUICallback(LPCSTR, void*) { return 0; }

BKA_EXPORT LPCSTR WINAPI BKA_GetDataFolder() { return Answer(Host().dataFolder); }
BKA_EXPORT LPCSTR WINAPI BKA_GetTempFolder() { return Answer(Host().dataFolder); }
BKA_EXPORT LPCSTR WINAPI BKA_GetTempFileName(LPCSTR) { return Answer(std::string()); }
BKA_EXPORT LPCSTR WINAPI BKA_GetCurrentMailBox() { return Answer(Host().CurrentMailBox()); }
BKA_EXPORT void WINAPI BKA_SetCurrentMailBox(LPCSTR mailbox) {
    const std::string id = mailbox ? mailbox : "";
    Host().Record("BKA_SetCurrentMailBox", id);
    Host().SetCurrentMailBox(id);
    if (Host().onSetCurrentMailBox) Host().onSetCurrentMailBox(id);
}
BKA_EXPORT LPCSTR WINAPI BKA_GetCurrentFolder() { return Answer(std::string()); }

BKA_EXPORT int WINAPI BKA_SetCurrentFolder(LPCSTR folderId) {
    const std::string id = folderId ? folderId : "";
    Host().Record("BKA_SetCurrentFolder", id);
    if (Host().onSetCurrentFolder) Host().onSetCurrentFolder(id);
    return 0;
}

BKA_EXPORT LPCSTR WINAPI BKA_GetFolderDisplayName(LPCSTR folderId) {
    Host().CountDisplayNameCall();
    return Answer(Host().DisplayNameOf(folderId ? folderId : ""));
}

BKA_EXPORT int WINAPI BKA_SetMessageText(HWND, LPCSTR) { return 0; }
BKA_EXPORT LPCSTR WINAPI BKA_GetCurrentMail() { return Answer(std::string()); }
BKA_EXPORT void WINAPI BKA_SetCurrentMail(LPCSTR) {}
BKA_EXPORT int WINAPI BKA_GetNextMail(int, LPSTR, int, BOOL) { return -1; }
BKA_EXPORT void WINAPI BKA_SetSel(LPCSTR, BOOL) {}
BKA_EXPORT BOOL WINAPI BKA_AppendMessage(LPCSTR, LPCSTR) { return FALSE; }
BKA_EXPORT BOOL WINAPI BKA_MoveMessages(LPCSTR, LPCSTR, BOOL) { return FALSE; }

BKA_EXPORT BOOL WINAPI BKA_MoveSelectedMessages(LPCSTR folderId, BOOL copy) {
    const std::string id = folderId ? folderId : "";
    Host().Record("BKA_MoveSelectedMessages", id, copy);
    if (Host().onMoveSelectedMessages) Host().onMoveSelectedMessages(id, copy != FALSE);
    return TRUE;
}

BKA_EXPORT DWORD WINAPI BKA_GetStatus(LPCSTR) { return 0; }
#ifndef STANDIN_WITHOUT_SETSTATUS
BKA_EXPORT DWORD WINAPI BKA_SetStatus(LPCSTR, DWORD, DWORD) { return 0; }
#endif
BKA_EXPORT HWND WINAPI BKA_ComposeMail(LPCSTR) { return nullptr; }
BKA_EXPORT int WINAPI BKA_GetCharSet(LPCSTR, LPSTR, int) { return 0; }
BKA_EXPORT LPSTR WINAPI BKA_GetSource(LPCSTR) { return nullptr; }
BKA_EXPORT void WINAPI BKA_SetSource(LPCSTR, LPCSTR) {}
BKA_EXPORT int WINAPI BKA_GetSize(LPCSTR) { return 0; }
BKA_EXPORT LPSTR WINAPI BKA_GetHeader(LPCSTR) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_GetText(LPSTR, int) { return nullptr; }
BKA_EXPORT void WINAPI BKA_SetText(int, LPCSTR) {}
BKA_EXPORT void WINAPI BKA_GetSpecifiedHeader(LPCSTR, LPSTR, int) {}
BKA_EXPORT void WINAPI BKA_SetSpecifiedHeader(LPCSTR, LPCSTR) {}
BKA_EXPORT int WINAPI BKA_CompGetCharSet(HWND, LPSTR, int) { return 0; }
BKA_EXPORT LPSTR WINAPI BKA_CompGetSource(HWND) { return nullptr; }
BKA_EXPORT void WINAPI BKA_CompSetSource(HWND, LPCSTR) {}
BKA_EXPORT LPSTR WINAPI BKA_CompGetHeader(HWND) { return nullptr; }
BKA_EXPORT void WINAPI BKA_CompGetSpecifiedHeader(HWND, LPCSTR, LPSTR, int) {}
BKA_EXPORT void WINAPI BKA_CompSetSpecifiedHeader(HWND, LPCSTR, LPCSTR) {}
BKA_EXPORT LPSTR WINAPI BKA_CompGetText(HWND, LPSTR, int) { return nullptr; }
BKA_EXPORT void WINAPI BKA_CompSetText(HWND, int, LPCSTR) {}
BKA_EXPORT void WINAPI BKA_CompAttachFile(HWND, LPCSTR, LPCSTR) {}
BKA_EXPORT LPVOID WINAPI BKA_Alloc(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }
BKA_EXPORT LPVOID WINAPI BKA_ReAlloc(LPVOID p, size_t size) { return HeapReAlloc(GetProcessHeap(), 0, p, size); }
BKA_EXPORT void WINAPI BKA_Free(LPVOID p) { if (p) HeapFree(GetProcessHeap(), 0, p); }
BKA_EXPORT LPSTR WINAPI BKA_ISO_2022_JP(LPCSTR, BOOL) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_ISO_2022_KR(LPCSTR, BOOL) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_HZ_GB2312(LPCSTR, BOOL) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_ISO_8859_2(LPCSTR, BOOL) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_EUC_JP(LPCSTR, BOOL) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_UTF_7(LPCSTR, BOOL) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_UTF_8(LPCSTR, BOOL) { return nullptr; }
BKA_EXPORT BOOL WINAPI BKA_B64Convert(LPCSTR, LPCSTR, BOOL) { return FALSE; }
BKA_EXPORT BOOL WINAPI BKA_QPConvert(LPCSTR, LPCSTR, BOOL) { return FALSE; }
BKA_EXPORT LPSTR WINAPI BKA_MIMEHeader(LPCSTR, LPSTR, int, BOOL) { return nullptr; }
BKA_EXPORT LPSTR WINAPI BKA_SerializeRcpts(LPCSTR) { return nullptr; }
#ifndef STANDIN_WITHOUT_CONNECT
BKA_EXPORT BOOL WINAPI BKA_Connect(BOOL) { return FALSE; }
#endif
BKA_EXPORT void WINAPI BKA_NextUnread(BOOL, BOOL) {}
BKA_EXPORT int WINAPI BKA_ProcessMail(HWND, LPCSTR, LPCSTR, int) { return 0; }
