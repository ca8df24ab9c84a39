#pragma once
// Writes a deterministic sample data folder for the stand-in host: mailboxes
// with the special folders, "#*.ini" folders (the inbox among them) and
// nested Latin and Japanese folder names.

#include <string>

namespace standin {

struct SampleMailboxOptions {
    int folderCount = 300;     // folders per mailbox, roughly
    int mailboxCount = 2;      // "MB1\", "MB2\", ...
    unsigned seed = 1;         // same seed, same tree
    bool writeMails = true;    // a few sample mail files per folder, for the demo
};

// Creates the tree below dataFolder (which ends with '\'); returns the number
// of folder directories created in the first mailbox.
int GenerateSampleMailbox(const std::string& dataFolder, const SampleMailboxOptions& options);

}  // namespace standin
