#pragma once
// What the window tests share: one QApplication for the whole run on the offscreen platform
// (unless the environment names another), and a way to act on a modal dialog from inside its
// own event loop.

#include <QApplication>
#include <QTimer>
#include <functional>

namespace endcap::testing {

// Runs act on the active modal widget as soon as one is up, from the event loop that the
// caller's modal run is about to enter.
inline void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    if (QWidget* modal = QApplication::activeModalWidget()) act(modal);
    else WhenModal(act);
  });
}

}  // namespace endcap::testing
