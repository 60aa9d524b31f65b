#include "app/tray.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QTimer>

namespace corvane::app {

TrayIcon::TrayIcon(int frame_ms, QObject* parent) : QObject(parent) {
  icon_ = new QSystemTrayIcon(this);
  icon_->setToolTip(QCoreApplication::translate("corvane::app::TrayIcon", "CORVANE HTML HYPENATOR"));
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick && OnRestore) OnRestore();
  });
  timer_ = new QTimer(this);
  timer_->setInterval(frame_ms);
  connect(timer_, &QTimer::timeout, this, &TrayIcon::Step);
}

void TrayIcon::SetImageList(QList<QIcon> frames) {
  frames_ = std::move(frames);
  frame_ = 0;
  if (frames_.isEmpty()) return;
  icon_->setIcon(frames_.first());
  if (Available()) {
    icon_->show();
    timer_->start();
  }
}

bool TrayIcon::Available() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

QString TrayIcon::ToolTip() const { return icon_->toolTip(); }

void TrayIcon::Step() {
  if (frames_.isEmpty()) return;
  frame_ = (frame_ + 1) % static_cast<int>(frames_.size());
  icon_->setIcon(frames_[frame_]);
}

}  // namespace corvane::app
