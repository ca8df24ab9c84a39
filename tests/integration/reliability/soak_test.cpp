// A week of uptime, compressed: the update thread builds without pause
// ("UpdateInterval" 0) thousands of times while folders are created, renamed
// and deleted between builds, and the dialog is opened, typed into and
// closed every 100 builds. Handles, windows and private bytes must stay
// flat, nothing may fault, and the last catalogue must be what a fresh start
// lists. Long: it runs only when TARNWICK_SOAK_BUILDS asks for it
// (scripts/fuzz.sh sets it).
#include "sample_mailbox.h"
#include "support/fuzz.h"
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";
constexpr long kBuildsPerDialog = 100;
constexpr long kBuildsPerSample = 1000;

using Rows = std::vector<std::pair<std::string, std::string>>;

// Least-squares slope of y over x.
double Slope(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : (n * sxy - sx * sy) / d;
}

}  // namespace

class Soak : public PluginHostTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        standin::SampleMailboxOptions options;
        options.folderCount = 30;
        options.mailboxCount = 1;
        options.writeMails = false;
        standin::GenerateSampleMailbox(dataFolder, options);
        // Every build asks once for the mailbox's own display name.
        auto plain = std::make_shared<standin::HostModel>();
        plain->dataFolder = dataFolder;
        plain->mailboxDisplayNames = standin::Host().mailboxDisplayNames;
        standin::Host().displayNameOverride = [plain, this](const std::string& id) {
            if (id == "MB1\\") ++builds;
            return plain->DisplayNameOf(id);
        };
    }

    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }
    bool Shown() const { return Dialog() && IsWindowVisible(Dialog()); }

    bool OpenTypeAndClose(char letter) {
        plugin.OnKeyDispatch(nullptr, 'F', 96);
        if (!testing_support::PumpUntil([&] { return Shown(); }, 20000)) return false;
        PostMessageA(GetFocus(), WM_CHAR, letter, 1);
        testing_support::PumpMessagesFor(20);
        PostMessageA(Dialog(), WM_CLOSE, 0, 0);
        return testing_support::PumpUntil([&] { return !Shown(); }, 20000);
    }

    Rows RowsOfAShowing() {
        Rows rows;
        plugin.OnKeyDispatch(nullptr, 'F', 96);
        if (testing_support::PumpUntil([&] { return Shown(); }, 20000)) {
            // "InstantOpen" shows the last build first and refreshes after.
            testing_support::PumpMessagesFor(500);
            rows = testing_support::ListViewRows(GetDlgItem(Dialog(), 1002));
            PostMessageA(Dialog(), WM_CLOSE, 0, 0);
            testing_support::PumpUntil([&] { return !Shown(); }, 20000);
        }
        return rows;
    }

    std::atomic<long> builds{0};
};

