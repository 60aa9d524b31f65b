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
  loading_label_ = new QLabel(tr("Loading ..."), this);
  loading_label_->setGeometry(16, 222, 120, 18);
  loading_label_->setVisible(false);
  timer_ = new QTimer(this);
  timer_->setInterval(tick_ms);
  connect(timer_, &QTimer::timeout, this, Guarded([this] { Tick(); }));
  timer_->start();
}

void SplashWindow::RunBusy(const std::function<void()>& work) {
  busy_ = true;
  try {
    if (work) work();
  } catch (...) {
    busy_ = false;
    throw;
  }
  busy_ = false;
}

void SplashWindow::Tick() {
  if (busy_) return;
  ++tick_count_;
  if (tick_count_ == 1) {
    RunBusy(OnCheckWordList);
    loading_label_->setVisible(true);
  } else if (tick_count_ == 2) {
    busy_ = true;
    try {
      if (OnOpenWordList) OnOpenWordList();
    } catch (...) {
      loading_label_->setVisible(false);
      busy_ = false;
      throw;
    }
    loading_label_->setVisible(false);
    busy_ = false;
  } else if (tick_count_ == 3) {
    timer_->stop();
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
