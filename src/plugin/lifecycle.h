#pragma once
// Start-up and shut-down, in their fixed order.

namespace tarnwick {

void StartPlugin();
void ExitPlugin() noexcept;

}  // namespace tarnwick
