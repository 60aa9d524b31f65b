// The splash window: borderless, on top, centred on the desktop, 402 x 252,
// a white panel with the 400 x 250 picture and "Loading ...". Its timer
// drives the start-up in three ticks: tick 1 makes sure the word list
// database is there and complete (OnCheckWordList), tick 2 opens it
// (OnOpenWordList), tick 3 closes the window. `Busy` keeps ticks that arrive while a tick's
// work runs (the nested import window) from counting; a tick that fails
// clears it, so the start-up goes on after the error message.
#ifndef CORVANE_APP_SPLASH_H_
#define CORVANE_APP_SPLASH_H_

#include <QDialog>
#include <functional>

class QLabel;
class QTimer;

namespace corvane::app {

class SplashWindow : public QDialog {
  Q_OBJECT

 public:
  explicit SplashWindow(int tick_ms, QWidget* parent = nullptr);

  std::function<void()> OnCheckWordList;
  std::function<void()> OnOpenWordList;

  int TickCount() const { return tick_count_; }
  bool Busy() const { return busy_; }
  QLabel* LoadingLabel() const { return loading_label_; }

  void Tick();

 protected:
  void reject() override;  // only the third tick closes the splash
  void mousePressEvent(QMouseEvent* event) override;  // out of sight; the ticks go on

 private:
  void RunBusy(const std::function<void()>& work);

  int tick_count_ = 0;
  bool busy_ = false;
  QLabel* loading_label_;
  QTimer* timer_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_SPLASH_H_
