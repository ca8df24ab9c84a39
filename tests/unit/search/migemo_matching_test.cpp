// "MatchMigemo": romaji finds the Japanese folders through the process's
// C/Migemo (a test build of migemo.dll), alone and with the other keys.
#include "search_fixture.h"

#include "support/migemo_support.h"

#include "binding/config.h"
#include "binding/plugin_paths.h"
#include "search/match.h"
#include "search/migemo.h"

#include <algorithm>
#include <string>
#include <vector>

namespace search_test {
namespace {

using Names = std::vector<std::string>;

// C/Migemo loaded as the plug-in loads it, from an INI file of the test's
// own, with the given dictionary; the keys of each case set on top.
class MigemoMatching : public ::testing::Test {
protected:
    void Load(const std::string& dictionary) {
        ASSERT_TRUE(tarnwick::SetIniFilePathFromModulePath((temp.path() + "Tarnwick.dll").c_str()));
        testing_support::WriteFileBytes(temp.path() + "Tarnwick.ini",
                                        "[Config]\r\nMatchMigemo=1\r\nMigemoDll=" +
                                            migemo_testing::TestDll(migemo_testing::kOwnVariants[0]) +
                                            "\r\nMigemoDict=" + dictionary + "\r\n");
        tarnwick::ReadPluginConfig();
        tarnwick::StartMigemo();
        ASSERT_TRUE(testing_support::PumpUntil([] { return tarnwick::MigemoReady(); }, 30000));
    }
    void LoadTestDictionary() {
        const std::string folder = testing_support::MakeDirs(temp.path(), "dict");
        migemo_testing::WriteTestDictionary(folder);
        Load(folder + "migemo-dict");
    }
    void TearDown() override {
        tarnwick::ForgetMigemoPatterns();
        tarnwick::StopMigemo();
        tarnwick::Config() = tarnwick::PluginConfig{};
    }

    // The names that match query (as typed; upper-cased as the dialog does),
    // in the matcher's order.
    static Names Matching(const tarnwick::FolderList& folders, const std::string& query,
                          const tarnwick::MatchSettings& settings) {
        const std::string upper = tarnwick::UpperCaseMbcs(query);
        tarnwick::RefreshPathKeys(folders, settings);
        const tarnwick::QueryMatcher matcher(folders, upper.c_str(), settings);
        std::vector<tarnwick::RowPosition> positions;
        for (std::size_t p = 0; p < folders.size(); ++p) {
            if (matcher.Matches(p)) positions.push_back(static_cast<tarnwick::RowPosition>(p));
        }
        tarnwick::OrderByRank(matcher, positions, folders.size());
        Names names;
        for (tarnwick::RowPosition p : positions) names.push_back(folders[p].name);
        return names;
    }

    testing_support::TempDir temp;
};

tarnwick::FolderList Catalogue(const Names& names) {
    tarnwick::FolderList folders;
    for (const std::string& name : names) folders.push_back(Folder(name, name));
    return folders;
}

tarnwick::MatchSettings Migemo() {
    tarnwick::MatchSettings settings;
    settings.migemo = true;
    return settings;
}

// Debian's cmigemo-common dictionary, as a Japanese user's migemo.dll has it.
TEST_F(MigemoMatching, RomajiFindsTheJapaneseFoldersWithTheRealDictionary) {
    ASSERT_TRUE(testing_support::FileExists(migemo_testing::kRealDictionary)) << "scripts/setup.sh installs cmigemo-common";
    Load(migemo_testing::kRealDictionary);
    const tarnwick::FolderList folders = Catalogue({"受信箱", "送信箱", "送信済み", "ごみ箱", "メール", "メルマガ",
                                                    "取引先", "会議", "日本", "Invoices", "仕事"});
    struct Case {
        const char* query;
        Names found;
    };
    const Case cases[] = {
        {"jushin", {"受信箱"}},
        {"soushin", {"送信箱", "送信済み"}},
        {"gomi", {"ごみ箱"}},
        {"me-ru", {"メール"}},
        {"merumaga", {"メルマガ"}},
        {"torihiki", {"取引先"}},
        {"kaigi", {"会議"}},
        {"nihon", {"日本"}},
        {"inv", {"Invoices"}},
        {"受信", {"受信箱"}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.found, Matching(folders, c.query, Migemo())) << c.query;
    // The key at 0: the same queries find only what they spell.
    EXPECT_EQ(Names{}, Matching(folders, "jushin", tarnwick::MatchSettings{}));
    EXPECT_EQ(Names{"Invoices"}, Matching(folders, "inv", tarnwick::MatchSettings{}));
}

// Ranks by where the expansion's word begins; scores as a run of matched
// characters beside the fuzzy alignment; words and paths as a typed text.
TEST_F(MigemoMatching, RanksScoresWordsAndPathsTakeWhereTheExpansionMatched) {
    LoadTestDictionary();
    const tarnwick::FolderList folders = Catalogue({"旧受信", "Old 受信", "受信箱", "Other", "jushin-log"});
    tarnwick::MatchSettings ranked = Migemo();
    ranked.rank = true;
    EXPECT_EQ((Names{"受信箱", "jushin-log", "Old 受信", "旧受信"}), Matching(folders, "jushin", ranked));
    tarnwick::MatchSettings fuzzy = Migemo();
    fuzzy.fuzzy = true;
    // Contiguous "jushin" at the start, 受信 at the start, after a space, after
    // a double-byte character.
    EXPECT_EQ((Names{"jushin-log", "受信箱", "Old 受信", "旧受信"}), Matching(folders, "jushin", fuzzy));
    tarnwick::MatchSettings words = Migemo();
    words.words = words.path = true;
    tarnwick::FolderList nested = {Folder("2024", "受信/2024"), Folder("2024", "Other/2024"), Folder("受信", "受信")};
    EXPECT_EQ((Names{"2024"}), Matching(nested, "2024 jushin", words));
}

// The characters the expansion matched, in the name, else in the path.
TEST_F(MigemoMatching, HighlightRangesAreTheCharactersTheExpansionMatched) {
    LoadTestDictionary();
    struct Case {
        const char* name;
        const char* path;
        bool fuzzy;
        std::vector<tarnwick::ByteRange> nameRanges;
        std::vector<tarnwick::ByteRange> pathRanges;
    };
    const Case cases[] = {
        {"旧受信箱", "旧受信箱", false, {{2, 6}}, {}},
        {"旧受信箱", "旧受信箱", true, {{2, 6}}, {}},
        {"Inbox", "受信/Inbox", false, {}, {{0, 4}}},
        {"Jushin 受信", "Jushin 受信", false, {{0, 6}}, {}},  // the text as typed comes first
        {"Inbox", "Inbox", false, {}, {}},
    };
    tarnwick::MatchSettings settings = Migemo();
    settings.path = true;
    for (const Case& c : cases) {
        settings.fuzzy = c.fuzzy;
        const tarnwick::MatchRanges ranges = tarnwick::MatchRangesOf(Folder(c.name, c.path), "JUSHIN", settings);
        EXPECT_EQ(c.nameRanges, ranges.name) << c.name << " " << c.fuzzy;
        EXPECT_EQ(c.pathRanges, ranges.path) << c.name << " " << c.fuzzy;
    }
}

}  // namespace
}  // namespace search_test
