#pragma once
// What the stand-in mail client was asked to do on its command line.

#include <string>

namespace standin::app {

enum class HostMode { Window, Scripted, Generate, Usage };

struct HostOptions {
    HostMode mode = HostMode::Window;
    std::string dataFolder;    // ends with '\'; default: sample-data beside the executable
    std::string mailbox = "MB1\\";
    std::string shotFolder;    // --scripted: where screenshots and the call log go
    std::string generateFolder;
    int folderCount = 300;
    unsigned seed = 1;
    bool writeMails = true;
    // --quit-after: closes the window this many ms after the plug-in started
    // (-1: stays until the user closes it).
    int quitAfter = -1;
    // --signal: names of events set just before BKC_OnStart (NAME-start) and
    // just before the window is closed by --quit-after (NAME-exit), so that a
    // test knows when that work begins.
    std::string signalName;
};

HostOptions ParseCommandLine(int argc, char** argv);
void PrintUsage();

}  // namespace standin::app
