#pragma once
// The list of mails in the current folder (a report-style list view).

#include "mail_store.h"

#include <windows.h>

#include <string>
#include <vector>

namespace standin::app {

class MailList {
public:
    HWND Create(HWND parent, int id);
    HWND window() const { return window_; }

    // Shows the mails of a folder directory (ends with '\').
    void Show(const std::string& folderPath);
    void Refresh() { Show(folderPath_); }
    const std::string& folderPath() const { return folderPath_; }

    std::vector<std::string> SelectedFiles() const;
    std::vector<int> SelectedRows() const;
    // The path of the mail with the focus, for the preview; empty for none.
    std::string FocusedMailPath() const;
    int Count() const { return static_cast<int>(mails_.size()); }

private:
    HWND window_ = nullptr;
    std::string folderPath_;
    std::vector<MailSummary> mails_;
};

}  // namespace standin::app
