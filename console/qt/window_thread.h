#pragma once
// Calls from the command worker to the window's thread, which owns every widget. The worker
// waits for each call's end, so that the procedures keep their straight-line code: a box asked
// for returns the operator's answer, a pane written is written when the call returns.

#include <QCoreApplication>
#include <QThread>
#include <optional>
#include <type_traits>
#include <utility>

namespace endcap {

inline bool OnTheWindowsThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

// Runs fn on the window's thread and returns what it returned; on that thread itself, calls it
// at once. The window's thread takes the call from its event loop, so it must not be waiting
// for the caller meanwhile.
template <class Fn>
std::invoke_result_t<Fn&> OnWindowThread(Fn&& fn) {
  using Result = std::invoke_result_t<Fn&>;
  if (OnTheWindowsThread()) return fn();
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&fn] { fn(); }, Qt::BlockingQueuedConnection);
  } else {
    std::optional<Result> result;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&fn, &result] { result.emplace(fn()); },
                              Qt::BlockingQueuedConnection);
    return std::move(*result);
  }
}

}  // namespace endcap
