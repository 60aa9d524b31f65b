// The About window and its link label.
//
// TURLLabel shows a web address without its scheme: black, blue and
// underlined while the pointer is over it; a click opens "https://" + the
// address through the shell, and from then on its resting colour is maroon.
#ifndef CORVANE_APP_ABOUT_BOX_H_
#define CORVANE_APP_ABOUT_BOX_H_

#include <QDialog>
#include <QLabel>

#include "app/services.h"

class QPushButton;

namespace corvane::app {

// The home page, without its scheme.
inline constexpr const char* kHomePageAddress = "www.example.com/corvane-html-hyphenator/";
QUrl HomePageUrl();

class TURLLabel : public QLabel {
  Q_OBJECT

 public:
  TURLLabel(const QString& text, const QString& address, Shell& shell, QWidget* parent);

  bool Visited() const { return visited_; }
  bool Hovered() const { return hovered_; }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ShowState();

  QString address_;
  Shell& shell_;
  bool hovered_ = false;
  bool visited_ = false;
};

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  TAboutBox(Shell& shell, QWidget* parent = nullptr);

  TURLLabel* UrlLabel() const { return url_; }
  QPushButton* OKButton() const { return ok_; }

 private:
  TURLLabel* url_;
  QPushButton* ok_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_ABOUT_BOX_H_
