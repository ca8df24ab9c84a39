#include "support/drag_support.h"

#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace testing_support {

CLIPFORMAT MailIndexesFormat() {
    return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Becky_Mail_Indexes"));
}

std::string MailIndexesBlock(HWND source) {
    const DWORD handle = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(source));
    std::string block(reinterpret_cast<const char*>(&handle), sizeof(handle));
    block += std::string("\x03\x00\x00\x00mail-1\0mail-2\0mail-3\0", 28);
    return block;
}

TestDataObject::TestDataObject(CLIPFORMAT format, std::string bytes) : format_(format), bytes_(std::move(bytes)) {}

TestDataObject::~TestDataObject() {
    for (HGLOBAL block : releaser_.outstanding) GlobalFree(block);
}

void TestDataObject::Offer(CLIPFORMAT format, std::string bytes, Block block) {
    format_ = format;
    bytes_ = std::move(bytes);
    block_ = block;
    failure_ = S_OK;
}

STDMETHODIMP TestDataObject::QueryInterface(REFIID riid, void** ppv) {
    if (IsEqualIID(riid, IID_IDataObject) || IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP TestDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    if (format->dwAspect != DVASPECT_CONTENT || format->lindex != -1 || format->ptd != nullptr ||
        (format->tymed & TYMED_HGLOBAL) == 0) {
        requestsWellFormed_ = false;
    }
    if (failure_ != S_OK) return failure_;
    if (format->cfFormat != format_) return DV_E_FORMATETC;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes_.empty() ? 1 : bytes_.size());
    if (!block) return E_OUTOFMEMORY;
    if (void* at = GlobalLock(block)) {
        if (!bytes_.empty()) std::memcpy(at, bytes_.data(), bytes_.size());
        GlobalUnlock(block);
    }
    if (bytes_.empty() || block_ == Block::Discarded) {
        HGLOBAL same = GlobalReAlloc(block, 0, GMEM_MOVEABLE);
        if (same) block = same;
    }
    releaser_.outstanding.push_back(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = &releaser_;
    ++handedOut_;
    return S_OK;
}

STDMETHODIMP TestDataObject::QueryGetData(FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    return format->cfFormat == format_ && failure_ == S_OK ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP TestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

namespace {

class TestDropSource : public IDropSource {
public:
    std::atomic<bool> dropNow{false};
    std::vector<DWORD> feedback;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IDropSource) || IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD) override {
        if (escapePressed) return DRAGDROP_S_CANCEL;
        return dropNow ? DRAGDROP_S_DROP : S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD effect) override {
        feedback.push_back(effect);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
};

}  // namespace

DragOutcome DragThrough(IDataObject* data, const std::vector<POINT>& path, DWORD allowedEffects) {
    TestDropSource source;
    // Start away from every window, so that the target sees the drag enter.
    SetCursorPos(1, 1);
    std::thread mover([&] {
        Sleep(300);
        for (const POINT& point : path) {
            SetCursorPos(point.x, point.y);
            Sleep(300);
        }
        source.dropNow = true;
    });
    DragOutcome outcome;
    outcome.result = DoDragDrop(data, &source, allowedEffects, &outcome.effect);
    mover.join();
    outcome.feedback = source.feedback;
    return outcome;
}

POINT RowPoint(HWND list, int row) {
    RECT bounds{};
    ListView_GetItemRect(list, row, &bounds, LVIR_LABEL);
    POINT point{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
}

POINT EmptyAreaPoint(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    POINT point{client.right / 2, client.bottom - 5};
    ClientToScreen(list, &point);
    return point;
}

}  // namespace testing_support
