#pragma once
// The OLE drop target on the result list: takes mails dragged out of the
// host's mail list and has the host move (Ctrl: copy) them into the folder
// of the row under the cursor.

#include <ole2.h>
#include <windows.h>

#include <string>

namespace tarnwick {

// What the drop target needs of the window that owns its list, handed over
// by that window: the drop target knows nothing else of it.
struct DropSite {
    // The folder id of the folder a row stands for; false when it stands for none.
    bool (*folderIdOfRow)(HWND list, int row, std::string& folderId);
    // Runs after the host was asked to move or copy the mails into folderId.
    void (*afterDrop)(HWND list, const std::string& folderId);
};

class CDropTarget final : public IDropTarget {
public:
    // Count 1: the plug-in's own reference.
    CDropTarget(HWND list, DropSite site);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* dataObject, DWORD keyState, POINTL point, DWORD* effect) override;

    int HighlightedRow() const { return m_nHilite; }

    // The dialog is going: the target answers "no drop" from now on. When
    // OLE still holds it (a drag is under way), it keeps the plug-in's code
    // mapped past its last release, until the releasing thread is back in
    // its message loop, as the host may unload the plug-in before the drag
    // ends.
    void Detach() noexcept;

private:
    ~CDropTarget() = default;  // deleted by Release only
    void ClearDropHilite();
    // The drag's data is the host's mail list format and comes from the
    // host's own mail list window.
    bool CarriesHostMails();
    // The row under a screen point; -1 over the empty area.
    int RowAt(POINTL point) const;

    HWND m_hWndList;
    DropSite m_site;
    LONG m_nHilite = -1;
    LONG m_cRef = 1;
    IDataObject* m_pDataObject = nullptr;
    FORMATETC m_formatEtc{};
    HWND m_hWndSource = nullptr;
    HMODULE m_pinnedModule = nullptr;
};

}  // namespace tarnwick
