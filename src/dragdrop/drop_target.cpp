#include "dragdrop/drop_target.h"

#include "binding/host_api.h"

#include <commctrl.h>

#include <cstring>
#include <string>

namespace tarnwick {

namespace {

constexpr char kMailIndexesFormat[] = "Becky_Mail_Indexes";

// The medium belongs to the caller of GetData; DragOver runs on every mouse
// move, so it must not outlive the check.
class StorageMedium {
public:
    StorageMedium() noexcept { std::memset(&medium_, 0, sizeof(medium_)); }
    ~StorageMedium() {
        if (fetched_) ReleaseStgMedium(&medium_);
    }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;

    bool Fetch(IDataObject* data, FORMATETC* format) noexcept {
        fetched_ = data->GetData(format, &medium_) == S_OK;
        return fetched_;
    }
    const STGMEDIUM& get() const noexcept { return medium_; }

private:
    STGMEDIUM medium_;
    bool fetched_ = false;
};

// The host's block starts with the 32-bit handle of the window the drag
// comes from; false when there is no such word to read.
bool ReadFirstWord(const STGMEDIUM& medium, DWORD& word) noexcept {
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return false;
    if (GlobalSize(medium.hGlobal) < sizeof(DWORD)) return false;
    const void* bytes = GlobalLock(medium.hGlobal);
    if (!bytes) return false;
    std::memcpy(&word, bytes, sizeof(DWORD));
    GlobalUnlock(medium.hGlobal);
    return true;
}

DWORD EffectForKeys(DWORD keyState) noexcept {
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void SetEffect(DWORD* effect, DWORD value) noexcept {
    if (effect) *effect = value;
}

// The module reference that a target outliving its dialog keeps may be the
// last one, and the thread that releases the target is still inside this
// module's code until Release has returned. A message to a window of that
// thread is answered only once it retrieves messages again, in its own
// loop outside the plug-in; only then does the reference go. The window is
// of a system class, so no code of the plug-in answers it.
struct ModuleRelease {
    HMODULE module;
    HWND window;
};

DWORD WINAPI ReleaseModuleAfterReturnProc(LPVOID raw) {
    const ModuleRelease release = *static_cast<ModuleRelease*>(raw);
    HeapFree(GetProcessHeap(), 0, raw);
    // The owner destroys the window when it answers.
    SendMessageW(release.window, WM_CLOSE, 0, 0);
    FreeLibraryAndExitThread(release.module, 0);
    return 0;
}

void ReleaseModuleAfterReturn(HMODULE module) noexcept {
    auto* release = static_cast<ModuleRelease*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ModuleRelease)));
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    HANDLE thread = nullptr;
    if (release && window) {
        *release = ModuleRelease{module, window};
        thread = CreateThread(nullptr, 0, &ReleaseModuleAfterReturnProc, release, 0, nullptr);
    }
    if (thread) {
        CloseHandle(thread);
        return;
    }
    // Without the hand-over the reference stays: a module kept is no crash.
    if (window) DestroyWindow(window);
    if (release) HeapFree(GetProcessHeap(), 0, release);
}

}  // namespace

CDropTarget::CDropTarget(HWND list, DropSite site) : m_hWndList(list), m_site(site) {
    m_formatEtc.cfFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(kMailIndexesFormat));
    m_formatEtc.ptd = nullptr;
    m_formatEtc.dwAspect = DVASPECT_CONTENT;
    m_formatEtc.lindex = -1;
    m_formatEtc.tymed = TYMED_HGLOBAL;
    m_hWndSource = HostWindowHandles().list;
}

STDMETHODIMP CDropTarget::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IDropTarget) || IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

STDMETHODIMP_(ULONG) CDropTarget::Release() {
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) {
        const HMODULE pinned = m_pinnedModule;
        delete this;
        if (pinned) ReleaseModuleAfterReturn(pinned);
    }
    return static_cast<ULONG>(count);
}

void CDropTarget::Detach() noexcept {
    m_hWndList = nullptr;
    m_nHilite = -1;
    m_pDataObject = nullptr;
    // One reference is the dialog's own, released right after this.
    if (m_cRef > 1 && !m_pinnedModule) {
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ReleaseModuleAfterReturnProc),
                           &m_pinnedModule);
    }
}

STDMETHODIMP CDropTarget::DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) {
    try {
        if (!m_hWndList) {
            SetEffect(effect, DROPEFFECT_NONE);
            return S_OK;
        }
        m_pDataObject = dataObject;
        return DragOver(keyState, point, effect);
    } catch (...) {
        SetEffect(effect, DROPEFFECT_NONE);
        return S_OK;
    }
}

STDMETHODIMP CDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    try {
        if (!m_hWndList || !CarriesHostMails()) {
            SetEffect(effect, DROPEFFECT_NONE);
            return S_OK;
        }
        SetEffect(effect, EffectForKeys(keyState));
        const int row = RowAt(point);
        if (row < 0) {
            ClearDropHilite();
        } else if (row != m_nHilite) {
            ClearDropHilite();
            ListView_SetItemState(m_hWndList, row, LVIS_DROPHILITED, LVIS_DROPHILITED);
            m_nHilite = row;
        }
        return S_OK;
    } catch (...) {
        SetEffect(effect, DROPEFFECT_NONE);
        return S_OK;
    }
}

STDMETHODIMP CDropTarget::DragLeave() {
    try {
        ClearDropHilite();
    } catch (...) {
    }
    return S_OK;
}

STDMETHODIMP CDropTarget::Drop(IDataObject*, DWORD keyState, POINTL, DWORD* effect) {
    try {
        if (!m_hWndList) {
            SetEffect(effect, DROPEFFECT_NONE);
            return S_OK;
        }
        const DWORD chosen = EffectForKeys(keyState);
        SetEffect(effect, chosen);
        if (m_nHilite == -1) return S_OK;
        std::string folderId;
        if (!m_site.folderIdOfRow || !m_site.folderIdOfRow(m_hWndList, m_nHilite, folderId)) {
            // The row went away under the highlight: nothing to move into.
            ClearDropHilite();
            return S_OK;
        }
        HostMoveSelectedMessages(folderId, chosen == DROPEFFECT_COPY);
        ClearDropHilite();
        SetFocus(m_hWndList);
        if (m_site.afterDrop) m_site.afterDrop(m_hWndList, folderId);
        return S_OK;
    } catch (...) {
        SetEffect(effect, DROPEFFECT_NONE);
        return S_OK;
    }
}

bool CDropTarget::CarriesHostMails() {
    if (!m_pDataObject) return false;
    StorageMedium medium;
    if (!medium.Fetch(m_pDataObject, &m_formatEtc)) return false;
    DWORD firstWord = 0;
    if (!ReadFirstWord(medium.get(), firstWord)) return false;
    return firstWord == static_cast<DWORD>(reinterpret_cast<UINT_PTR>(m_hWndSource));
}

int CDropTarget::RowAt(POINTL point) const {
    LVHITTESTINFO hit{};
    hit.pt.x = point.x;
    hit.pt.y = point.y;
    ScreenToClient(m_hWndList, &hit.pt);
    const int row = ListView_HitTest(m_hWndList, &hit);
    if ((hit.flags & LVHT_ONITEM) == 0) return -1;
    return row;
}

void CDropTarget::ClearDropHilite() {
    if (m_hWndList) ListView_SetItemState(m_hWndList, -1, 0, LVIS_DROPHILITED);
    m_nHilite = -1;
}

}  // namespace tarnwick
