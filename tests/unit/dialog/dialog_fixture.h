#pragma once
// The search dialog created in this test process from the templates linked
// into it, over folder lists the test gives, with this executable's own
// stand-in host functions.

#include "catalogue/catalogue.h"
#include "common/text.h"
#include "dialog/dialog_state.h"
#include "dialog/history.h"
#include "dialog/search_dialog.h"
#include "host_model.h"
#include "resource_ids.h"
#include "binding/config.h"
#include "binding/host_api.h"
#include "binding/plugin_paths.h"
#include "support/folder_records.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace dialog_test {

using Row = std::pair<std::string, std::string>;

using testing_support::Folder;

// The catalogue the dialog sees, and the one the next build produces.
tarnwick::FolderList& CurrentCatalogue();
tarnwick::FolderList& NextCatalogue();
int BuildCount();
// The next build throws std::bad_alloc, as one that runs out of memory.
void FailNextBuild();

class SearchDialogTest : public ::testing::Test {
protected:
    // "VirtualList" for the case: 0, the list view's stored rows.
    virtual int ListMode() const { return 0; }

    void SetUp() override;
    void TearDown() override;

    // Writes the INI file and reads the settings as start-up does.
    void UseIni(const std::string& text);
    void Open(HWND owner = nullptr);
    HWND Dialog() const;
    HWND Box() const;
    HWND BoxEdit() const;
    HWND List() const;

    void Pump(DWORD milliseconds = 40) const;
    void Type(const std::string& text) const;
    void TypeWide(const std::wstring& text) const;
    void PressKey(UINT vk) const;
    // The key with Alt held, as the keyboard sends it to the focus.
    void PressAltKey(UINT vk) const;
    // Types text and Escape into an edit window of another owner; returns
    // what that window then holds.
    std::string TypeIntoOtherWindow(const std::string& text) const;
    void ClickHeader(int column) const;
    void DoubleClickAt(int x, int y) const;  // list client coordinates
    void SelectRow(int row) const;

    std::vector<Row> Rows() const;
    std::vector<std::string> Names() const;
    // The catalogue position each row stands for: its item data, or with
    // "VirtualList" (whose rows carry none) the record the dialog gives for it.
    std::vector<LPARAM> ItemData() const;
    bool VirtualRows() const { return listMode_ != 0; }
    std::vector<std::string> History() const;
    std::string BoxText() const;
    int SelectedRow() const;
    int HeaderFormat(int column) const;
    bool OtherThreadCanTakeFolderListMutex() const;
    static bool SearchDialogMutexExists();

    testing_support::TempDir temp;
    std::string iniPath;

private:
    void ReadConfig();
    int listMode_ = 0;
};

// The same cases once with the stored rows of the list view and once with
// "VirtualList" (instantiated as ListModes: Stored and Virtual).
class ListModeTest : public SearchDialogTest, public ::testing::WithParamInterface<int> {
protected:
    int ListMode() const override { return GetParam(); }
};
std::string ListModeCaseName(const ::testing::TestParamInfo<int>& info);
const char* ListModeName(int mode);

}  // namespace dialog_test
