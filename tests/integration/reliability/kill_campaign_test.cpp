// The mail client killed at any moment, in the manner of crash tests: the
// stand-in client runs as a child process on a generated mailbox and is
// ended with TerminateProcess at a moment drawn over the span of the work
// (a first build with "UseCache" 1, an exit with "DeleteCache" 1, the update
// thread building while folders are added). Then the plug-in, started again,
// must list what it lists without any list file, every list file left must
// be whole, and the INI file must hold every key it held before.
#include "plugin_loader.h"
#include "sample_mailbox.h"
#include "support/fuzz.h"
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

using testing_support::DescribeCase;
using testing_support::FuzzRandom;
using testing_support::PlanCampaign;
using testing_support::PluginHostTest;

namespace {

constexpr char kCaption[] = "フォルダ検索";
constexpr int kFolders = 300;
// How long the client lets its update thread build before it closes.
constexpr int kBuildingMilliseconds = 700;

enum class Work { FirstBuild, Exit, BuildWhileAdding };
const char* const kWorkNames[] = {"first build", "exit", "build while adding"};

using Rows = std::vector<std::pair<std::string, std::string>>;

struct IniKey {
    const char* section;
    const char* key;
    std::string value;
    // What exit writes for it, where that differs: the one key being written
    // at the kill may read either.
    std::string written;
};

// The user's file before the run. The window keys are written with leading
// zeros, as by hand: exit writes them back as "%d", so each of them really
// changes (the profile functions leave a file alone when a value stays).
std::vector<IniKey> UserKeys(Work work) {
    return {
        {"Config", "ShortCutKey", "Ctrl+Shift+G", ""},
        {"Config", "UseCache", "1", ""},
        {"Config", "DeleteCache", work == Work::Exit ? "1" : "0", ""},
        {"Config", "UseUpateThread", work == Work::BuildWhileAdding ? "1" : "0", ""},
        {"Config", "FirstWaitingTime", "0", ""},
        {"Config", "UpdateInterval", "0", ""},
        {"Window", "Width", "0640", "640"},
        {"Window", "Height", "0480", "480"},
        {"Window", "Column0", "0150", "150"},
        {"Window", "Column1", "-01", "-1"},
        {"History", "History0", "受信", ""},
        {"History", "History1", "Plans", ""},
        {"History", "History7", "older", ""},
    };
}

std::string UserIniText(const std::vector<IniKey>& keys) {
    std::string text;
    const char* section = "";
    for (const IniKey& k : keys) {
        if (std::string(section) != k.section) text += std::string("[") + (section = k.section) + "]\r\n";
        text += std::string(k.key) + "=" + k.value + "\r\n";
    }
    return text;
}

// What is wrong with the INI file against the keys it held; empty if nothing.
std::string IniDamage(const std::string& iniPath, const std::vector<IniKey>& keys) {
    std::map<std::string, std::set<std::string>> expectedNames;
    for (const IniKey& k : keys) {
        expectedNames[k.section].insert(k.key);
        char value[1024] = "";
        GetPrivateProfileStringA(k.section, k.key, "<missing>", value, sizeof(value), iniPath.c_str());
        if (k.value != value && (k.written.empty() || k.written != value))
            return std::string("[") + k.section + "] " + k.key + "=" + value;
    }
    for (const auto& [section, names] : expectedNames) {
        char buffer[4096] = "";
        GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, sizeof(buffer), iniPath.c_str());
        std::set<std::string> found;
        for (const char* name = buffer; *name; name += std::strlen(name) + 1) found.insert(name);
        if (found != names) return "[" + section + "] holds other keys";
    }
    return std::string();
}

// A directory's subdirectories as the walk lists them, in enumeration order.
std::vector<std::string> Subdirectories(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != ".." && name[0] != '#')
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

// Relative paths (ending in '\') of a directory and of everything below it.
void CollectDirectories(const std::string& root, const std::string& relative, std::vector<std::string>& out) {
    out.push_back(relative);
    for (const std::string& name : Subdirectories(root + relative)) CollectDirectories(root, relative + name + "\\", out);
}

// The list files a complete run with "UseCache" 1 leaves.
void WriteWholeListFiles(const std::string& root, const std::vector<std::string>& directories) {
    for (const std::string& dir : directories) {
        std::string text;
        for (const std::string& name : Subdirectories(root + dir)) text += name + "\r\n";
        testing_support::WriteFileBytes(root + dir + "Folder.lst", text);
    }
}

