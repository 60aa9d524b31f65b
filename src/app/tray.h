// The tray icon "CORVANE HTML HYPENATOR": shown for the whole run, cycling
// through its frames (ImageList2) one step per interval from frame 0. A
// double-click asks for the window back (OnRestore). Where the desktop has
// no tray, Available() is false and the main window minimises as usual.
#ifndef CORVANE_APP_TRAY_H_
#define CORVANE_APP_TRAY_H_

#include <QIcon>
#include <QList>
#include <QObject>
#include <functional>

class QSystemTrayIcon;
class QTimer;

namespace corvane::app {

class TrayIcon : public QObject {
  Q_OBJECT

 public:
  TrayIcon(int frame_ms, QObject* parent);

  void SetImageList(QList<QIcon> frames);  // starts the animation at frame 0
  bool Available() const;
  int Frame() const { return frame_; }
  QString ToolTip() const;

  std::function<void()> OnRestore;  // RestoreFromTray

  void Step();

 private:
  QSystemTrayIcon* icon_;
  QTimer* timer_;
  QList<QIcon> frames_;
  int frame_ = 0;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_TRAY_H_
