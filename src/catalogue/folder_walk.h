#pragma once
// The two producers of folder records: the walk of the mailbox's directory
// tree (with its "Folder.lst" files) and the "#*.ini" folders beside it.

#include "catalogue/folder_record.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

// Folders one walk visits at most. Far beyond any real mailbox; it bounds
// the time and memory of a walk over list files that name the same
// directories over and over.
constexpr std::size_t kMaxWalkEntries = 100000;

// What a build works with besides its list; the shared settings are only
// copied into this where the plug-in calls in.
struct CatalogueSettings {
    bool useCache = false;
    // "AllMailboxes": every mailbox of the data folder, not only the current one.
    bool allMailboxes = false;
    // Set by whoever wants the build abandoned (exit); null: never.
    const std::atomic<bool>* stopRequested = nullptr;
    std::size_t maxWalkEntries = kMaxWalkEntries;

    bool StopRequested() const noexcept { return stopRequested && stopRequested->load(std::memory_order_relaxed); }
};

// The host's data folder as the walk appends to it: absolute and ending in
// a separator. Empty when the host gives none or a relative one, which
// would make every path relative to whatever the current directory is.
std::string WalkableDataFolder(const std::string& hostDataFolder);
// A mailbox ID that names are appended to: one that does not end in a
// separator gets one (an empty ID stays empty).
std::string WithTrailingSeparator(const std::string& path);

// A list file is written under this name beside its final one and renamed
// once whole; one left behind by a kill is no list and no folder.
constexpr char kTemporaryListFileName[] = "Folder.lst.tmp";

// Paths handed to the ANSI file functions, terminator included.
constexpr std::size_t kMaxAnsiPath = 260;
bool FitsAnsiPath(std::size_t length) noexcept;

// A list-file line that stays below its directory: no component of it
// (between '\\' or '/') is empty or made of dots and blanks only, which
// the file system would take for the directory itself or its parent.
bool StaysBelowDirectory(std::string_view line) noexcept;

// Where a re-walk stands in the existing list.
struct WalkCursor {
    std::size_t position = 0;  // next record expected to match
    // First record appended by this walk, once one was; npos before.
    std::size_t firstAppended = static_cast<std::size_t>(-1);
};

// Walks the directory dataFolder + relativePath and everything below,
// matching records at cursor while `matching`, appending once not. Returns
// the updated `matching`.
bool WalkFolderDirectory(FolderList& list, const std::string& dataFolder, const std::string& relativePath,
                         WalkCursor& cursor, bool matching, const CatalogueSettings& settings);

// Fills iniRecords (sorted) and inboxRecord from the "#*.ini" files of the
// mailbox. mailboxDisplayLength is the byte length of the mailbox's own
// display name. True when one file displays as a folder.
bool CollectIniFolders(FolderList& iniRecords, FolderRecord& inboxRecord, const std::string& dataFolder,
                       const std::string& mailboxId, std::size_t mailboxDisplayLength);

// The subdirectory names of a list file's content read in text mode:
// CR LF and LF end a line, Ctrl+Z ends the text, a last line without an end
// still counts. Calls onLine(name) for each, in order; stops when it
// returns false.
template <typename OnLine>
void ForEachListLine(std::string_view content, OnLine onLine);

// List-file bytes that one walk or one deletion reads at most, over all its
// files: a line for each folder it can visit, each as long as a path can
// be (26,000,000 bytes). A huge or corrupt file costs no more than that;
// what lies beyond is taken as not there.
constexpr std::size_t kMaxListFileBytes = kMaxWalkEntries * kMaxAnsiPath;

// Reads a list file into buffer (reusing its storage), at most maxBytes of
// it; a file cut there ends after its last whole line. False when it does
// not open.
bool ReadListFile(const std::string& path, std::string& buffer, std::size_t maxBytes);

// --- implementation of the template ---

template <typename OnLine>
void ForEachListLine(std::string_view content, OnLine onLine) {
    const std::size_t end = content.find('\x1A');
    if (end != std::string_view::npos) content = content.substr(0, end);
    while (!content.empty()) {
        const std::size_t lineEnd = content.find('\n');
        std::string_view line = content.substr(0, lineEnd);
        if (lineEnd != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A name ends where a C string would.
        const std::size_t nul = line.find('\0');
        if (nul != std::string_view::npos) line = line.substr(0, nul);
        if (!onLine(line)) return;
        if (lineEnd == std::string_view::npos) return;
        content.remove_prefix(lineEnd + 1);
    }
}

}  // namespace tarnwick
