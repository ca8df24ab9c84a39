// "MatchMigemo": what the dictionary costs to load (off the UI thread) and in
// private bytes, what a romaji keystroke costs with "VirtualList" 1 against
// the same keystroke without the key, and what the opening costs with it.
//
//   bench_migemo_bench.exe DLL DICT          10,000 and 50,000 folders
//   bench_migemo_bench.exe DLL DICT 1000     chosen sizes
//   bench_migemo_bench.exe DLL DICT --expansions N
//                                            C/Migemo's time for every query
//                                            of up to N letters, slowest first
//
// DLL is a migemo.dll for this build's architecture, DICT the CP932
// dictionary (Debian's cmigemo-common: Z:\usr\share\cmigemo\cp932\migemo-dict).
#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "common/text.h"
#include "dialog/dialog_state.h"
#include "dialog/search_dialog.h"
#include "resource_ids.h"
#include "search/match.h"
#include "search/migemo.h"
#include "search/migemo_library.h"
#include "binding/config.h"
#include "binding/host_api.h"
#include "support/test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace {

using bench::Median;
using bench::Now;

using bench::Box;
using bench::Dialog;
using bench::List;
using bench::RowCount;
using bench::Settle;

tarnwick::FolderList& g_folders = bench::Folders();


// Wine reports no PrivateUsage: the committed private regions, summed.
std::size_t PrivateBytes() { return testing_support::CountResources().privateBytes; }

// Names as a Japanese user's mailbox holds them: kanji, kana and Latin
// words, numbered, below a hundred parents.
tarnwick::FolderList MakeFolders(int count) {
    static const char* const kWords[] = {"受信箱", "送信済み", "会議", "取引先", "日本", "メール", "メルマガ",
                                         "経理", "開発", "写真", "旅行", "家族", "予定", "請求書", "お知らせ",
                                         "サポート", "仕事", "総務", "Invoices", "Work", "Plans", "Receipts",
                                         "大阪支社", "東京本社", "ニュース", "趣味"};
    constexpr int kWordCount = static_cast<int>(sizeof(kWords) / sizeof(kWords[0]));
    tarnwick::FolderList folders;
    folders.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "%s %05d", kWords[(i * 7) % kWordCount], i);
        char parent[32];
        std::snprintf(parent, sizeof(parent), "%s%03d", kWords[(i / 100) % kWordCount], i / 100);
        tarnwick::FolderRecord record;
        record.name = name;
        record.searchKey = tarnwick::UpperCaseMbcs(name);
        record.folderId = "MB1\\" + std::string(parent) + "\\" + name + "\\";
        record.displayPath = std::string(parent) + "/" + name;
        folders.push_back(record);
    }
    return folders;
}

// The search box's change to the list repainted, from every folder shown.
double TimeKeystroke(const char* query) {
    SetWindowTextA(Box(), "");
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
    UpdateWindow(List());
    Settle();
    SetWindowTextA(Box(), query);
    // A keystroke asks for a word not asked for before.
    tarnwick::ForgetMigemoPatterns();
    const double start = Now();
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BOX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Box()));
    UpdateWindow(List());
    const double time = Now() - start;
    Settle();
    return time;
}

// The expansion asked for and compiled, alone (nothing kept from before).
double TimeExpansion(const char* query, std::size_t& words, std::size_t& bytes) {
    std::vector<double> runs;
    const std::string upper = tarnwick::UpperCaseMbcs(query);
    for (int i = 0; i < 5; ++i) {
        tarnwick::ForgetMigemoPatterns();
        const double start = Now();
        const auto pattern = tarnwick::MigemoPatternOf(upper);
        runs.push_back(Now() - start);
        words = pattern ? pattern->WordCount() : 0;
    }
    std::string lower = query;
    bytes = tarnwick::MigemoQuery(lower).size();
    return Median(runs);
}

// The parts of an expansion: C/Migemo's answer, and its compilation.
void TimeExpansionParts(const char* query, double& asked, double& compiled) {
    std::vector<double> ask, compile;
    for (int i = 0; i < 5; ++i) {
        double start = Now();
        const std::string expansion = tarnwick::MigemoQuery(query);
        ask.push_back(Now() - start);
        start = Now();
        const tarnwick::MigemoPattern pattern(expansion);
        compile.push_back(Now() - start);
    }
    asked = Median(ask);
    compiled = Median(compile);
}

