#pragma once
// The stand-in mail client's state as its BKA_* functions see it: a data
// folder on disk, the current mailbox, its windows, and a log of the calls
// the plug-in made.

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

using CommandCallback = void(WINAPI*)(HWND window, LPARAM lParam);

struct HostCall {
    std::string function;  // e.g. "BKA_SetCurrentFolder"
    std::string text;      // the text argument, if any
    long number = 0;       // the numeric argument, if any
};

struct RegisteredCommand {
    std::string description;
    int target = 0;
    CommandCallback callback = nullptr;
    UINT id = 0;
};

// How the host misbehaves, for tests of the plug-in's robustness.
// How the host spoils its text answers: null, empty, 5,000 bytes longer, cut
// to one byte, without a trailing separator, or without '/'.
enum class TextFault { None, Null, Empty, Long, OneByte, NoTrailingSeparator, NoSlash };

class HostModel {
public:
    // What the host answers.
    std::string version = "2.00.06";
    std::string dataFolder;      // ends with '\'
    std::string currentMailBox;  // relative to dataFolder, ends with '\'
    HWND windows[4] = {};        // main, tree, mail list, preview

    // Display names of mailbox IDs ("MB1\" -> "Mailbox/"); a mailbox missing
    // here displays as its directory name followed by "/".
    std::map<std::string, std::string> mailboxDisplayNames;
    // When set, answers BKA_GetFolderDisplayName instead of the built-in rule.
    std::function<std::string(const std::string& id)> displayNameOverride;

    TextFault textFault = TextFault::None;
    DWORD delayMilliseconds = 0;  // every text call sleeps this long
    std::atomic<long> textCallsStarted{0};  // text calls entered, before any delay
    bool nullWindowHandles = false;

    // The built-in rule: mailbox display name, then each component with the
    // special directories given their Japanese names; "#x.ini" files display
    // as their [Folder] "Name" (default: x); an empty name is not a folder.
    std::string DisplayNameOf(const std::string& id) const;

    // The current mailbox under the model's lock: the window switches it
    // while the plug-in's update thread asks for it.
    std::string CurrentMailBox() const;
    void SetCurrentMailBox(const std::string& mailboxId);

    // Log of the calls; safe from any thread.
    void Record(const char* function, const std::string& text = std::string(), long number = 0);
    std::vector<HostCall> Calls() const;
    std::vector<HostCall> CallsTo(const std::string& function) const;
    void ClearCalls();
    long DisplayNameCallCount() const;
    void CountDisplayNameCall();

    std::vector<RegisteredCommand> commands;

    // Hooks for a real window program (the demo) to act on the plug-in's calls.
    std::function<void(const std::string& folderId)> onSetCurrentFolder;
    std::function<void(const std::string& mailboxId)> onSetCurrentMailBox;
    std::function<void(const std::string& folderId, bool copy)> onMoveSelectedMessages;

private:
    mutable std::mutex mutex_;
    std::vector<HostCall> calls_;
    long displayNameCalls_ = 0;
};

HostModel& Host();

// Resets the model to a fresh host (tests call this between cases).
void ResetHost();

}  // namespace standin
