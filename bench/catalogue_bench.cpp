// Catalogue builds over generated mailboxes of 1,000 to 50,000 folders,
// against a bare directory walk and a bare read of the list files of the
// same tree. Prints a Markdown table (see bench/README.md).
#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_build.h"
#include "catalogue/folder_walk.h"
#include "host_model.h"
#include "sample_mailbox.h"
#include "binding/host_api.h"
#include "support/test_support.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {
std::atomic<long long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using tarnwick::FolderList;
using tarnwick::FolderRecord;

double NowMilliseconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median of `runs` timings of body; prepare runs untimed before each.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = NowMilliseconds();
        body();
        times.push_back(NowMilliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The enumeration the walk makes, and nothing else.
long BareWalk(const std::string& dir) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    long count = 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (entry.cFileName[0] == '#' || !std::strcmp(entry.cFileName, ".") || !std::strcmp(entry.cFileName, ".."))
            continue;
        ++count;
        count += BareWalk(dir + entry.cFileName + "\\");
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return count;
}

// Every list file, found through the names in the files above it.
long BareListRead(const std::string& dir) {
    HANDLE file = CreateFileA((dir + "Folder.lst").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::string content;
    char buffer[16384];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) content.append(buffer, read);
    CloseHandle(file);
    long count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\n') continue;
        const std::size_t end = i > start && content[i - 1] == '\r' ? i - 1 : i;
        ++count;
        count += BareListRead(dir + content.substr(start, end - start) + "\\");
        start = i + 1;
    }
    return count;
}

std::size_t HeapBytes(const std::string& text) { return text.capacity() > 15 ? text.capacity() + 1 : 0; }

double BytesPerFolder(const FolderList& list) {
    std::size_t bytes = list.capacity() * sizeof(FolderRecord);
    for (const FolderRecord& r : list)
        bytes += HeapBytes(r.name) + HeapBytes(r.searchKey) + HeapBytes(r.folderId) + HeapBytes(r.displayPath);
    return list.empty() ? 0.0 : static_cast<double>(bytes) / static_cast<double>(list.size());
}

struct Row {
    int folders = 0;
    long walked = 0;
    std::size_t records = 0;
    double bareWalk = 0, firstBuild = 0, enumerationBuild = 0, bareRead = 0, cachedBuild = 0, rebuild = 0;
    long long rebuildAllocations = 0;
    std::size_t rebuildEdits = 0;
    double bytesPerFolder = 0;
};

bool g_readOnly = false;  // "--reads": only the list-file measurements

Row Measure(int folderCount, int runs) {
    testing_support::TempDir temp;
    const std::string data = temp.path();
    Row row;
    row.folders = bench::MakeBenchMailbox(data, folderCount);
    const std::string mailbox = data + "MB1\\";

    auto dropLists = [&] { tarnwick::DeleteFolderListFilesIn(data, "MB1\\", std::string()); };
    auto build = [](FolderList& list, bool useCache) {
        tarnwick::CatalogueSettings settings;
        settings.useCache = useCache;
        tarnwick::BuildCatalogueInto(list, settings);
    };

    BareWalk(mailbox);  // warm the file system's caches
    FolderList list;
    if (g_readOnly) {
        build(list, true);
    } else {
        row.bareWalk = Median(runs, [] {}, [&] { row.walked = BareWalk(mailbox); });
        row.enumerationBuild = Median(runs, [&] { list = FolderList(); }, [&] { build(list, false); });
        row.firstBuild = Median(runs, [&] { dropLists(); list = FolderList(); }, [&] { build(list, true); });
    }
    row.records = list.size();
    row.bytesPerFolder = BytesPerFolder(list);

    row.bareRead = Median(runs, [] {}, [&] { BareListRead(mailbox); });
    row.cachedBuild = Median(runs, [&] { list = FolderList(); }, [&] { build(list, false); });

    const FolderList before = list;
    const FolderRecord* storage = list.data();
    long long allocations = 0;
    row.rebuild = Median(runs, [&] { allocations = g_allocations.load(); }, [&] { build(list, false); });
    row.rebuildAllocations = g_allocations.load() - allocations;
    for (std::size_t i = 0; i < list.size() && i < before.size(); ++i) {
        const FolderRecord& a = list[i];
        const FolderRecord& b = before[i];
        if (a.folderId != b.folderId || a.name != b.name || a.displayPath != b.displayPath) ++row.rebuildEdits;
    }
    if (list.size() != before.size() || list.data() != storage) ++row.rebuildEdits;
    dropLists();
    return row;
}

// "AllMailboxes": M generated mailboxes of F folders each; every build over
// all of them against the sum of the M single-mailbox builds, measured in
// turn in the same run so that a busy machine weighs on both alike.
struct MailboxesRow {
    double firstSingles = 0, firstAll = 0, cachedSingles = 0, cachedAll = 0, rebuildAll = 0;
    std::size_t records = 0, singleRecords = 0;
    long long rebuildAllocations = 0;
    std::size_t rebuildEdits = 0;
};

