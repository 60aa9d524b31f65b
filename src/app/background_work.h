// Long work off the window's thread: the window keeps repainting while it
// runs, and after a short while a progress window with Cancel shows.
//
// The work must not touch widgets; it reports through `Progress` (percent,
// or -1 while it cannot tell) and looks at `Cancelled` where it can stop.
// Run returns only after the work has ended, so whatever the work borrows
// stays valid; until the progress window shows, the user's input waits.
#ifndef CORVANE_APP_BACKGROUND_WORK_H_
#define CORVANE_APP_BACKGROUND_WORK_H_

#include <QString>
#include <atomic>
#include <functional>

class QWidget;

namespace corvane::app {

struct WorkState {
  std::atomic<int> progress{-1};
  std::atomic<bool> cancelled{false};
};

// Work that lasts less than this shows no progress window.
inline constexpr int kProgressDelayMs = 200;

// False when the user cancelled (the work's result is then to be dropped).
// What the work throws is thrown again here, on the window's thread.
bool RunInBackground(QWidget* parent, const QString& label, const std::function<void(WorkState&)>& work,
                     int delay_ms = kProgressDelayMs);

}  // namespace corvane::app

#endif  // CORVANE_APP_BACKGROUND_WORK_H_
