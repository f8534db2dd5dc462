#pragma once
// What the tests of whole programs ask the kernel about processes: a program's children, their
// command lines, and whether one has ended. Polling helpers wait on a condition with a deadline.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace endcap::testing {

// State letter and parent of a process from /proc/PID/stat; false when there is no such process.
inline bool ProcessState(pid_t pid, char& state, pid_t& parent) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The name in parentheses may hold blanks and parentheses: the fields follow the last ')'.
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(text.substr(close + 1));
  long ppid = 0;
  fields >> state >> ppid;
  parent = static_cast<pid_t>(ppid);
  return static_cast<bool>(fields);
}

// Ended: no longer in the table, or a zombie that nobody has reaped yet.
inline bool Ended(pid_t pid) {
  char state = 0;
  pid_t parent = 0;
  return !ProcessState(pid, state, parent) || state == 'Z' || state == 'X';
}

inline std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    char state = 0;
    pid_t ppid = 0;
    const pid_t pid = static_cast<pid_t>(std::stol(name));
    if (ProcessState(pid, state, ppid) && ppid == parent) children.push_back(pid);
  }
  return children;
}

inline std::vector<std::string> CommandLine(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
  std::vector<std::string> args;
  for (std::string arg; std::getline(file, arg, '\0');) args.push_back(arg);
  return args;
}

// Whether condition came true within timeoutMs, looking every 20 ms.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace endcap::testing