int RunMailboxes(int mailboxes, int folders, int runs) {
    testing_support::TempDir temp;
    const std::string data = temp.path();
    standin::SampleMailboxOptions options;
    options.folderCount = folders;
    options.mailboxCount = mailboxes;
    options.writeMails = false;
    standin::GenerateSampleMailbox(data, options);
    standin::Host().dataFolder = data;
    std::vector<std::string> ids;
    for (int i = 1; i <= mailboxes; ++i) {
        ids.push_back("MB" + std::to_string(i) + "\\");
        standin::Host().mailboxDisplayNames[ids.back()] = "Box" + std::to_string(i) + "/";
    }
    auto dropLists = [&] { tarnwick::DeleteFolderListFilesIn(data, std::string(), std::string()); };
    auto build = [](FolderList& list, bool useCache, bool all) {
        tarnwick::CatalogueSettings settings;
        settings.useCache = useCache;
        settings.allMailboxes = all;
        tarnwick::BuildCatalogueInto(list, settings);
    };
    // Each single build on an empty list; returns the sum of their times.
    auto singles = [&](bool useCache, bool withoutLists, std::size_t& records) {
        double sum = 0;
        records = 0;
        for (const std::string& id : ids) {
            standin::Host().currentMailBox = id;
            if (withoutLists) tarnwick::DeleteFolderListFilesIn(data, id, std::string());
            FolderList one;
            const double start = NowMilliseconds();
            build(one, useCache, false);
            sum += NowMilliseconds() - start;
            records += one.size();
        }
        standin::Host().currentMailBox = ids.front();
        return sum;
    };
    BareWalk(data);
    std::vector<double> firstSingles, firstAll, cachedSingles, cachedAll;
    MailboxesRow row;
    FolderList list;
    auto firstOfAll = [&] {
        dropLists();
        list = FolderList();
        const double start = NowMilliseconds();
        build(list, true, true);
        firstAll.push_back(NowMilliseconds() - start);
    };
    auto cachedOfAll = [&] {
        list = FolderList();
        const double start = NowMilliseconds();
        build(list, false, true);
        cachedAll.push_back(NowMilliseconds() - start);
    };
    // Odd runs measure the build over all first: neither side always comes
    // after the other's warming of the file system.
    for (int run = 0; run < runs; ++run) {
        if (run % 2) firstOfAll();
        firstSingles.push_back(singles(true, true, row.singleRecords));
        if (run % 2 == 0) firstOfAll();
        if (run % 2) cachedOfAll();
        cachedSingles.push_back(singles(false, false, row.singleRecords));
        if (run % 2 == 0) cachedOfAll();
    }
    // The list as the build over all left it, list files present.
    list = FolderList();
    build(list, false, true);
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    row.firstSingles = median(firstSingles);
    row.firstAll = median(firstAll);
    row.cachedSingles = median(cachedSingles);
    row.cachedAll = median(cachedAll);
    row.records = list.size();

    const FolderList before = list;
    long long allocations = 0;
    row.rebuildAll = Median(runs, [&] { allocations = g_allocations.load(); }, [&] { build(list, false, true); });
    row.rebuildAllocations = g_allocations.load() - allocations;
    for (std::size_t i = 0; i < list.size() && i < before.size(); ++i) {
        const FolderRecord& a = list[i];
        const FolderRecord& b = before[i];
        if (a.folderId != b.folderId || a.name != b.name || a.displayPath != b.displayPath) ++row.rebuildEdits;
    }
    if (list.size() != before.size()) ++row.rebuildEdits;
    dropLists();

    std::printf("| mailboxes x folders | records (singles) | first build: singles ms | all ms (x singles) | cached build: "
                "singles ms | all ms (x singles) | unchanged rebuild ms | rebuild allocations | rebuild edits |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    std::printf("| %d x %d | %zu (%zu) | %.1f | %.1f (%.2fx) | %.1f | %.1f (%.2fx) | %.1f | %lld | %zu |\n", mailboxes,
                folders, row.records, row.singleRecords, row.firstSingles, row.firstAll,
                row.firstAll / row.firstSingles, row.cachedSingles, row.cachedAll, row.cachedAll / row.cachedSingles,
                row.rebuildAll, row.rebuildAllocations / runs, row.rebuildEdits);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    tarnwick::HostApi() = tarnwick::CHostApi{};
    if (!tarnwick::BindHostApiTo(GetModuleHandle(nullptr))) return 1;
    tarnwick::FillSpecialFolderNames();
    if (argc >= 4 && std::strcmp(argv[1], "--mailboxes") == 0)
        return RunMailboxes(std::atoi(argv[2]), std::atoi(argv[3]), argc >= 5 ? std::atoi(argv[4]) : 3);
    std::vector<int> sizes = {1000, 10000, 50000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--reads") == 0) {
                g_readOnly = true;
            } else {
                sizes.push_back(std::atoi(argv[i]));
            }
        }
        if (sizes.empty()) sizes = {1000, 10000, 50000};
    }
    std::printf("| folders | records | bare walk ms | first build ms (x walk) | same without writing list files ms (x walk) | bare list read ms | cached build ms "
                "(x read) | unchanged rebuild ms | rebuild allocations | rebuild edits | bytes/folder |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (int size : sizes) {
        const int runs = size >= 10000 ? 3 : 5;
        const Row r = Measure(size, runs);
        std::printf("| %d | %zu | %.1f | %.1f (%.2fx) | %.1f (%.2fx) | %.1f | %.1f (%.2fx) | %.1f | %lld | %zu | %.0f |\n", r.folders,
                    r.records, r.bareWalk, r.firstBuild, r.firstBuild / r.bareWalk, r.enumerationBuild, r.enumerationBuild / r.bareWalk, r.bareRead, r.cachedBuild,
                    r.cachedBuild / r.bareRead, r.rebuild, r.rebuildAllocations / runs, r.rebuildEdits,
                    r.bytesPerFolder);
        std::fflush(stdout);
    }
    return 0;
}
