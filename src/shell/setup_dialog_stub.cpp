// Placeholder until the setup dialog lands.
#include "shell/plugin_info.h"

namespace tarnwick {

void ShowSetupDialog(HWND) {}

}  // namespace tarnwick
