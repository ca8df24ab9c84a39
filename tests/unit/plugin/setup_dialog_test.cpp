#include "plugin/plugin_info.h"

#include "resource_ids.h"
#include "binding/plugin_paths.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr char kCaption[] = "フォルダ検索プラグイン";
constexpr char kNote[] = "※ ショートカットキーの変更はiniファイルを編集してください。";

std::function<void(HWND)> g_whileShown;

// Runs the test's action once the modal dialog is on screen, from inside its
// own message loop.
void CALLBACK ActOnShownDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", kCaption);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    if (g_whileShown) g_whileShown(dialog);
}

INT_PTR ShowWhile(HWND parent, std::function<void(HWND)> action) {
    g_whileShown = std::move(action);
    SetTimer(nullptr, 0, 20, ActOnShownDialog);
    return tarnwick::ShowSetupDialog(parent);
}

std::string TextOf(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA description{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    GetObjectA(font, sizeof(description), &description);
    return description;
}

// A control's rectangle from the template's dialog units: position and size
// are each converted, as the dialog manager does.
RECT DialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT mapped{x, y, width, height};
    MapDialogRect(dialog, &mapped);
    return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

RECT ClientRectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual, const char* what) {
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override { tarnwick::SetPluginModule(GetModuleHandleA(nullptr)); }
    void TearDown() override { g_whileShown = nullptr; }
};

TEST_F(SetupDialogTest, ShowsTheTemplateWithNameVersionAndNote) {
    bool shown = false;
    const INT_PTR result = ShowWhile(nullptr, [&](HWND dialog) {
        shown = true;
        const LONG style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
                  style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
        EXPECT_EQ(0, style & WS_THICKFRAME);

        RECT client{};
        GetClientRect(dialog, &client);
        ExpectRect(DialogUnits(dialog, 0, 0, 180, 70), client, "dialog");
        HWND ok = GetDlgItem(dialog, IDOK);
        HWND title = GetDlgItem(dialog, IDC_SETUP_TITLE);
        HWND note = GetDlgItem(dialog, IDC_SETUP_NOTE);
        ASSERT_TRUE(ok && title && note);
        ExpectRect(DialogUnits(dialog, 65, 52, 50, 14), ClientRectOf(ok), "OK");
        ExpectRect(DialogUnits(dialog, 30, 5, 120, 24), ClientRectOf(title), "1003");
        ExpectRect(DialogUnits(dialog, 5, 35, 174, 16), ClientRectOf(note), "1004");

        EXPECT_EQ("OK", TextOf(ok));
        EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(ok, GWL_STYLE) & 0x0F);
        EXPECT_NE(0, GetWindowLongA(ok, GWL_STYLE) & WS_TABSTOP);
        EXPECT_EQ("Tarnwick\nVersion 1.20", TextOf(title));
        EXPECT_EQ(SS_LEFT, GetWindowLongA(title, GWL_STYLE) & SS_TYPEMASK);
        EXPECT_EQ(kNote, TextOf(note));
        EXPECT_EQ(SS_RIGHT, GetWindowLongA(note, GWL_STYLE) & SS_TYPEMASK);

        // The template's font for the dialog and the title; 9 points for the note.
        const LOGFONTA dialogFont = FontOf(dialog);
        EXPECT_STREQ("Ms Shell Dlg", dialogFont.lfFaceName);
        EXPECT_EQ(-MulDiv(10, ScreenDpi(), 72), dialogFont.lfHeight);
        EXPECT_EQ(SendMessageA(dialog, WM_GETFONT, 0, 0), SendMessageA(title, WM_GETFONT, 0, 0));
        const LOGFONTA noteFont = FontOf(note);
        EXPECT_EQ(MulDiv(9, -ScreenDpi(), 72), noteFont.lfHeight);
        EXPECT_EQ(0, noteFont.lfWeight);
        EXPECT_EQ(0, noteFont.lfItalic + noteFont.lfUnderline + noteFont.lfStrikeOut + noteFont.lfCharSet);
        EXPECT_STREQ("", noteFont.lfFaceName);

        // Centred on the screen.
        RECT window{};
        GetWindowRect(dialog, &window);
        EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (window.left + window.right) / 2, 2);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(IDOK, result);
}

struct Ending {
    const char* name;
    std::function<void(HWND)> end;
    INT_PTR result;
};

void PrintTo(const Ending& ending, std::ostream* out) { *out << ending.name; }

class SetupDialogEndingTest : public SetupDialogTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(SetupDialogEndingTest, EndsTheDialogAndDeletesTheNoteFont) {
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HGDIOBJ noteFont = nullptr;
    HWND seenOwner = nullptr;
    const INT_PTR result = ShowWhile(owner, [&](HWND dialog) {
        noteFont = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(dialog, IDC_SETUP_NOTE, WM_GETFONT, 0, 0));
        EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(noteFont));
        seenOwner = GetWindow(dialog, GW_OWNER);
        GetParam().end(dialog);
    });
    EXPECT_EQ(GetParam().result, result);
    EXPECT_EQ(owner, seenOwner);
    ASSERT_NE(nullptr, noteFont);
    EXPECT_EQ(0u, GetObjectType(noteFont));
    EXPECT_EQ(nullptr, FindWindowA("#32770", kCaption));
    DestroyWindow(owner);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, SetupDialogEndingTest,
    ::testing::Values(
        Ending{"EnterOnTheDefaultButton", [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }, IDOK},
        Ending{"ClickOnOk", [](HWND d) { SendDlgItemMessageA(d, IDOK, BM_CLICK, 0, 0); }, IDOK},
        Ending{"Escape", [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL},
        Ending{"CloseBox", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL}),
    [](const ::testing::TestParamInfo<Ending>& info) { return info.param.name; });

TEST_F(SetupDialogTest, OtherCommandsLeaveTheDialogOpen) {
    int shown = 0;
    const INT_PTR result = ShowWhile(nullptr, [&](HWND dialog) {
        ++shown;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETUP_NOTE, STN_CLICKED), 0);
        SendMessageA(dialog, WM_COMMAND, 3, 0);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(dialog, FindWindowA("#32770", kCaption));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(1, shown);
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(SetupDialogTest, HundredOpeningsLeaveNoGdiObjectBehind) {
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    int fontsLeft = 0;
    for (int opening = 0; opening < 100; ++opening) {
        HGDIOBJ noteFont = nullptr;
        ShowWhile(nullptr, [&](HWND dialog) {
            noteFont = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(dialog, IDC_SETUP_NOTE, WM_GETFONT, 0, 0));
            PostMessageA(dialog, WM_COMMAND, opening % 2 ? IDOK : IDCANCEL, 0);
        });
        if (!noteFont || GetObjectType(noteFont) != 0) ++fontsLeft;
    }
    EXPECT_EQ(0, fontsLeft);
    // Wine answers 0 here; on Windows this counts every GDI object.
    EXPECT_EQ(before, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

}  // namespace
