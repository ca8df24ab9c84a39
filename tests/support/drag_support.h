#pragma once
// Mail drags as the host starts them: a data object with the host's
// "Becky_Mail_Indexes" block, and a real OLE drag driven from a second
// thread that moves the cursor.

#include <ole2.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace testing_support {

CLIPFORMAT MailIndexesFormat();
// The block the host hands out: the 32-bit handle of its mail list window
// followed by mail identifications the plug-in never reads.
std::string MailIndexesBlock(HWND source);

// Offers one HGLOBAL block in one format. Lives on the stack: the reference
// count is kept only to check balance. Every block handed out is owned here;
// ReleaseStgMedium on it is counted, and frees it, through pUnkForRelease.
class TestDataObject : public IDataObject {
public:
    enum class Block { Normal, Discarded };

    TestDataObject(CLIPFORMAT format, std::string bytes);
    ~TestDataObject();
    TestDataObject(const TestDataObject&) = delete;
    TestDataObject& operator=(const TestDataObject&) = delete;

    void Offer(CLIPFORMAT format, std::string bytes, Block block = Block::Normal);
    // GetData answers this error instead of the block.
    void FailWith(HRESULT error) { failure_ = error; }

    long mediaHandedOut() const { return handedOut_; }
    long mediaReleased() const { return releaser_.released; }
    long references() const { return references_; }
    // Every request asked for the block in global memory, content aspect.
    bool requestsWellFormed() const { return requestsWellFormed_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references_); }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    // ReleaseStgMedium hands the medium back here: its block is freed, the
    // oldest outstanding first (the target gives each back before the next).
    struct ReleaseCounter : IUnknown {
        long released = 0;
        std::deque<HGLOBAL> outstanding;
        STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 1; }
        STDMETHODIMP_(ULONG) Release() override {
            ++released;
            if (!outstanding.empty()) {
                GlobalFree(outstanding.front());
                outstanding.pop_front();
            }
            return 1;
        }
    };

    CLIPFORMAT format_;
    std::string bytes_;
    Block block_ = Block::Normal;
    HRESULT failure_ = S_OK;
    long handedOut_ = 0;
    long references_ = 0;
    bool requestsWellFormed_ = true;
    ReleaseCounter releaser_;
};

struct DragOutcome {
    HRESULT result = E_FAIL;
    DWORD effect = DROPEFFECT_NONE;
    // The effect the target answered at each feedback, in order.
    std::vector<DWORD> feedback;
};

// DoDragDrop on the calling thread (OLE initialised) while a second thread
// puts the cursor on each point in turn; the drop source drops after the
// last point.
DragOutcome DragThrough(IDataObject* data, const std::vector<POINT>& path, DWORD allowedEffects);

// The middle of a list view row, and a point of the list's empty area below
// the last row, in screen coordinates.
POINT RowPoint(HWND list, int row);
POINT EmptyAreaPoint(HWND list);

}  // namespace testing_support
