#pragma once
// An integration-test host: this executable exports the BKA_* functions and
// loads its own copy of Tarnwick.dll from a fresh folder, so that every test
// has its own INI file beside the plug-in.

#include "host_model.h"
#include "plugin_loader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

// A host's main menu: "File" and "Tools", the second of which takes the
// plug-in's command.
HMENU MakeHostMenu();

class PluginHostTest : public ::testing::Test {
protected:
    // "VirtualList" for the case, written into the INI when the plug-in is
    // loaded: 0 leaves the INI as the case wrote it.
    virtual int ListMode() const { return 0; }

    void SetUp() override;
    void TearDown() override;

    // Copies the built DLL (or the named variant of it, built beside it) into
    // the test's plug-in folder as Tarnwick.dll and loads it.
    bool LoadPlugin(const char* builtName = "Tarnwick.dll");
    // BKC_OnStart, and BKC_OnExit plus unloading, as the host does them.
    void StartPlugin();
    void ExitAndUnload();

    std::string IniText() const { return ReadFileBytes(iniPath); }
    void WriteIni(const std::string& text) const { WriteFileBytes(iniPath, text); }

    TempDir temp;
    std::string pluginFolder;  // holds Tarnwick.dll and Tarnwick.ini
    std::string dllPath;
    std::string iniPath;
    std::string dataFolder;    // the host's data folder, with "MB1\" in it
    standin::LoadedPlugin plugin;
};

// A fixture's cases once with the list view's stored rows and once with
// "VirtualList"; instantiate with ListModes() and ListModeName.
template <typename Fixture>
class InBothListModes : public Fixture, public ::testing::WithParamInterface<int> {
protected:
    int ListMode() const override { return this->GetParam(); }
    bool VirtualRows() const { return this->GetParam() != 0; }
};
inline std::string ListModeName(const ::testing::TestParamInfo<int>& info) { return info.param ? "Virtual" : "Stored"; }
inline auto ListModes() { return ::testing::Values(0, 1); }

}  // namespace testing_support
