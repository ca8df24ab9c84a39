// Filing mails from the keyboard ("MoveKeys") through the real DLL, in the
// stand-in mail client's own window: the client moves or copies the mails
// selected in its list.
#include "app/mail_store.h"
#include "app/main_window.h"
#include "sample_mailbox.h"
#include "support/plugin_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

using testing_support::PluginHostTest;
using testing_support::PumpMessagesFor;

namespace {

class FilingKeysHostTest : public PluginHostTest {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        standin::SampleMailboxOptions options;
        options.folderCount = 8;
        options.mailboxCount = 1;
        standin::GenerateSampleMailbox(dataFolder, options);
        testing_support::MakeDirs(dataFolder, "MB1\\Filed");
        WriteIni("[Config]\r\nUseUpateThread=0\r\nMoveKeys=1\r\n");
        ASSERT_TRUE(LoadPlugin());
        client = std::make_unique<standin::app::MainWindow>(plugin);
        ASSERT_TRUE(client->Create());
        standin::Host().onMoveSelectedMessages = [this](const std::string& id, bool copy) {
            client->MoveSelectedMails(id, copy);
        };
        plugin.OnStart();
        plugin.OnMenuInit(client->window(), client->menu(), 0);
        ShowWindow(client->window(), SW_SHOW);
        PumpMessagesFor(100);
    }

    void TearDown() override {
        if (plugin.loaded()) ExitAndUnload();
        EXPECT_EQ(0, testing_support::FaultsSeen());
        standin::Host().onMoveSelectedMessages = nullptr;
        client.reset();
        PluginHostTest::TearDown();
    }

    void SelectMails(std::initializer_list<int> rows) const {
        HWND mails = client->mails().window();
        ListView_SetItemState(mails, -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(mails, row, LVIS_SELECTED, LVIS_SELECTED);
    }

    // The shortcut, the query typed, the focus moved on with Tab as asked,
    // then Alt and the key.
    void FileWith(const char* query, bool focusInList, UINT key) {
        ASSERT_EQ(1, plugin.OnKeyDispatch(nullptr, 'F', 96));
        PumpMessagesFor(100);
        ASSERT_TRUE(IsWindowVisible(Dialog()));
        for (const char* c = query; *c; ++c) PostMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(*c), 1);
        PumpMessagesFor(50);
        if (focusInList) Post(WM_KEYDOWN, VK_TAB, 0);
        Post(WM_SYSKEYDOWN, key, KF_ALTDOWN << 16);
        Post(WM_SYSKEYUP, key, (KF_ALTDOWN << 16) | 0xC0000000u);
    }

    void Post(UINT message, UINT vk, LPARAM flags) const {
        PostMessageA(GetFocus(), message, vk, 1 | (MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16) | flags);
        PumpMessagesFor(50);
    }

    HWND Dialog() const { return testing_support::FindThreadWindow("フォルダ検索"); }

    std::vector<std::string> History() const { return testing_support::ComboBoxItems(GetDlgItem(Dialog(), 1001)); }

    std::unique_ptr<standin::app::MainWindow> client;
};

}  // namespace

using FilingKeysKeySets = testing_support::WithConfigKeys<FilingKeysHostTest>;
INSTANTIATE_TEST_SUITE_P(KeySets, FilingKeysKeySets, testing_support::KeySets(), testing_support::ConfigKeysName);

// "filed" lists the one folder under every key set: none selected, Alt+M and
// Alt+C file into the first row.
TEST_P(FilingKeysKeySets, AltMMovesAndAltCCopiesTheClientsSelectedMailsThenTheClientIsActive) {
    const std::string inbox = dataFolder + "MB1\\!!!!Inbox\\";
    const std::string filed = dataFolder + "MB1\\Filed\\";
    const int inboxMails = standin::app::CountMails(inbox);
    ASSERT_GE(inboxMails, 3);
    ASSERT_EQ(inbox, client->mails().folderPath());

    SelectMails({0, 1});
    FileWith("filed", false, 'M');
    EXPECT_EQ(2, standin::app::CountMails(filed));
    EXPECT_EQ(inboxMails - 2, standin::app::CountMails(inbox));
    EXPECT_FALSE(IsWindowVisible(Dialog()));
    EXPECT_EQ(std::vector<std::string>{"filed"}, History());
    EXPECT_EQ(client->window(), GetForegroundWindow());

    SelectMails({0});
    FileWith("filed", true, 'C');
    EXPECT_EQ(3, standin::app::CountMails(filed));
    EXPECT_EQ(inboxMails - 2, standin::app::CountMails(inbox));
    EXPECT_FALSE(IsWindowVisible(Dialog()));
    EXPECT_EQ(std::vector<std::string>{"filed"}, History());
    EXPECT_EQ(client->window(), GetForegroundWindow());
    const auto calls = standin::Host().CallsTo("BKA_MoveSelectedMessages");
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("MB1\\Filed\\", calls[0].text);
    EXPECT_EQ(0, calls[0].number);
    EXPECT_EQ(1, calls[1].number);
    ExitAndUnload();
    const bool recent = IniText().find("Recent0=MB1\\Filed\\\r\n") != std::string::npos;
    EXPECT_EQ(KeyOn("RecentFolders"), recent) << IniText();
}
