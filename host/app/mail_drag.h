#pragma once
// Dragging mails out of the mail list, as the mail client does: an OLE drag
// whose data, in the "Becky_Mail_Indexes" format, begins with the mail
// list's window handle (32 bits) followed by the count and rows dragged.

#include <windows.h>

#include <string>
#include <vector>

namespace standin::app {

// The bytes of the drag data.
std::string MailIndexesData(HWND mailList, const std::vector<int>& rows);

// Runs the drag to its end (OLE's modal loop); returns the effect the drop
// target chose, DROPEFFECT_NONE when cancelled or refused.
DWORD DragMails(HWND mailList, const std::vector<int>& rows);

}  // namespace standin::app
