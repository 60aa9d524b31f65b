// The splash window: borderless, on top, centred on the desktop, 402 x 252,
// a white panel with the 400 x 250 picture and "Loading ...". Its timer
// drives the start-up in three ticks: tick 1 makes sure the word
// list database is there and complete (OnTick1), tick 2 opens it (OnTick2),
// tick 3 closes the window. `Busy` keeps ticks that arrive while a tick's
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

  std::function<void()> OnTick1;
  std::function<void()> OnTick2;

  int TickCount() const { return TickCount_; }
  bool Busy() const { return Busy_; }
  QLabel* LoadingLabel() const { return Label1_; }

  void Timer1Timer();

 protected:
  void reject() override;  // only the third tick closes the splash
  void mousePressEvent(QMouseEvent* event) override;  // out of sight; the ticks go on

 private:
  void RunBusy(const std::function<void()>& work);

  int TickCount_ = 0;
  bool Busy_ = false;
  QLabel* Label1_;
  QTimer* Timer1_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_SPLASH_H_
