// The About window and its link label.
//
// TURLLabel is a link: black, blue and underlined while the pointer is over
// it; a click opens its address through the shell, and from then on its
// resting colour is maroon. The About window's link leads to the help page
// that comes with the program, which is its home page.
#ifndef CORVANE_APP_ABOUT_BOX_H_
#define CORVANE_APP_ABOUT_BOX_H_

#include <QDialog>
#include <QLabel>

#include "app/services.h"

class QPushButton;

namespace corvane::app {


class TURLLabel : public QLabel {
  Q_OBJECT

 public:
  TURLLabel(const QString& text, const QUrl& address, Shell& shell, QWidget* parent);

  bool Visited() const { return visited_; }
  bool Hovered() const { return hovered_; }

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ShowState();

  QUrl address_;
  Shell& shell_;
  bool hovered_ = false;
  bool visited_ = false;
};

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  TAboutBox(Shell& shell, const QUrl& home_page, QWidget* parent = nullptr);

  TURLLabel* UrlLabel() const { return url_; }
  // Who made the shipped data, and under which licences.
  QLabel* Credits() const { return credits_; }
  QPushButton* OKButton() const { return ok_; }

 private:
  TURLLabel* url_;
  QLabel* credits_;
  QPushButton* ok_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_ABOUT_BOX_H_
