// The stand-in mail client: a small window program that loads Tarnwick.dll
// beside it and drives it as the mail client does.
#include "app/command_line.h"
#include "app/generate_command.h"
#include "app/host_app.h"

int main(int argc, char** argv) {
    const standin::app::HostOptions options = standin::app::ParseCommandLine(argc, argv);
    switch (options.mode) {
        case standin::app::HostMode::Generate: return standin::app::RunGenerateCommand(options);
        case standin::app::HostMode::Usage: standin::app::PrintUsage(); return 2;
        default: return standin::app::RunHostWindow(options);
    }
}
