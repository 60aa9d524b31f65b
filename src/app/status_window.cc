#include "app/status_window.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace corvane::app {
namespace {

QLabel* AddRow(QWidget* group, int y, const QString& caption) {
  auto* label = new QLabel(caption, group);
  label->setGeometry(12, y, 130, 18);
  auto* value = new QLabel("0", group);
  value->setGeometry(146, y, 80, 18);
  return value;
}

}  // namespace

StatusWindow::StatusWindow(QWidget* main_window)
    : QDialog(main_window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle(tr("Status"));
  setFixedSize(260, 196);
  // Without a border of its own the window draws an edge, as a raised panel.
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setGeometry(0, 0, 260, 196);
  auto* caption = new QLabel(tr("Progress :"), panel);
  caption->setGeometry(12, 8, 120, 18);
  progress_bar_ = new QProgressBar(panel);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setGeometry(12, 28, 236, 18);
  auto* group = new QGroupBox(tr(" Statistics "), panel);
  group->setGeometry(12, 54, 236, 96);
  total_ = AddRow(group, 22, tr("Total Words :"));
  unique_ = AddRow(group, 44, tr("Unique Words :"));
  hyphenated_ = AddRow(group, 66, tr("Words Hyphenated :"));
  done_button_ = new QPushButton(tr("&Done"), panel);
  done_button_->setGeometry(88, 160, 84, 26);
  done_button_->setEnabled(false);
  connect(done_button_, &QPushButton::clicked, this, [this] {
    hide();
    if (QWidget* main = parentWidget()) main->activateWindow();
  });
}

void StatusWindow::ShowCentred() {
  if (QWidget* main = parentWidget()) {
    const QRect frame = main->frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
  }
  show();
  raise();
  activateWindow();  // so that the keyboard reaches "&Done"
}

void StatusWindow::ResetStatistics() {
  progress_bar_->setValue(0);
  for (QLabel* value : {total_, unique_, hyphenated_}) value->setText("0");
}

void StatusWindow::SetProgress(int percent) { progress_bar_->setValue(percent); }

void StatusWindow::SetTotalWords(std::size_t count) { total_->setText(QString::number(count)); }

void StatusWindow::SetUniqueWords(std::size_t count) {
  unique_->setText(QString::number(count));
  repaint();
}

void StatusWindow::SetWordsHyphenated(std::size_t count) {
  hyphenated_->setText(QString::number(count));
  repaint();
}

void StatusWindow::EnableDone() {
  done_button_->setEnabled(true);
  done_button_->setDefault(true);
  done_button_->setFocus();
}

}  // namespace corvane::app
