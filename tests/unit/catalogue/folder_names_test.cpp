#include "catalogue_fixture.h"

#include <algorithm>
#include <random>

using tarnwick::FolderRecord;

namespace {

FolderRecord WithPath(const std::string& path) {
    FolderRecord r;
    r.displayPath = path;
    return r;
}

}  // namespace

TEST(SpecialFolderNames, HoldTheSixDisplayNamesAndMatchOnlyExactNamesStartingWithBang) {
    tarnwick::FillSpecialFolderNames();
    tarnwick::FillSpecialFolderNames();  // refilling overwrites, adds nothing
    EXPECT_EQ(6u, tarnwick::SpecialFolderNames().size());
    struct Case {
        const char* directory;
        const char* display;  // null: not special
    };
    const Case cases[] = {
        {"!!!!Inbox", "\x8E\xF3\x90\x4D\x94\xA0"}, {"!!!!Outbox", "送信箱"}, {"!!!Draft", "草稿"},
        {"!!!Sent", "送信済み"}, {"!!!XReminder", "リマインダ"}, {"!Trash", "ごみ箱"},
        {"!trash", nullptr}, {"!!!!INBOX", nullptr}, {"!Other", nullptr}, {"x!Trash", nullptr},
        {"Trash", nullptr}, {"", nullptr},
    };
    for (const Case& c : cases) {
        const std::string* found = tarnwick::LookUpSpecialFolderName(c.directory);
        if (c.display) {
            ASSERT_NE(nullptr, found) << c.directory;
            EXPECT_EQ(c.display, *found) << c.directory;
        } else {
            EXPECT_EQ(nullptr, found) << c.directory;
        }
    }
}

TEST(DeriveNameFromPath, TakesTheLastComponentAndUpperCasesIt) {
    struct Case {
        const char* path;
        const char* name;
        const char* key;
    };
    const Case cases[] = {
        {"Box/Sub/Leaf", "Leaf", "LEAF"}, {"Solo", "Solo", "SOLO"}, {"Box/", "", ""},
        {"", "", ""}, {"受信箱", "受信箱", "受信箱"}, {"Work/ａｂｃ", "ａｂｃ", "ＡＢＣ"},
    };
    for (const Case& c : cases) {
        FolderRecord r = WithPath(c.path);
        tarnwick::DeriveNameFromPath(r);
        EXPECT_EQ(c.name, r.name) << c.path;
        EXPECT_EQ(c.key, r.searchKey) << c.path;
    }
}

TEST(SearchKey, UpperCasesFullWidthLettersUnderCodePage932) {
    ASSERT_EQ(932u, GetACP());
    EXPECT_EQ("ABC", tarnwick::MakeSearchKey("abc"));
    // Full-width a, b, z: 82 81, 82 82, 82 9A become 82 60, 82 61, 82 79.
    EXPECT_EQ("\x82\x60\x82\x61\x82\x79", tarnwick::MakeSearchKey("\x82\x81\x82\x82\x82\x9A"));
    EXPECT_EQ("ＭＩＸ", tarnwick::MakeSearchKey("ｍＩｘ"));
    EXPECT_EQ("０１２かなカナ漢字ﾊﾝｶｸ", tarnwick::MakeSearchKey("０１２かなカナ漢字ﾊﾝｶｸ"));
    // A trail byte that looks like a lower-case letter stays as it is.
    EXPECT_EQ("\x83\x61X", tarnwick::MakeSearchKey("\x83\x61x"));
}

TEST(CutMailboxDisplayName, NeverReadsPastTheHostsText) {
    EXPECT_EQ("Work/Plans", tarnwick::CutMailboxDisplayName("Mailbox/Work/Plans", 8));
    EXPECT_EQ("", tarnwick::CutMailboxDisplayName("Mailbox/", 8));
    EXPECT_EQ("", tarnwick::CutMailboxDisplayName("Mail", 8));
    EXPECT_EQ("", tarnwick::CutMailboxDisplayName("", 8));
}

struct OrderCase {
    const char* a;
    const char* b;
    bool aBeforeB;
    bool bBeforeA;
};

class CompareDisplayPathsTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(CompareDisplayPathsTest, OrdersBothWays) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(c.aBeforeB, tarnwick::CompareDisplayPaths(WithPath(c.a), WithPath(c.b))) << c.a << " < " << c.b;
    EXPECT_EQ(c.bBeforeA, tarnwick::CompareDisplayPaths(WithPath(c.b), WithPath(c.a))) << c.b << " < " << c.a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareDisplayPathsTest,
    ::testing::Values(OrderCase{"Work", "Work/Plans", true, false},    // folder before its subfolders
                      OrderCase{"Work-old", "Work", true, false},      // "-" is below "@"
                      OrderCase{"Work", "Workshop", true, false},      // a letter is above "@"
                      OrderCase{"Work", "Work_x", true, false},        // "_" is above "@"
                      OrderCase{"work", "WORK", false, false},         // equivalent
                      OrderCase{"Ab", "ac", true, false}, OrderCase{"aB", "AC", true, false},
                      OrderCase{"Work0", "Work", true, false}, OrderCase{"Work", "Work/x", true, false},
                      OrderCase{"Work/x", "Work0", true, false},       // the cycle
                      OrderCase{"Zeta", "受信箱", true, false},        // double-byte above single-byte
                      OrderCase{"受信箱", "受信箱/A", true, false},
                      OrderCase{"ａ", "Ａ", false, false},            // full-width letters fold too
                      OrderCase{"", "A", true, false}));

