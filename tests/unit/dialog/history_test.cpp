// The history rules: recording a choice, loading at creation, saving at exit.
#include "dialog_fixture.h"

#include <sstream>

namespace dialog_test {
namespace {

using Entries = std::vector<std::string>;

struct RecordCase {
    const char* name;
    int historyMax;
    Entries before;
    const char* text;
    Entries after;
    const char* boxAfter;
};

std::string IniWithHistory(int historyMax, const Entries& entries) {
    std::ostringstream ini;
    ini << "[Config]\r\nHistoryMax=" << historyMax << "\r\n[History]\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i) ini << "History" << i << "=" << entries[i] << "\r\n";
    return ini.str();
}

Entries Numbered(int count, int from = 0) {
    Entries entries;
    for (int i = from; i < from + count; ++i) entries.push_back("q" + std::to_string(i));
    return entries;
}

Entries Prepended(const std::string& first, Entries rest, std::size_t keep) {
    rest.insert(rest.begin(), first);
    rest.resize(std::min(keep, rest.size()));
    return rest;
}

class RecordQueryTest : public SearchDialogTest, public ::testing::WithParamInterface<RecordCase> {};

}  // namespace

TEST_P(RecordQueryTest, FollowsTheHistoryRules) {
    const RecordCase& c = GetParam();
    UseIni(IniWithHistory(c.historyMax, c.before));
    Open();
    ASSERT_EQ(c.before.size() <= static_cast<std::size_t>(std::max(c.historyMax, 0)) ? c.before : Entries(),
              History());
    SetWindowTextA(Box(), c.text);
    tarnwick::AddQueryToHistory(Dialog());
    EXPECT_EQ(c.after, History());
    EXPECT_EQ(c.boxAfter, BoxText());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordQueryTest,
    ::testing::Values(
        RecordCase{"EmptyTextChangesNothing", 15, {"a", "b"}, "", {"a", "b"}, ""},
        RecordCase{"NewTextGoesOnTop", 15, {"a", "b"}, "c", {"c", "a", "b"}, "c"},
        RecordCase{"SameTextTwiceKeepsOneOnTop", 15, {"x", "plan"}, "plan", {"plan", "x"}, "plan"},
        RecordCase{"TopEntryAgainStaysOnce", 15, {"plan", "x"}, "plan", {"plan", "x"}, "plan"},
        RecordCase{"CaseVariantReplacesTheOldEntry", 15, {"x", "PLAN"}, "plan", {"plan", "x"}, "plan"},
        RecordCase{"LongerEntryBeginningWithTheTextGoes", 15, {"x", "planning"}, "plan", {"plan", "x"}, "plan"},
        RecordCase{"ShorterPrefixEntryStays", 15, {"x", "pl"}, "plan", {"plan", "x", "pl"}, "plan"},
        RecordCase{"OfTwoMatchesTheOneAfterEntryZeroGoes", 15, {"plan", "x", "planb"}, "plan", {"plan", "plan", "x"},
                   "plan"},
        RecordCase{"FullHistoryLosesItsOldest", 15, Numbered(15), "new", Prepended("new", Numbered(15), 15), "new"},
        RecordCase{"FullHistoryWithAMatchLosesTheMatch", 15, Numbered(15), "q3",
                   Prepended("q3", [] { Entries e = Numbered(15); e.erase(e.begin() + 3); return e; }(), 15), "q3"},
        RecordCase{"MaxTwo", 2, {"a", "b"}, "c", {"c", "a"}, "c"},
        RecordCase{"MaxZeroKeepsNothing", 0, {}, "c", {}, ""}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

TEST_F(SearchDialogTest, LoadSkipsMissingAndEmptyKeysAndStopsAtHistoryMax) {
    UseIni("[Config]\r\nHistoryMax=4\r\n[History]\r\nHistory3=d\r\nHistory0=a\r\nHistory1=\r\nhistory2=c\r\n"
           "History4=e\r\nHistory02=x\r\nHistory-1=y\r\n");
    Open();
    EXPECT_EQ((Entries{"a", "c", "d"}), History());
}

TEST_F(SearchDialogTest, HugeHistoryMaxLoadsAndSavesOnlyWhatExists) {
    UseIni("[Config]\r\nHistoryMax=2147483647\r\n[History]\r\nHistory0=a\r\nHistory2000000000=far\r\n");
    const DWORD start = GetTickCount();
    Open();
    EXPECT_EQ((Entries{"a", "far"}), History());
    SetWindowTextA(Box(), "b");
    tarnwick::AddQueryToHistory(Dialog());
    tarnwick::SaveSearchHistory();
    // A loop up to HistoryMax would take hours; a busy machine takes seconds.
    EXPECT_LT(GetTickCount() - start, 60000u);
    const std::string ini = testing_support::ReadFileBytes(iniPath);
    EXPECT_NE(std::string::npos, ini.find("History0=b\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("History1=a\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("History2=far\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("History2000000000=far\r\n")) << ini;
}

TEST_F(SearchDialogTest, NegativeHistoryMaxLoadsNothing) {
    UseIni("[Config]\r\nHistoryMax=-3\r\n[History]\r\nHistory0=a\r\n");
    Open();
    EXPECT_TRUE(History().empty());
}

TEST_F(SearchDialogTest, LoadCutsOverlongValuesToTheBuffer) {
    UseIni("[History]\r\nHistory0=" + std::string(3000, 'z') + "\r\n");
    Open();
    ASSERT_EQ(1u, History().size());
    EXPECT_EQ(std::string(1023, 'z'), History()[0]);
}

TEST_F(SearchDialogTest, SaveWritesEntriesBelowHistoryMaxAndLeavesHigherKeys) {
    UseIni("[Config]\r\nHistoryMax=2\r\n[History]\r\nHistory0=a\r\nHistory1=b\r\nHistory5=keep\r\n");
    Open();
    SetWindowTextA(Box(), "c");
    tarnwick::AddQueryToHistory(Dialog());
    tarnwick::SaveSearchHistory();
    EXPECT_EQ("[Config]\r\nHistoryMax=2\r\n[History]\r\nHistory0=c\r\nHistory1=a\r\nHistory5=keep\r\n",
              testing_support::ReadFileBytes(iniPath));
}

}  // namespace dialog_test
