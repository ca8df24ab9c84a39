#include "generate_command.h"

#include "sample_mailbox.h"

#include <windows.h>

#include <cstdio>

namespace standin::app {

int RunGenerateCommand(const HostOptions& options) {
    SampleMailboxOptions sample;
    sample.folderCount = options.folderCount;
    sample.seed = options.seed;
    sample.writeMails = options.writeMails;
    const DWORD start = GetTickCount();
    const int folders = GenerateSampleMailbox(options.generateFolder, sample);
    if (folders <= 0) {
        std::printf("could not write a sample mailbox into %s\n", options.generateFolder.c_str());
        return 1;
    }
    std::printf("sample data folder %s: %d mailboxes of %d folders (%lu ms)\n", options.generateFolder.c_str(),
                sample.mailboxCount, folders, GetTickCount() - start);
    return 0;
}

}  // namespace standin::app