TEST(SortByDisplayPath, TerminatesInRangeOnTheCycle) {
    const char* cycle[] = {"Work0", "Work", "Work/x"};
    tarnwick::FolderList records;
    for (int i = 0; i < 600; ++i) records.push_back(WithPath(cycle[i % 3]));
    std::mt19937 random(7);
    std::shuffle(records.begin(), records.end(), random);
    tarnwick::SortByDisplayPath(records);
    ASSERT_EQ(600u, records.size());
    for (const char* path : cycle) {
        EXPECT_EQ(200, std::count_if(records.begin(), records.end(),
                                     [&](const FolderRecord& r) { return r.displayPath == path; }))
            << path;
    }
}

TEST(SortByDisplayPath, SortsAnOrdinarySetAndKeepsEquivalentsInOrder) {
    tarnwick::FolderList records;
    for (const char* path : {"b", "Work/Plans", "WORK", "a", "Work-old", "work", "受信箱"}) {
        FolderRecord r = WithPath(path);
        r.folderId = path;
        records.push_back(r);
    }
    tarnwick::SortByDisplayPath(records);
    std::vector<std::string> order;
    for (const FolderRecord& r : records) order.push_back(r.folderId);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "Work-old", "WORK", "work", "Work/Plans", "受信箱"}), order);
}

struct HostPathCase {
    const char* host;
    const char* walkable;
};

class WalkableDataFolderTest : public ::testing::TestWithParam<HostPathCase> {};

TEST_P(WalkableDataFolderTest, IsAbsoluteAndEndsInASeparatorOrIsEmpty) {
    EXPECT_EQ(GetParam().walkable, tarnwick::WalkableDataFolder(GetParam().host)) << GetParam().host;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WalkableDataFolderTest,
    ::testing::Values(HostPathCase{"C:\\Data\\", "C:\\Data\\"}, HostPathCase{"C:\\Data", "C:\\Data\\"},
                      HostPathCase{"d:/Data/", "d:/Data/"}, HostPathCase{"\\\\server\\share", "\\\\server\\share\\"},
                      // "ソ" ends in the byte 0x5C, which is no separator.
                      HostPathCase{"C:\\\x83\x5C", "C:\\\x83\x5C\\"},
                      HostPathCase{"", ""}, HostPathCase{"C", ""}, HostPathCase{"Data\\", ""}, HostPathCase{"C:", ""},
                      HostPathCase{"C:Data\\", ""}, HostPathCase{"1:\\x\\", ""}));

TEST(WithTrailingSeparator, AddsOneOnlyWhereTheLastCharacterIsNone) {
    EXPECT_EQ("MB1\\", tarnwick::WithTrailingSeparator("MB1"));
    EXPECT_EQ("MB1\\", tarnwick::WithTrailingSeparator("MB1\\"));
    EXPECT_EQ("MB1/", tarnwick::WithTrailingSeparator("MB1/"));
    EXPECT_EQ("\x83\x5C\\", tarnwick::WithTrailingSeparator("\x83\x5C"));
    EXPECT_EQ("", tarnwick::WithTrailingSeparator(""));
}

TEST(StaysBelowDirectory, RefusesEveryComponentTheFileSystemTakesForHereOrAbove) {
    struct Case {
        const char* line;
        bool below;
    };
    const Case cases[] = {
        {"Work", true}, {"Work\\Plans", true}, {"a.b", true}, {".hidden", true}, {"x..", true},
        // "ソ" (83 5C) and "ソフト\Old": a trail byte 0x5C is no separator.
        {"\x83\x5C", true}, {"\x83\x5C\x83\x74\x83\x67\\Old", true}, {"\x83\x5C\\", false},
        {"", false}, {".", false}, {"..", false}, {"...", false}, {" ", false}, {". .", false},
        {"..\\MB1", false}, {"Work\\..", false}, {"Work\\.\\Plans", false}, {"Work\\\\Plans", false},
        {"\\Work", false}, {"Work\\", false}, {"Work/../x", false}, {"/", false}};
    for (const Case& c : cases) EXPECT_EQ(c.below, tarnwick::StaysBelowDirectory(c.line)) << c.line;
}