struct Added {
    std::string parent;  // relative, ending in '\'
    std::string name;
};

class Event {
public:
    explicit Event(const std::string& name) : handle_(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
    ~Event() {
        if (handle_) CloseHandle(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class Process {
public:
    Process() = default;
    ~Process() {
        if (info_.hProcess) {
            TerminateProcess(info_.hProcess, 9);
            WaitForSingleObject(info_.hProcess, 10000);
            CloseHandle(info_.hProcess);
            CloseHandle(info_.hThread);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool Start(const std::string& exe, std::string commandLine) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        // The client prints its call log at the end: not into the test's output.
        HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                 nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
        startup.hStdInput = nullptr;
        const BOOL created = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                            nullptr, &startup, &info_);
        if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
        return created != FALSE;
    }
    HANDLE handle() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_{};
};

}  // namespace

// One campaign per kind of work, each its own test case: 200 kills of the
// long command in one case would outlast a case's time limit.
struct KillCase {
    Work work;
    long suiteKills;
    long maxKills;
};

class KillCampaignFuzz : public PluginHostTest, public ::testing::WithParamInterface<KillCase> {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        client = testing_support::MakeDirs(temp.path(), "client");
        for (const char* file : {"tarnwick_host.exe", "Tarnwick.dll"}) {
            ASSERT_TRUE(CopyFileA((standin::ExecutableFolder() + file).c_str(), (client + file).c_str(), FALSE))
                << file;
        }
        clientIni = client + "Tarnwick.ini";
    }

    HWND Dialog() const { return testing_support::FindThreadWindow(kCaption); }

    // The plug-in started again on the data folder (its own INI: no cache
    // written, nothing deleted) and the rows its dialog lists.
    Rows RowsOfARestart(const std::string& data) {
        standin::Host().dataFolder = data;
        standin::Host().ClearCalls();
        WriteIni("[Config]\r\nUseUpateThread=0\r\n");
        Rows rows;
        if (!LoadPlugin()) return rows;
        plugin.OnStart();
        HMENU menu = testing_support::MakeHostMenu();
        plugin.OnMenuInit(nullptr, menu, 0);
        plugin.OnKeyDispatch(nullptr, 'F', 96);
        if (testing_support::PumpUntil([&] { return Dialog() && IsWindowVisible(Dialog()); }, 20000)) {
            rows = testing_support::ListViewRows(GetDlgItem(Dialog(), 1002));
        }
        ExitAndUnload();
        DestroyMenu(menu);
        return rows;
    }

    // Runs the client on data; kills it killAt ms after its work began
    // (never, when negative). Returns the ms from the work's start to the
    // process's end, or -1 if it never began.
    long RunClient(Work work, const std::string& data, long killAt, const std::string& events, bool& killed,
                   FuzzRandom* adding, std::vector<Added>* added, const std::vector<std::string>* directories) {
        killed = false;
        Event start(events + "-start");
        Event exit(events + "-exit");
        const int quitAfter = work == Work::BuildWhileAdding ? kBuildingMilliseconds : 0;
        Process process;
        const std::string exe = client + "tarnwick_host.exe";
        // Without its trailing '\', which would quote the closing quote.
        if (!process.Start(exe, "\"" + exe + "\" --data \"" + data.substr(0, data.size() - 1) + "\" --quit-after " + std::to_string(quitAfter) +
                                    " --signal " + events))
            return -1;
        HANDLE waits[2] = {work == Work::Exit ? exit.get() : start.get(), process.handle()};
        if (WaitForMultipleObjects(2, waits, FALSE, 60000) != WAIT_OBJECT_0) return -1;
        const DWORD began = GetTickCount();
        const auto elapsed = [&] { return static_cast<long>(GetTickCount() - began); };
        int next = 0;
        while (killAt < 0 || elapsed() < killAt) {
            const DWORD wait = killAt < 0 ? 60000 : static_cast<DWORD>(killAt - elapsed());
            const DWORD step = adding ? std::min<DWORD>(wait, 10) : wait;
            if (WaitForSingleObject(process.handle(), step) != WAIT_TIMEOUT) return elapsed();
            if (adding && killAt >= 0) {
                // A new leaf folder below a folder of the generated tree.
                const std::string& parent = (*directories)[1 + adding->Below(directories->size() - 1)];
                const std::string name = "Added" + std::to_string(next++);
                if (CreateDirectoryA((data + parent + name).c_str(), nullptr)) added->push_back({parent, name});
            }
            if (killAt < 0 && elapsed() > 60000) return -1;
        }
        killed = TerminateProcess(process.handle(), 9) != FALSE;
        WaitForSingleObject(process.handle(), 30000);
        return elapsed();
    }

    std::string client;
    std::string clientIni;
};

TEST_P(KillCampaignFuzz, AKillAtAnyMomentLeavesWholeListFilesAndEveryIniKey) {
    const Work work = GetParam().work;
    const char* const workName = kWorkNames[static_cast<int>(work)];
    const bool adds = work == Work::BuildWhileAdding;
    const auto plan = PlanCampaign(GetParam().suiteKills, GetParam().maxKills);
    FuzzRandom random(plan.seed + 23 + static_cast<int>(work));
    const std::string events = "TarnwickKill-" + std::to_string(GetCurrentProcessId());
    int killedRuns = 0, listWindowHits = 0, iniWindowHits = 0, failedCases = 0;
    int deciles[11] = {};
    const std::vector<IniKey> keys = UserKeys(work);

    // One tree for every case, brought back to its generated state before
    // each: generating and removing hundreds of folders costs more under Wine
    // than a run of the client.
    const std::string data = testing_support::MakeDirs(temp.path(), "data");
    standin::SampleMailboxOptions options;
    options.folderCount = kFolders;
    options.mailboxCount = 1;
    options.writeMails = false;
    options.seed = static_cast<unsigned>(plan.seed);
    standin::GenerateSampleMailbox(data, options);
    std::vector<std::string> directories;
    CollectDirectories(data, "MB1\\", directories);
    std::vector<Added> added;
    const auto resetTree = [&] {
        for (const std::string& dir : directories) {
            DeleteFileA((data + dir + "Folder.lst").c_str());
            DeleteFileA((data + dir + "Folder.lst.tmp").c_str());
        }
        for (const Added& a : added) {
            const std::string folder = data + a.parent + a.name + "\\";
            DeleteFileA((folder + "Folder.lst").c_str());
            DeleteFileA((folder + "Folder.lst.tmp").c_str());
            RemoveDirectoryA(folder.c_str());
        }
        added.clear();
    };
    // What a walk without any list file lists on the generated tree.
    const Rows generatedRows = RowsOfARestart(data);
    ASSERT_FALSE(generatedRows.empty());

    // The span of this work, uncut; the first start of the client in a
    // process is slower than the others, so the second run counts.
    long span = 0;
    bool killed = false;
    for (int run = 0; run < 2; ++run) {
        if (work == Work::Exit) WriteWholeListFiles(data, directories);
        testing_support::WriteFileBytes(clientIni, UserIniText(keys));
        span = RunClient(work, data, -1, events + "-ref", killed, nullptr, nullptr, nullptr);
        ASSERT_GT(span, 0) << "the client did not run the " << workName;
        resetTree();
    }
    // TARNWICK_KILL_WITHIN_MS aims the kills at the start of the work (the
    // exit's INI writes take its first milliseconds).
    const char* aim = std::getenv("TARNWICK_KILL_WITHIN_MS");
    const long within = aim ? std::min(span, std::max(1L, std::atol(aim))) : span;
    std::printf("span of the %s: %ld ms; kills within %ld ms\n", workName, span, within);

    for (long i = 0; i < plan.cases; ++i) {
        const std::string where = DescribeCase(plan, i);
        if (work == Work::Exit) WriteWholeListFiles(data, directories);
        testing_support::WriteFileBytes(clientIni, UserIniText(keys));
        DeleteFileA((clientIni + ".tmp").c_str());
        const long killAt = static_cast<long>(random.Below(static_cast<std::uint32_t>(within) + 1));
        FuzzRandom adding(random.Next());
        const long ran = RunClient(work, data, killAt, events + "-" + std::to_string(i), killed,
                                   adds ? &adding : nullptr, &added, &directories);
        ASSERT_GE(ran, 0) << where << ": the client did not start";
        killedRuns += killed;
        ++deciles[std::min<long>(10, killAt * 10 / within)];

        // Post hoc: did the kill fall inside a list-file or an INI write?
        std::set<std::string> hidden;  // added folders a whole list file left out
        std::string listDamage;
        bool leftOver = false;
        for (const std::string& dir : directories) {
            leftOver |= testing_support::FileExists(data + dir + "Folder.lst.tmp");
            if (!testing_support::FileExists(data + dir + "Folder.lst")) continue;
            const std::string text = testing_support::ReadFileBytes(data + dir + "Folder.lst");
            std::set<std::string> lines;
            bool whole = text.empty() || (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t end = text.find("\r\n", at);
                if (end == std::string::npos) break;
                whole &= lines.insert(text.substr(at, end - at)).second;
                at = end + 2;
            }
            const std::vector<std::string> now = Subdirectories(data + dir);
            const std::set<std::string> present(now.begin(), now.end());
            for (const std::string& line : lines) whole &= present.count(line) == 1;
            for (const std::string& name : now) {
                const bool wasAdded = std::any_of(added.begin(), added.end(),
                                                  [&](const Added& a) { return a.parent == dir && a.name == name; });
                if (lines.count(name)) continue;
                if (wasAdded) {
                    hidden.insert(name);
                } else {
                    whole = false;
                }
            }
            if (!whole && listDamage.empty()) listDamage = dir + "Folder.lst holds \"" + text.substr(0, 80) + "\"";
        }
        const std::string iniDamage = IniDamage(clientIni, keys);
        const bool iniLeftOver = testing_support::FileExists(clientIni + ".tmp");
        listWindowHits += leftOver || !listDamage.empty();
        iniWindowHits += iniLeftOver || !iniDamage.empty();

        const Rows restarted = RowsOfARestart(data);
        Rows expected = generatedRows;
        if (adds) {
            // The tree as it now is, without any list file.
            for (const std::string& dir : directories) DeleteFileA((data + dir + "Folder.lst").c_str());
            for (const Added& a : added) DeleteFileA((data + a.parent + a.name + "\\Folder.lst").c_str());
            expected = RowsOfARestart(data);
        }
        expected.erase(std::remove_if(expected.begin(), expected.end(),
                                      [&](const auto& row) { return hidden.count(row.first) == 1; }),
                       expected.end());
        std::printf("%s: %s, kill at %ld of %ld ms%s%s%s, %zu rows%s\n", where.c_str(), workName, killAt, within, killed ? "" : " (ended before)",
                    leftOver || !listDamage.empty() ? ", inside a list-file write" : "",
                    iniLeftOver || !iniDamage.empty() ? ", inside the INI writes" : "", restarted.size(),
                    adds ? (", " + std::to_string(added.size()) + " folders added").c_str() : "");
        const bool failed = !listDamage.empty() || !iniDamage.empty() || restarted != expected || expected.empty() ||
                            testing_support::FaultsSeen() != 0;
        if (failed) {
            ++failedCases;
            ADD_FAILURE() << where << " (" << workName << ", kill at " << killAt << " ms): "
                          << (listDamage.empty() ? "" : listDamage + "; ") << (iniDamage.empty() ? "" : "INI " + iniDamage + "; ")
                          << "restart lists " << restarted.size() << " rows, a walk without list files "
                          << expected.size();
        }
        resetTree();
    }
    std::printf("%s: %ld kills, %d before the work ended, %d inside a list-file write, %d inside the INI writes, "
                "%d failed; kill moments by tenth of the span:",
                workName, plan.cases, killedRuns, listWindowHits, iniWindowHits, failedCases);
    for (int d = 0; d <= 10; ++d) std::printf(" %d", deciles[d]);
    std::printf("\n");
}

std::string KillCaseName(const ::testing::TestParamInfo<KillCase>& info) {
    const char* const names[] = {"FirstBuild", "Exit", "BuildWhileAdding"};
    return names[static_cast<int>(info.param.work)];
}

// 10 kills in the suite, 200 in the long command.
INSTANTIATE_TEST_SUITE_P(Works, KillCampaignFuzz,
                         ::testing::Values(KillCase{Work::FirstBuild, 4, 67}, KillCase{Work::Exit, 3, 67},
                                           KillCase{Work::BuildWhileAdding, 3, 66}),
                         KillCaseName);
