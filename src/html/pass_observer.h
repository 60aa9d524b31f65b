// What a hyphenation pass shows while it runs.
//
// The windows implement this: the whole-document pass writes into the main
// window's status bar, the text pass into the status window. Every method
// has an empty default so that a caller implements only what it shows.
#ifndef CORVANE_HTML_PASS_OBSERVER_H_
#define CORVANE_HTML_PASS_OBSERVER_H_

#include <cstddef>
#include <string>

namespace corvane::html {

class PassObserver {
 public:
  virtual ~PassObserver() = default;

  // The busy cursor, for the length of a pass.
  virtual void BeginBusy() {}
  virtual void EndBusy() {}

  // Main window: the status bar's simple text, and the default message beep.
  virtual void SetStatusText(const std::string& /*text*/) {}
  virtual void Beep() {}

  // Status window.
  virtual void ShowStatusWindow() {}
  virtual void ResetStatistics() {}  // every value label "0", progress 0
  virtual void SetProgress(int /*percent*/) {}
  virtual void SetTotalWords(std::size_t /*count*/) {}
  virtual void SetUniqueWords(std::size_t /*count*/) {}
  virtual void SetWordsHyphenated(std::size_t /*count*/) {}
  virtual void EnableDone() {}
};

// Keeps the busy cursor up for exactly the length of a pass, errors included.
class BusyScope {
 public:
  explicit BusyScope(PassObserver& observer) : observer_(observer) { observer_.BeginBusy(); }
  ~BusyScope() { observer_.EndBusy(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  PassObserver& observer_;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_PASS_OBSERVER_H_
