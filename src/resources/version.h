#pragma once
// The plug-in's version, for the version resource and for what the plug-in
// tells the host about itself.

#define TARNWICK_VERSION_MAJOR 1
#define TARNWICK_VERSION_MINOR 20
#define TARNWICK_VERSION_TEXT "1.20"
