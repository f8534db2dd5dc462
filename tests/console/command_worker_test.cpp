// The window's commands on their worker thread: the queue that hands them over, the operator's
// boxes asked from the worker, and the main window while a command waits for the unit.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWindow>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "console/qt/command_queue.h"
#include "console/qt/main_window.h"
#include "console/qt/qt_operator.h"
#include "resources/control_ids.h"
#include "tests/console/qt_test_support.h"
#include "tests/console/simulated_station.h"

namespace endcap {
namespace {

using testing::SimulatedStation;
using testing::WaitWhileBusy;
using testing::WhenModal;

TEST(CommandQueue, RunsOneCommandAtATimeAndDropsWhatIsOfferedMeanwhile) {
  CommandQueue queue;
  std::vector<std::string> ran;
  std::promise<void> firstStarted, releaseFirst;
  std::promise<void> firstDone;
  std::thread worker([&] {
    bool first = true;
    queue.Serve([&] {
      if (first) firstDone.set_value();
      first = false;
    });
  });
  ASSERT_TRUE(queue.Offer([&] {
    ran.push_back("first");
    firstStarted.set_value();
    releaseFirst.get_future().wait();
  }));
  firstStarted.get_future().wait();
  EXPECT_FALSE(queue.Offer([&] { ran.push_back("meanwhile"); }));
  releaseFirst.set_value();
  firstDone.get_future().wait();
  EXPECT_TRUE(queue.Offer([&] { ran.push_back("after"); }));
  queue.Close();
  worker.join();
  EXPECT_FALSE(queue.Offer([&] { ran.push_back("closed"); }));
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "after"}));
}

TEST(QtOperatorFromTheWorker, ShowsTheBoxOnTheWindowsThreadAndReturnsTheAnswerToTheWorker) {
  MemoryPortProvider ports;
  QtOperator op(ports);
  QThread* shownOn = nullptr;
  WhenModal([&](QWidget* modal) {
    shownOn = QThread::currentThread();
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text().toStdString(), "Replace?");
    box->button(QMessageBox::Yes)->click();
  });
  std::atomic<bool> answered{false};
  BoxAnswer answer = BoxAnswer::Ok;
  std::thread worker([&] {
    answer = op.ShowMessage(UnownedBox("Replace?", "", BoxButtons::YesNo));
    answered = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
  });
  while (!answered) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  EXPECT_EQ(shownOn, QCoreApplication::instance()->thread());
  EXPECT_EQ(answer, BoxAnswer::Yes);
}

// What the window showed when it took an event posted halfway through the command's wait, and
// whether it refused a close request then.
struct WindowDuringTheWait {
  bool tookTheEvent = false;
  bool busy = false;
  bool readEnabled = true;
  Qt::CursorShape cursor = Qt::ArrowCursor;
  bool drawn = false;
  bool closeRefused = false;
};

// Passes the station's requests on to the unit; the first one sent when the wait is halfway
// through is held until the window's thread has taken an event posted to it.
class HalfwayProbe : public LinePeer {
public:
  HalfwayProbe(MemoryLine& line, LinePeer& unit, VirtualClock& clock, MainWindow& window)
      : unit_(unit), clock_(clock), window_(window), halfwayMs_(clock.ElapsedMs() + 5000) {
    line.SetPeer(this);
  }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (!probed_ && clock_.ElapsedMs() >= halfwayMs_) {
      probed_ = true;
      onWindowThread = OnTheWindowsThread();
      // A command on the window's thread could never take the event: waiting for it would hang.
      if (!onWindowThread) Probe();
    }
    unit_.OnHostBytes(data, size);
  }

  bool onWindowThread = false;
  WindowDuringTheWait seen;
  // Whether the handler handed to the window meanwhile, as a click that reached it would be, ran.
  bool droppedHandlerRan = false;

private:
  void Probe() {
    std::promise<void> taken;
    QMetaObject::invokeMethod(
        &window_,
        [this, &taken] {
          auto* read = window_.findChild<QPushButton*>(QString::number(ctl::kRead));
          seen = {true, window_.busy(), read->isEnabled(), window_.cursor().shape(), !window_.grab().isNull(),
                  !window_.windowHandle()->close() && window_.isVisible()};
          window_.findChild<QPushButton*>(QString::number(ctl::kEnable))->click();
          window_.Handle([this] { droppedHandlerRan = true; });
          taken.set_value();
        },
        Qt::QueuedConnection);
    taken.get_future().wait();
  }

  LinePeer& unit_;
  VirtualClock& clock_;
  MainWindow& window_;
  const uint64_t halfwayMs_;
  bool probed_ = false;
};

class CommandWorkerTest : public ::testing::Test, protected SimulatedStation {
protected:
  void Click(int id) {
    window_.findChild<QPushButton*>(QString::number(id))->click();
    WaitWhileBusy(window_);
  }
  MainWindow window_{app_};
};

TEST_F(CommandWorkerTest, TheWindowTakesEventsAndShowsItIsBusyWhileAReadWaitsForAGaugeThatNeverGetsReady) {
  window_.show();
  op_.ExpectChoosePort(1);
  Click(ctl::kConnect);
  window_.findChild<QComboBox*>(QString::number(ctl::kSensorList))->setCurrentIndex(1);
  unit_.InjectFault(sim::Fault::NeverReady, sim::FaultMode::Always);
  HalfwayProbe probe(line_, peer_, clock_, window_);
  Click(ctl::kRead);
  // No box: the Enable clicked during the Read did not run after it ("Sensor is already enabled!!").
  op_.VerifyDone();
  EXPECT_FALSE(probe.onWindowThread);
  EXPECT_TRUE(probe.seen.tookTheEvent);
  EXPECT_TRUE(probe.seen.busy);
  EXPECT_FALSE(probe.seen.readEnabled);
  EXPECT_EQ(probe.seen.cursor, Qt::WaitCursor);
  EXPECT_TRUE(probe.seen.drawn);
  EXPECT_TRUE(probe.seen.closeRefused);
  EXPECT_FALSE(probe.droppedHandlerRan);
  EXPECT_TRUE(window_.findChild<QPushButton*>(QString::number(ctl::kRead))->isEnabled());
  EXPECT_EQ(window_.cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
}  // namespace endcap
