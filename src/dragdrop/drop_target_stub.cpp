// Placeholder until the drop target lands: refuses every drag.
#include "dragdrop/drop_target.h"

namespace tarnwick {

CDropTarget::CDropTarget(HWND list) : m_hWndList(list) {}

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
STDMETHODIMP_(ULONG) CDropTarget::AddRef() { return InterlockedIncrement(&m_cRef); }
STDMETHODIMP_(ULONG) CDropTarget::Release() {
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) delete this;
    return count;
}
STDMETHODIMP CDropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}
STDMETHODIMP CDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}
STDMETHODIMP CDropTarget::DragLeave() { return S_OK; }
STDMETHODIMP CDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
}
void CDropTarget::ClearDropHilite() { m_nHilite = -1; }

}  // namespace tarnwick
