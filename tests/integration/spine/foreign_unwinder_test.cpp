// The 32-bit toolchain unwinds with DWARF tables. Its start-up code hands a
// module's tables to the toolchain's shared unwinder DLL when some other
// module of the process has already loaded it; the plug-in then registers
// them with its own unwinder as well. The plug-in starts, builds, exits and
// unloads alike with and without that DLL in the host.
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(_WIN64)

using testing_support::PluginHostTest;

class ForeignUnwinderTest : public PluginHostTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ForeignUnwinderTest, PluginStartsBuildsExitsAndUnloads) {
    HMODULE unwinder = nullptr;
    if (GetParam()) {
        // From the toolchain, beside this program, as another plug-in of the host would bring it.
        unwinder = LoadLibraryA("libgcc_s_dw2-1.dll");
        ASSERT_NE(nullptr, unwinder);
    }
    WriteIni("[Config]\r\nUseUpateThread=0\r\n");
    testing_support::MakeDirs(dataFolder, "MB1\\Work");
    ASSERT_TRUE(LoadPlugin());
    EXPECT_EQ(0, plugin.OnStart());
    HMENU menu = testing_support::MakeHostMenu();
    EXPECT_EQ(0, plugin.OnMenuInit(nullptr, menu, 0));
    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_NE(std::string::npos, IniText().find("ShortCutKey=Ctrl+Shift+F\r\n")) << IniText();
    EXPECT_EQ(0, testing_support::FaultsSeen());
    if (unwinder) FreeLibrary(unwinder);
}

// Without the shared unwinder first, then with it: once loaded it stays for
// every later load of the plug-in in this process.
INSTANTIATE_TEST_SUITE_P(Hosts, ForeignUnwinderTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithSharedUnwinderLoaded" : "Alone");
                         });

#endif
