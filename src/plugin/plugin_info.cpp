#include "plugin/plugin_info.h"

#include <cstring>

namespace tarnwick {

void FillPluginInfo(char* record) noexcept {
    if (!record) return;
    std::memcpy(record + 0, kPluginName, sizeof(kPluginName));
    std::memcpy(record + 80, kPluginVendor, sizeof(kPluginVendor));
    std::memcpy(record + 160, kPluginVersion, sizeof(kPluginVersion));
    std::memcpy(record + 240, kPluginDescription, sizeof(kPluginDescription));
}

}  // namespace tarnwick
