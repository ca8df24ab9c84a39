#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索プラグイン";

class PluginInfoTest : public PluginHostTest {};

TEST_F(PluginInfoTest, FillsEachFieldWithItsTextAndTerminatorOnly) {
    ASSERT_TRUE(LoadPlugin());
    unsigned char record[400];
    std::memset(record, 0xCC, sizeof(record));
    EXPECT_EQ(0, plugin.OnPlugInInfo(record));

    struct Field {
        int offset;
        const char* text;
    };
    const Field fields[] = {{0, "Tarnwick"}, {80, "Tarnwick developers"}, {160, "1.20"},
                            {240, "Enables folder search dialog."}};
    std::string expected(sizeof(record), '\xCC');
    for (const Field& field : fields) {
        expected.replace(field.offset, std::strlen(field.text) + 1, std::string(field.text, std::strlen(field.text) + 1));
    }
    EXPECT_EQ(expected, std::string(reinterpret_cast<const char*>(record), sizeof(record)));
}

UINT g_ending = 0;  // the message that ends the dialog
bool g_ended = false;

void CALLBACK EndShownDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", kCaption);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    g_ended = true;
    switch (g_ending) {
        case IDOK: PostMessageA(dialog, WM_COMMAND, IDOK, 0); break;
        case VK_ESCAPE: PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); break;
        default: PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    }
}

class PluginSetupTest : public PluginHostTest, public ::testing::WithParamInterface<UINT> {};

TEST_P(PluginSetupTest, ReturnsOneWhateverEndedTheDialog) {
    ASSERT_TRUE(LoadPlugin());
    g_ending = GetParam();
    SetTimer(nullptr, 0, 20, EndShownDialog);
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, plugin.OnPlugInSetup(nullptr));
    EXPECT_TRUE(g_ended);  // the dialog was on screen until then
    EXPECT_EQ(nullptr, FindWindowA("#32770", kCaption));
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(0, testing_support::FaultsSeen());
}

INSTANTIATE_TEST_SUITE_P(Endings, PluginSetupTest, ::testing::Values(IDOK, VK_ESCAPE, SC_CLOSE));

}  // namespace
