#pragma once
// What the window tests share: one QApplication for the whole run on the offscreen platform
// (unless the environment names another), a way to act on a modal dialog from inside its own
// event loop, and a way to wait for a command that runs on the window's command worker.

#include <QApplication>
#include <QTimer>
#include <functional>

#include "console/qt/template_dialog.h"

namespace endcap::testing {

// Runs act on the active modal widget as soon as one is up, from the event loop that the
// caller's modal run is about to enter.
inline void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    if (QWidget* modal = QApplication::activeModalWidget()) act(modal);
    else WhenModal(act);
  });
}

// Returns once the handler that a click handed to the command worker has run and the window
// is free again, taking the window's events meanwhile (what WhenModal has set up runs there).
inline void WaitWhileBusy(const TemplateDialog& window) {
  while (window.busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace endcap::testing
