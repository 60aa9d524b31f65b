#include "app/splash.h"

#include <QLabel>
#include <QTimer>

#include "app/error_handler.h"
#include "app/pictures.h"

namespace corvane::app {

SplashWindow::SplashWindow(int tick_ms, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle("splash");
  setFixedSize(402, 252);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  auto* image = new QLabel(this);
  image->setGeometry(1, 1, 400, 250);
  image->setPixmap(Picture("splash", QSize(400, 250)));
  Label1_ = new QLabel(tr("Loading ..."), this);
  Label1_->setGeometry(16, 222, 120, 18);
  Label1_->setVisible(false);
  Timer1_ = new QTimer(this);
  Timer1_->setInterval(tick_ms);
  connect(Timer1_, &QTimer::timeout, this, Guarded([this] { Timer1Timer(); }));
  Timer1_->start();
}

void SplashWindow::RunBusy(const std::function<void()>& work) {
  Busy_ = true;
  try {
    if (work) work();
  } catch (...) {
    Busy_ = false;
    throw;
  }
  Busy_ = false;
}

void SplashWindow::Timer1Timer() {
  if (Busy_) return;
  ++TickCount_;
  if (TickCount_ == 1) {
    RunBusy(OnTick1);
    Label1_->setVisible(true);
  } else if (TickCount_ == 2) {
    Busy_ = true;
    try {
      if (OnTick2) OnTick2();
    } catch (...) {
      Label1_->setVisible(false);
      Busy_ = false;
      throw;
    }
    Label1_->setVisible(false);
    Busy_ = false;
  } else if (TickCount_ == 3) {
    Timer1_->stop();
    accept();
  }
}

void SplashWindow::reject() {}

void SplashWindow::mousePressEvent(QMouseEvent* event) {
  QDialog::mousePressEvent(event);
  // Hiding a dialog would end its modal run before the start-up's work is
  // done; out of sight serves the user the same.
  setWindowOpacity(0.0);
  move(-4 * width(), -4 * height());
}

}  // namespace corvane::app
