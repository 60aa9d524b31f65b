// The application's default error handler: every exception that leaves a
// command, a timer tick or a window's creation ends here and is shown in a
// message box with its message; the command stops at the failing step and
// what it had changed stays changed.
//
// Qt does not carry exceptions through its event loop, so every slot runs
// inside Guarded(), and TApplication::notify catches what slips past.
#ifndef CORVANE_APP_ERROR_HANDLER_H_
#define CORVANE_APP_ERROR_HANDLER_H_

#include <QString>
#include <exception>
#include <functional>
#include <utility>

namespace corvane::app {

// Where messages go (a message box in the program; a list in tests).
void SetErrorSink(std::function<void(const QString& message)> sink);

// Shows the message of the exception being handled (call inside catch).
void ReportCurrentException();

// Runs `work`, reporting an exception instead of letting it through.
// Returns false when it failed.
template <typename Work>
bool RunGuarded(Work&& work) {
  try {
    std::forward<Work>(work)();
    return true;
  } catch (...) {
    ReportCurrentException();
    return false;
  }
}

// `work` wrapped for a signal connection.
template <typename Work>
auto Guarded(Work work) {
  return [work = std::move(work)](auto&&...) { RunGuarded(work); };
}

}  // namespace corvane::app

#endif  // CORVANE_APP_ERROR_HANDLER_H_
