#pragma once
// Whether a window can be opened at all, asked before the toolkit is started: without a display
// the toolkit would only end the program with a generic plugin error.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace endcap {

namespace display_detail {

inline std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Whether an X server answers on the local socket of display number, in the abstract namespace
// or in /tmp/.X11-unix.
inline bool LocalXServerAnswers(const std::string& number) {
  const std::string path = "/tmp/.X11-unix/X" + number;
  for (const bool abstract : {true, false}) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    if (answered) return true;
  }
  return false;
}

}  // namespace display_detail

// Empty when a window can be opened as far as can be told without the toolkit, else why not.
// A platform named in QT_QPA_PLATFORM (such as offscreen) and a Wayland display are taken on
// trust, and so is an X display on another host; a local X display must answer.
inline std::string MissingDisplay() {
  using display_detail::Environment;
  if (!Environment("QT_QPA_PLATFORM").empty() || !Environment("WAYLAND_DISPLAY").empty()) return {};
  const std::string display = Environment("DISPLAY");
  if (display.empty()) return "no display found (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are not set)";
  // ":N", ":N.S" or "unix:N..." is a local server; "host:N" is reached over the network.
  const size_t colon = display.rfind(':');
  const std::string host = colon == std::string::npos ? display : display.substr(0, colon);
  if (colon == std::string::npos || (!host.empty() && host != "unix")) return {};
  const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return {};
  if (display_detail::LocalXServerAnswers(number)) return {};
  return "no display found (no X server answers on DISPLAY=" + display + ")";
}

// What to tell the user who started a window program without a display.
inline std::string NoDisplayMessage(const std::string& program, const std::string& reason) {
  return program + ": " + reason +
         ".\n"
         "Run it on a desktop, or under a virtual X server: xvfb-run " +
         program +
         " ...\n"
         "or with no screen at all: QT_QPA_PLATFORM=offscreen " +
         program + " ...\n";
}

}  // namespace endcap
