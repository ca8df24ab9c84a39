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

// Lets the caller return out of the plug-in's code before the module
// reference goes, which may be the last one.
constexpr DWORD kModuleReleaseDelayMilliseconds = 500;

DWORD WINAPI ReleaseModuleLaterProc(LPVOID module) {
    Sleep(kModuleReleaseDelayMilliseconds);
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
    return 0;
}

void ReleaseModuleLater(HMODULE module) noexcept {
    HANDLE thread = CreateThread(nullptr, 0, &ReleaseModuleLaterProc, module, 0, nullptr);
    // Without a thread the reference stays: a module kept is no crash.
    if (thread) CloseHandle(thread);
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
        if (pinned) ReleaseModuleLater(pinned);
    }
    return static_cast<ULONG>(count);
}

void CDropTarget::Detach() noexcept {
    m_hWndList = nullptr;
    m_nHilite = -1;
    m_pDataObject = nullptr;
    // One reference is the dialog's own, released right after this.
    if (m_cRef > 1 && !m_pinnedModule) {
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ReleaseModuleLaterProc),
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
        if (m_site.afterDrop) m_site.afterDrop(m_hWndList);
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
