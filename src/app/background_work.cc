#include "app/background_work.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <exception>
#include <thread>

namespace corvane::app {

bool RunInBackground(QWidget* parent, const QString& label, const std::function<void(WorkState&)>& work,
                     int delay_ms) {
  WorkState state;
  std::atomic<bool> done{false};
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      work(state);
    } catch (...) {
      error = std::current_exception();
    }
    done = true;
  });

  QProgressDialog dialog(label, QCoreApplication::translate("Dialogs", "Cancel"), 0, 100, parent);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setMinimumDuration(0);
  dialog.setValue(0);
  dialog.hide();
  QObject::connect(&dialog, &QProgressDialog::canceled, [&] {
    state.cancelled = true;
    // Shown until the work has stopped, so that nothing starts beside it.
    dialog.setLabelText(QCoreApplication::translate("Dialogs", "Cancelling..."));
    dialog.setCancelButton(nullptr);
    dialog.show();
  });

  QEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done) {
      loop.quit();
      return;
    }
    if (!dialog.isVisible() && clock.elapsed() >= delay_ms && !state.cancelled) {
      loop.quit();  // to take user input from now on, for Cancel
      return;
    }
    const int percent = state.progress;
    if (percent < 0) {
      dialog.setRange(0, 0);
    } else {
      dialog.setRange(0, 100);
      dialog.setValue(percent);
    }
  });
  poll.start();
  // Until the progress window shows, the window repaints but takes no input.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (!done) {
    dialog.show();
    loop.exec();
  }
  poll.stop();
  worker.join();
  dialog.hide();
  if (error) std::rethrow_exception(error);
  return !state.cancelled;
}

}  // namespace corvane::app
