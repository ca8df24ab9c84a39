// Queries of 0 to 2,000 bytes, lone lead bytes included, over folder names
// that hold every odd byte a list file can give: the filter never faults,
// shows only catalogue rows in catalogue order, and always finds a folder
// by any whole-character piece of its own key.
#include "dialog_fixture.h"
#include "support/fuzz.h"

#include <mbctype.h>

#include <algorithm>

using testing_support::DescribeCase;
using testing_support::FuzzRandom;
using testing_support::PlanCampaign;

namespace dialog_test {
namespace {

// A piece of key that starts and ends at character boundaries.
std::string WholeCharacterPiece(const std::string& key, FuzzRandom& random) {
    std::vector<std::size_t> boundaries{0};
    for (std::size_t i = 0; i < key.size();) {
        i += (_ismbblead(static_cast<unsigned char>(key[i])) && i + 1 < key.size()) ? 2 : 1;
        boundaries.push_back(i);
    }
    const std::size_t first = random.Below(static_cast<std::uint32_t>(boundaries.size()));
    const std::size_t last = first + random.Below(static_cast<std::uint32_t>(boundaries.size() - first));
    return key.substr(boundaries[first], boundaries[last] - boundaries[first]);
}

}  // namespace

class QueryFuzz : public SearchDialogTest {
protected:
    std::vector<LPARAM> Filter(const std::string& query) {
        SetWindowTextA(Box(), query.c_str());
        SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
        return ItemData();
    }
};

TEST_F(QueryFuzz, AnyQueryShowsCatalogueRowsAndFindsEveryPieceOfAKey) {
    const auto plan = PlanCampaign(1500);
    FuzzRandom random(plan.seed + 11);
    tarnwick::FolderList& folders = NextCatalogue();
    folders.clear();
    for (int i = 0; i < 60; ++i) {
        std::string name = random.Text(40);
        for (char& c : name) {
            if (c == '\r' || c == '\n') c = '_';
        }
        if (i % 5 == 0) name += '\x83';  // a lone lead byte at the end, as a list-file line may give
        folders.push_back(Folder(name, "p/" + name));
    }
    Open();
    ASSERT_EQ(folders.size(), ItemData().size());
    const tarnwick::FolderList& shown = CurrentCatalogue();

    long piecesChecked = 0;
    for (long i = 0; i < plan.cases; ++i) {
        const std::string where = DescribeCase(plan, i);
        std::string query;
        std::size_t owner = shown.size();
        switch (random.Below(4)) {
            case 0: query = random.Text(2000); break;
            case 1: query = random.Bytes(random.Below(2001)); break;
            case 2: query = std::string(random.Below(5), '\x81') + random.Text(3) + "\x83"; break;
            default:
                owner = random.Below(static_cast<std::uint32_t>(shown.size()));
                query = WholeCharacterPiece(shown[owner].searchKey, random);
                break;
        }
        const std::vector<LPARAM> rows = Filter(query);
        ASSERT_FALSE(HasFatalFailure());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            ASSERT_GE(rows[r], 0) << where;
            ASSERT_LT(static_cast<std::size_t>(rows[r]), shown.size()) << where;
            if (r > 0) {
                ASSERT_LT(rows[r - 1], rows[r]) << where << ": not in catalogue order";
            }
        }
        // The box's text is what the dialog filtered by; the piece holds only
        // when the edit control kept it byte for byte.
        if (owner < shown.size() && BoxText() == query && query.size() < 1023) {
            ++piecesChecked;
            EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), static_cast<LPARAM>(owner)))
                << where << ": \"" << query << "\" did not find \"" << shown[owner].name << "\"";
        }
    }
    EXPECT_GT(piecesChecked, plan.cases / 8);
    EXPECT_EQ(shown.size(), Filter("").size());
}

}  // namespace dialog_test
