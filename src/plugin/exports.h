#pragma once
// The plug-in's exported entry points (all stdcall, every argument 32 bits).

#include <windows.h>

extern "C" {
int WINAPI BKC_OnStart();
int WINAPI BKC_OnExit();
int WINAPI BKC_OnMenuInit(HWND window, HMENU menu, int menuType);
int WINAPI BKC_OnOpenFolder(LPCSTR folderId);
int WINAPI BKC_OnOpenMail(LPCSTR mailId);
int WINAPI BKC_OnEveryMinute();
int WINAPI BKC_OnOpenCompose(HWND window, int mode);
int WINAPI BKC_OnOutgoing(HWND window, int mode);
int WINAPI BKC_OnKeyDispatch(HWND firstValue, int keyCode, int shiftCode);
int WINAPI BKC_OnRetrieve(LPCSTR mail, LPCSTR mailId);
int WINAPI BKC_OnSend(LPCSTR mail);
int WINAPI BKC_OnFinishRetrieve(int count);
int WINAPI BKC_OnPlugInSetup(HWND parent);
int WINAPI BKC_OnPlugInInfo(LPVOID record);
int WINAPI BKC_OnDragDrop(LPCSTR target, LPCSTR source, BOOL copy, LPVOID reserved);
int WINAPI BKC_OnBeforeFilter2(LPCSTR mail, LPCSTR mailbox, int* action, char** param);
}
