#include "mail_drag.h"

#include <ole2.h>

#include <cstring>

namespace standin::app {
namespace {

CLIPFORMAT MailIndexesFormat() {
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Becky_Mail_Indexes"));
}

// Lives on the stack of DragMails for the length of the modal drag; the
// reference count only checks that OLE gave every reference back.
class MailDataObject : public IDataObject {
public:
    explicit MailDataObject(std::string bytes) : bytes_(std::move(bytes)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        const HRESULT offered = QueryGetData(format);
        if (offered != S_OK) return offered;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
        if (!block) return E_OUTOFMEMORY;
        if (void* data = GlobalLock(block)) {
            std::memcpy(data, bytes_.data(), bytes_.size());
            GlobalUnlock(block);
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        if (format->cfFormat != MailIndexesFormat()) return DV_E_FORMATETC;
        if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::string bytes_;
    LONG refs_ = 1;
};

class MailDropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs_)); }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
        if (escapePressed) return DRAGDROP_S_CANCEL;
        if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    LONG refs_ = 1;
};

void AppendWord(std::string& bytes, DWORD word) {
    const char* raw = reinterpret_cast<const char*>(&word);
    bytes.append(raw, sizeof(word));
}

}  // namespace

std::string MailIndexesData(HWND mailList, const std::vector<int>& rows) {
    std::string bytes;
    // A 32-bit word even in a 64-bit build: window handles fit in 32 bits.
    AppendWord(bytes, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(mailList)));
    AppendWord(bytes, static_cast<DWORD>(rows.size()));
    for (int row : rows) AppendWord(bytes, static_cast<DWORD>(row));
    return bytes;
}

DWORD DragMails(HWND mailList, const std::vector<int>& rows) {
    MailDataObject data(MailIndexesData(mailList, rows));
    MailDropSource source;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = DoDragDrop(&data, &source, DROPEFFECT_MOVE | DROPEFFECT_COPY, &effect);
    return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

}  // namespace standin::app
