#pragma once
#include <string>

namespace standin::app {

// Writes the whole screen (the Wine virtual desktop) as a 24-bit BMP file.
bool SaveScreenshot(const std::string& path);

}  // namespace standin::app
