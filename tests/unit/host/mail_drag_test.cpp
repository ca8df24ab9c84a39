#include "app/mail_drag.h"
#include "app/mail_list.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ole2.h>

#include <atomic>
#include <cstring>
#include <thread>

using testing_support::PumpUntil;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

// A drop target that reads the first word of the "Becky_Mail_Indexes" data,
// as the plug-in's does.
class RecordingTarget : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format = {static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Becky_Mail_Indexes")), nullptr,
                            DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (data->GetData(&format, &medium) == S_OK) {
            if (const void* bytes = GlobalLock(medium.hGlobal)) {
                std::memcpy(&firstWord, bytes, sizeof(firstWord));
                GlobalUnlock(medium.hGlobal);
            }
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_MOVE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_MOVE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_MOVE;
        dropped = true;
        return S_OK;
    }

    ULONG refs = 1;
    DWORD firstWord = 0;
    std::atomic<bool> dropped{false};
};

std::atomic<DWORD> g_dragEffect{0xFFFFFFFF};
standin::app::MailList* g_mails = nullptr;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_BEGINDRAG)
        g_dragEffect = standin::app::DragMails(g_mails->window(), g_mails->SelectedRows());
    return DefWindowProcA(window, message, wParam, lParam);
}

void MouseTo(POINT at) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

void Button(DWORD flag) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof(input));
}

}  // namespace

TEST(MailDrag, DraggingAMailOutOfTheListCarriesTheListsHandleToTheDropTarget) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    TempDir folder;
    WriteFileBytes(folder.path() + "00000001.eml", "Subject: drag me\r\n\r\n");
    WriteFileBytes(folder.path() + "00000002.eml", "Subject: stay\r\n\r\n");

    WNDCLASSA parentClass = {};
    parentClass.lpfnWndProc = ParentProc;
    parentClass.lpszClassName = "MailDragTestParent";
    RegisterClassA(&parentClass);
    WNDCLASSA targetClass = {};
    targetClass.lpfnWndProc = DefWindowProcA;
    targetClass.lpszClassName = "MailDragTestTarget";
    RegisterClassA(&targetClass);
    HWND parent = CreateWindowExA(0, "MailDragTestParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND target = CreateWindowExA(0, "MailDragTestTarget", "", WS_POPUP | WS_VISIBLE, 600, 0, 200, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    standin::app::MailList mails;
    g_mails = &mails;
    mails.Create(parent, 1);
    MoveWindow(mails.window(), 0, 0, 400, 300, TRUE);
    mails.Show(folder.path());
    RecordingTarget dropTarget;
    ASSERT_EQ(S_OK, RegisterDragDrop(target, &dropTarget));
    testing_support::PumpMessagesFor(300);

    RECT row = {};
    row.left = LVIR_LABEL;
    SendMessageA(mails.window(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    POINT from{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ClientToScreen(mails.window(), &from);
    std::thread user([from] {
        Sleep(200);
        MouseTo(from);
        Sleep(100);
        Button(MOUSEEVENTF_LEFTDOWN);
        for (int i = 1; i <= 20; ++i) {
            MouseTo(POINT{from.x + (700 - from.x) * i / 20, from.y + (100 - from.y) * i / 20});
            Sleep(30);
        }
        Sleep(200);
        Button(MOUSEEVENTF_LEFTUP);
    });
    const bool dropped = PumpUntil([&] { return dropTarget.dropped.load(); }, 10000);
    user.join();
    testing_support::PumpMessagesFor(200);

    EXPECT_TRUE(dropped);
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(mails.window())), dropTarget.firstWord);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), g_dragEffect.load());
    EXPECT_EQ((std::vector<int>{0}), mails.SelectedRows());
    RevokeDragDrop(target);
    DestroyWindow(target);
    DestroyWindow(parent);
    OleUninitialize();
}
