#pragma once
// Whether a window can be opened at all, asked before the toolkit is started: without a display
// the toolkit would only end the program with a generic plugin error.

#include <cstdlib>
#include <string>

namespace endcap {

// True when the environment names a display server or a toolkit platform (such as offscreen).
inline bool DisplayConfigured() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// What to tell the user who started a window program without a display.
inline std::string NoDisplayMessage(const std::string& program) {
  return program +
         ": no display found (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are not set).\n"
         "Run it on a desktop, or under a virtual X server: xvfb-run " +
         program +
         " ...\n"
         "or with no screen at all: QT_QPA_PLATFORM=offscreen " +
         program + " ...\n";
}

}  // namespace endcap
