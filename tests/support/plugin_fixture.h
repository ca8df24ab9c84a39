#pragma once
// An integration-test host: this executable exports the BKA_* functions and
// loads its own copy of Tarnwick.dll from a fresh folder, so that every test
// has its own INI file beside the plug-in.

#include "host_model.h"
#include "plugin_loader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace testing_support {

// A host's main menu: "File" and "Tools", the second of which takes the
// plug-in's command.
HMENU MakeHostMenu();

// [Config] keys a case runs with, written into the plug-in's INI over what
// the case wrote: "Key=Value" lines. A named row of a table, so that a key
// (or a variant of one) joins the parameterised cases as one more row.
struct ConfigKeys {
    const char* name;  // the case name's suffix
    const char* keys;
    // The key is set to a number other than 0.
    bool On(const char* key) const;
};
inline void PrintTo(const ConfigKeys& keys, std::ostream* out) { *out << keys.name; }

// Row 0 and 1 are the two list modes with every other key at its default;
// the rest combine the keys where a 32-bit build can differ from a 64-bit
// one (item data, structure sizes, the draw and fill paths), pairwise
// rather than every combination: each matching key, highlighting,
// "InstantOpen", "AllMailboxes" and "RecentFolders" in at least one row,
// with stored and with virtual rows among them.
inline constexpr ConfigKeys kConfigKeySets[] = {
    {"Stored", ""},
    {"Virtual", "VirtualList=1"},
    {"WordsPathRanked", "MatchWords=1\nMatchPath=1\nRankMatches=1\nHighlightMatches=1\nRecentFolders=5"},
    {"FuzzyVirtual", "VirtualList=1\nMatchFuzzy=1\nMatchPath=1\nHighlightMatches=1\nAllMailboxes=1"},
    {"InstantAllRecentVirtual", "VirtualList=1\nInstantOpen=1\nAllMailboxes=1\nRecentFolders=5\nRankMatches=1"},
};

class PluginHostTest : public ::testing::Test {
protected:
    // The case's keys, written into the INI when the plug-in is loaded.
    virtual const char* CaseKeys() const { return ""; }

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

// A fixture's cases once for each row of a key table: ListModes() (the
// stored and the virtual list) or KeySets() (every row).
template <typename Fixture>
class WithConfigKeys : public Fixture, public ::testing::WithParamInterface<ConfigKeys> {
protected:
    const char* CaseKeys() const override { return this->GetParam().keys; }
    bool KeyOn(const char* key) const { return this->GetParam().On(key); }
    bool VirtualRows() const { return KeyOn("VirtualList"); }
};
inline std::string ConfigKeysName(const ::testing::TestParamInfo<ConfigKeys>& info) { return info.param.name; }
inline auto ListModes() { return ::testing::ValuesIn(kConfigKeySets, kConfigKeySets + 2); }
inline auto KeySets() { return ::testing::ValuesIn(kConfigKeySets); }

}  // namespace testing_support