TEST_P(Soak, UpdateThreadBuildsForAWeekWithoutGrowth) {
    const char* wanted = std::getenv("TARNWICK_SOAK_BUILDS");
    if (!wanted) GTEST_SKIP() << "runs only when TARNWICK_SOAK_BUILDS asks for it (scripts/fuzz.sh)";
    const long total = std::max(1000L, std::atol(wanted));
    const int instantOpen = GetParam();
    testing_support::FuzzRandom random(testing_support::PlanCampaign(1).seed + 31 + instantOpen);
    WriteIni("[Config]\r\nUseUpateThread=1\r\nFirstWaitingTime=0\r\nUpdateInterval=0\r\nInstantOpen=" +
             std::to_string(instantOpen) + "\r\n");
    StartPlugin();
    HMENU menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 0);
    ASSERT_TRUE(OpenTypeAndClose('a')) << "warm-up showing";

    // Folders of the soak's own below the mailbox: created, renamed, deleted.
    std::vector<std::string> own;
    long made = 0;
    const auto change = [&] {
        const std::uint32_t op = own.size() < 4 ? 0 : random.Below(3);
        if (op == 0 && own.size() < 24) {
            const std::string parent = own.empty() || random.OneIn(2) ? "MB1\\" : own[random.Below(own.size())];
            const std::string id = parent + "Soak" + std::to_string(made++) + "\\";
            if (CreateDirectoryA((dataFolder + id).c_str(), nullptr)) own.push_back(id);
        } else if (op == 1) {
            // A leaf only: the others' paths stay valid.
            std::string& id = own[random.Below(own.size())];
            for (const std::string& other : own)
                if (other != id && other.compare(0, id.size(), id) == 0) return;
            const std::string renamed = id.substr(0, id.rfind('\\', id.size() - 2) + 1) + "Moved" +
                                        std::to_string(made++) + "\\";
            if (MoveFileA((dataFolder + id).c_str(), (dataFolder + renamed).c_str())) id = renamed;
        } else {
            const std::size_t at = random.Below(own.size());
            for (const std::string& other : own)
                if (other != own[at] && other.compare(0, own[at].size(), own[at]) == 0) return;
            if (RemoveDirectoryA((dataFolder + own[at]).c_str())) own.erase(own.begin() + static_cast<long>(at));
        }
    };

    std::printf("InstantOpen %d: builds, handles, windows, GDI objects, private KiB\n", instantOpen);
    std::vector<double> at, handles, windows, privateKiB;
    const auto sample = [&](long count) {
        const testing_support::ResourceCounts c = testing_support::CountResources();
        at.push_back(static_cast<double>(count));
        handles.push_back(c.handles);
        windows.push_back(c.userObjects);
        privateKiB.push_back(static_cast<double>(c.privateBytes / 1024));
        std::printf("%6ld %5lu %3lu %3lu %8lu\n", count, c.handles, c.userObjects, c.gdiObjects,
                    static_cast<unsigned long>(c.privateBytes / 1024));
        std::fflush(stdout);
    };
    builds = 0;
    sample(0);
    long nextDialog = kBuildsPerDialog, nextSample = kBuildsPerSample;
    const DWORD start = GetTickCount();
    while (builds < total) {
        const long seen = builds;
        ASSERT_TRUE(testing_support::PumpUntil([&] { return builds != seen; }, 30000))
            << "no build for 30 s after " << seen;
        change();
        if (builds >= nextDialog) {
            ASSERT_TRUE(OpenTypeAndClose(static_cast<char>('a' + random.Below(26)))) << "at build " << builds;
            nextDialog += kBuildsPerDialog;
        }
        if (builds >= nextSample) {
            sample(builds);
            nextSample += kBuildsPerSample;
        }
    }
    const std::vector<double> later(at.begin() + 1, at.end());
    const double secondsTaken = (GetTickCount() - start) / 1000.0;
    std::printf("%ld builds in %.0f s; slope per 1,000 builds (from build 1,000 on): handles %.2f, windows %.2f, "
                "private %.1f KiB\n",
                static_cast<long>(builds), secondsTaken,
                1000 * Slope(later, std::vector<double>(handles.begin() + 1, handles.end())),
                1000 * Slope(later, std::vector<double>(windows.begin() + 1, windows.end())),
                1000 * Slope(later, std::vector<double>(privateKiB.begin() + 1, privateKiB.end())));
    EXPECT_LE(handles.back(), handles[1] + 2) << "handles grew";
    EXPECT_EQ(windows[1], windows.back()) << "windows grew";
    EXPECT_LT(privateKiB.back() - privateKiB[1], 4096) << "private bytes grew";

    // The thread's last build, shown, against a fresh start on the same tree.
    const long before = builds;
    ASSERT_TRUE(testing_support::PumpUntil([&] { return builds >= before + 2; }, 30000));
    const Rows last = RowsOfAShowing();
    ExitAndUnload();
    DestroyMenu(menu);
    WriteIni("[Config]\r\nUseUpateThread=0\r\n");
    StartPlugin();
    menu = testing_support::MakeHostMenu();
    plugin.OnMenuInit(nullptr, menu, 0);
    const Rows fresh = RowsOfAShowing();
    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_FALSE(fresh.empty());
    EXPECT_EQ(fresh, last);
    EXPECT_EQ(0, testing_support::FaultsSeen());
}

INSTANTIATE_TEST_SUITE_P(InstantOpen, Soak, ::testing::Values(0, 1));
