#include "console/qt/command_queue.h"

#include <utility>

namespace endcap {

bool CommandQueue::Offer(std::function<void()> command) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (inHand_ || closed_) return false;
    inHand_ = std::move(command);
  }
  offered_.notify_one();
  return true;
}

void CommandQueue::Close() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  offered_.notify_one();
}

void CommandQueue::Serve(const std::function<void()>& afterEach) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    offered_.wait(lock, [this] { return inHand_ || closed_; });
    if (!inHand_) return;
    const std::function<void()> command = inHand_;
    lock.unlock();
    command();
    lock.lock();
    inHand_ = nullptr;
    lock.unlock();
    afterEach();
    lock.lock();
  }
}

}  // namespace endcap