// The filter's own work: every record tested and the matches ordered.
double TimeMatching(const char* query, int& rows) {
    const std::string upper = tarnwick::UpperCaseMbcs(query);
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        const double start = Now();
        const tarnwick::QueryMatcher matcher(g_folders, upper.c_str(), tarnwick::MatchSettingsFromConfig());
        std::vector<tarnwick::RowPosition> positions;
        for (std::size_t position = 0; position < g_folders.size(); ++position) {
            if (matcher.Matches(position)) positions.push_back(static_cast<tarnwick::RowPosition>(position));
        }
        tarnwick::OrderByRank(matcher, positions, g_folders.size());
        runs.push_back(Now() - start);
        rows = static_cast<int>(positions.size());
    }
    return Median(runs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_migemo_bench.exe MIGEMO_DLL DICTIONARY [FOLDERS...]\n");
        return 2;
    }
    tarnwick::HostApi() = tarnwick::CHostApi{};
    tarnwick::BindHostApiTo(GetModuleHandleA(nullptr));
    if (!bench::UsePluginResources()) return 1;
    tarnwick::CreateFolderListMutex();
    bench::ShowBenchFolders();
    tarnwick::PluginConfig& config = tarnwick::Config();
    config.virtualList = 1;
    config.matchMigemo = 1;
    config.migemoDll = argv[1];
    config.migemoDict = argv[2];

    if (argc >= 4 && std::string(argv[3]) == "--expansions") {
        // C/Migemo's own time for every query of up to N letters.
        const std::unique_ptr<tarnwick::MigemoLibrary> library = tarnwick::MigemoLibrary::Load(argv[1], argv[2]);
        if (!library) return 1;
        std::vector<std::pair<double, std::string>> times;
        const std::size_t longest = argc >= 5 ? static_cast<std::size_t>(std::atoi(argv[4])) : 2;
        std::vector<std::string> queries;
        std::vector<std::string> last{""};
        for (std::size_t length = 1; length <= longest; ++length) {
            std::vector<std::string> next;
            for (const std::string& q : last) {
                for (char c = 'a'; c <= 'z'; ++c) next.push_back(q + c);
            }
            queries.insert(queries.end(), next.begin(), next.end());
            last.swap(next);
        }
        for (const std::string& query : queries) {
            const double start = Now();
            const std::string expansion = library->Query(query);
            times.emplace_back(Now() - start, query + " " + std::to_string(expansion.size()));
        }
        std::sort(times.rbegin(), times.rend());
        double total = 0;
        for (const auto& t : times) total += t.first;
        std::printf("total %.0f ms\n", total);
        for (std::size_t i = 0; i < 40 && i < times.size(); ++i) std::printf("%.2f %s\n", times[i].first, times[i].second.c_str());
        return 0;
    }
    // The dictionary, loaded on its own thread while this one waits.
    const std::size_t before = PrivateBytes();
    const double started = Now();
    tarnwick::StartMigemo();
    while (!tarnwick::MigemoReady() && Now() - started < 60000) testing_support::PumpMessagesFor(1);
    const double loaded = Now() - started;
    if (!tarnwick::MigemoReady()) {
        std::fprintf(stderr, "the dictionary did not load: %s, %s\n", argv[1], argv[2]);
        return 1;
    }
    std::printf("| dictionary loaded, off the UI thread (ms) | private bytes added (MB) |\n|---:|---:|\n| %.0f | %.1f |\n\n",
                loaded, static_cast<double>(PrivateBytes() - before) / (1024.0 * 1024.0));

    std::vector<int> sizes;
    for (int i = 3; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {10000, 50000};
    const char* queries[] = {"k", "j", "ju", "jus", "jushin", "kaigi", "torihi"};
    std::printf("| folders | query | words | C/Migemo's answer (bytes) | its time (ms) | compiled (ms) | rows "
                "| filter alone (ms) | keystroke (ms) | rows, key 0 | filter alone, key 0 (ms) | keystroke, key 0 (ms) |\n"
                "|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::string openings;
    for (int count : sizes) {
        g_folders = MakeFolders(count);
        tarnwick::OpenSearchDialog(nullptr, 0);
        Settle();
        for (const char* query : queries) {
            std::vector<double> with, without;
            int rowsWith = 0, rowsWithout = 0;
            // In turn, so that a busy machine weighs on both alike.
            for (int i = 0; i < 7; ++i) {
                config.matchMigemo = 1;
                with.push_back(TimeKeystroke(query));
                rowsWith = RowCount();
                config.matchMigemo = 0;
                without.push_back(TimeKeystroke(query));
                rowsWithout = RowCount();
            }
            int filteredWith = 0, filteredWithout = 0;
            config.matchMigemo = 0;
            const double filterWithout = TimeMatching(query, filteredWithout);
            config.matchMigemo = 1;
            const double filterWith = TimeMatching(query, filteredWith);
            std::size_t words = 0, bytes = 0;
            TimeExpansion(query, words, bytes);
            double asked = 0, compiled = 0;
            TimeExpansionParts(query, asked, compiled);
            std::printf("| %d | \"%s\" | %zu | %zu | %.2f | %.2f | %d | %.2f | %.1f | %d | %.2f | %.1f |\n", count, query,
                        words, bytes, asked, compiled, rowsWith, filterWith, Median(with), rowsWithout, filterWithout,
                        Median(without));
            std::fflush(stdout);
        }
        config.matchMigemo = 0;
        const double openWithout = bench::TimeReshow(7);
        config.matchMigemo = 1;
        const double openWith = bench::TimeReshow(7);
        char line[128];
        std::snprintf(line, sizeof(line), "| %d | %.1f | %.1f |\n", count, openWith, openWithout);
        openings += line;
        tarnwick::DestroySearchDialog();
        Settle();
    }
    std::printf("\n| folders | OpenSearchDialog, prepared dialog shown again, MatchMigemo 1 (ms) | the same, 0 (ms) |\n"
                "|---:|---:|---:|\n%s", openings.c_str());
    tarnwick::StopMigemo();
    return 0;
}
