#pragma once
// The busy cursor shown while an exchange blocks the window. The core only calls the hook;
// the console installs one that sets the wait cursor. Calls nest.

namespace endcap {

class BusyIndicator {
public:
  virtual ~BusyIndicator() = default;
  virtual void Begin() = 0;
  virtual void End() = 0;
};

class BusyScope {
public:
  explicit BusyScope(BusyIndicator* busy) : busy_(busy) {
    if (busy_) busy_->Begin();
  }
  ~BusyScope() {
    if (busy_) busy_->End();
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

private:
  BusyIndicator* busy_;
};

}  // namespace endcap
