#pragma once
// Commands handed from the window's thread to the thread that serves them, one at a time. A
// command offered while another is in hand is dropped, not kept for later: the window shows
// that it is busy meanwhile, and a click that reaches it all the same must not run after the
// command it interrupted, on a unit in another state.

#include <condition_variable>
#include <functional>
#include <mutex>

namespace endcap {

class CommandQueue {
public:
  // Any thread: takes command unless one is in hand or the queue is closed.
  bool Offer(std::function<void()> command);
  // Any thread: no more commands; Serve returns once the one in hand has run.
  void Close();
  // The serving thread: runs each command offered, and after each, once the next may be
  // offered, afterEach; returns when the queue is closed.
  void Serve(const std::function<void()>& afterEach);

private:
  std::mutex mutex_;
  std::condition_variable offered_;
  std::function<void()> inHand_;
  bool closed_ = false;
};

}  // namespace endcap
