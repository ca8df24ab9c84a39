#include "command_line.h"

#include "plugin_loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin::app {
namespace {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

}  // namespace

HostOptions ParseCommandLine(int argc, char** argv) {
    HostOptions options;
    options.dataFolder = ExecutableFolder() + "sample-data\\";
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--generate") == 0 && hasValue) {
            options.mode = HostMode::Generate;
            options.generateFolder = WithSeparator(argv[++i]);
        } else if (std::strcmp(arg, "--scripted") == 0 && hasValue) {
            options.mode = HostMode::Scripted;
            options.shotFolder = WithSeparator(argv[++i]);
        } else if (std::strcmp(arg, "--data") == 0 && hasValue) {
            options.dataFolder = WithSeparator(argv[++i]);
        } else if (std::strcmp(arg, "--mailbox") == 0 && hasValue) {
            options.mailbox = WithSeparator(argv[++i]);
        } else if (std::strcmp(arg, "--folders") == 0 && hasValue) {
            options.folderCount = std::atoi(argv[++i]);
        } else if (std::strcmp(arg, "--seed") == 0 && hasValue) {
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(arg, "--quit-after") == 0 && hasValue) {
            options.quitAfter = std::atoi(argv[++i]);
        } else if (std::strcmp(arg, "--signal") == 0 && hasValue) {
            options.signalName = argv[++i];
        } else if (std::strcmp(arg, "--no-mails") == 0) {
            options.writeMails = false;
        } else {
            options.mode = HostMode::Usage;
        }
    }
    return options;
}

void PrintUsage() {
    std::printf(
        "tarnwick_host [--data DIR] [--mailbox MB1\\]     the mail client window with Tarnwick.dll\n"
        "              [--quit-after MS] [--signal NAME]\n"
        "                                               closes itself MS ms after the plug-in's start; sets\n"
        "                                               the events NAME-start (before BKC_OnStart) and\n"
        "                                               NAME-exit (before that close)\n"
        "tarnwick_host --scripted SHOTDIR [--data DIR]  a short demo session with screenshots\n"
        "tarnwick_host --generate DIR [--folders N] [--seed S] [--no-mails]\n"
        "                                               writes a sample data folder\n");
}

}  // namespace standin::app
