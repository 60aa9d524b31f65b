#include "app/status_window.h"

#include <QFrame>
#include <algorithm>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace corvane::app {
namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 196;
constexpr int kGroupHeight = 96;
constexpr int kRowHeight = 22;
constexpr int kCaptionWidth = 130;

struct Row {
  QLabel* caption;
  QLabel* value;
};

Row AddLabels(QWidget* group, int y, const QString& caption) {
  auto* label = new QLabel(caption, group);
  label->setGeometry(12, y, kCaptionWidth, 18);
  auto* value = new QLabel("0", group);
  value->setGeometry(146, y, 80, 18);
  return {label, value};
}

QLabel* AddRow(QWidget* group, int y, const QString& caption) { return AddLabels(group, y, caption).value; }

}  // namespace

StatusWindow::StatusWindow(QWidget* main_window)
    : QDialog(main_window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle(tr("Status"));
  setFixedSize(kWidth, kHeight);
  // Without a border of its own the window draws an edge, as a raised panel.
  auto* panel = new QFrame(this);
  panel->setObjectName("panel");
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setGeometry(0, 0, kWidth, kHeight);
  auto* caption = new QLabel(tr("Progress :"), panel);
  caption->setGeometry(12, 8, 120, 18);
  progress_bar_ = new QProgressBar(panel);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setGeometry(12, 28, 236, 18);
  auto* group = new QGroupBox(tr(" Statistics "), panel);
  group->setGeometry(12, 54, 236, kGroupHeight);
  group_ = group;
  total_ = AddRow(group, 22, tr("Total Words :"));
  unique_ = AddRow(group, 44, tr("Unique Words :"));
  hyphenated_ = AddRow(group, 66, tr("Words Hyphenated :"));
  done_button_ = new QPushButton(tr("&Done"), panel);
  done_button_->setGeometry(88, kHeight - 36, 84, 26);
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
  SetWordsByLanguage({});
}

void StatusWindow::SetWordsByLanguage(const WordsByLanguage& words) {
  qDeleteAll(language_labels_);
  language_labels_.clear();
  QList<std::pair<QString, std::size_t>> lines;
  if (words.turkish > 0) lines.append({tr("Turkish"), words.turkish});
  if (words.english > 0) lines.append({tr("English"), words.english});
  // A page may write one language's tag in several ways ("de-DE", "de_de").
  QList<std::pair<QString, std::size_t>> installed;
  for (const auto& [tag, count] : words.installed) {
    if (count == 0) continue;
    const QString name = LanguageName(tag);
    const auto same =
        std::find_if(installed.begin(), installed.end(), [&](const auto& line) { return line.first == name; });
    if (same != installed.end()) {
      same->second += count;
    } else {
      installed.append({name, count});
    }
  }
  std::sort(installed.begin(), installed.end(),
            [](const auto& a, const auto& b) { return a.first.localeAwareCompare(b.first) < 0; });
  lines += installed;
  if (words.without_patterns > 0) lines.append({tr("Without Patterns"), words.without_patterns});

  const int grown = static_cast<int>(lines.size()) * kRowHeight;
  for (int row = 0; row < lines.size(); ++row) {
    const int y = 88 + row * kRowHeight;
    const auto [caption, value] = AddLabels(group_, y, lines[row].first + " :");
    // A long name is cut short on screen and shown whole as a hint.
    caption->setToolTip(caption->text());
    caption->setText(caption->fontMetrics().elidedText(caption->text(), Qt::ElideMiddle, kCaptionWidth));
    value->setText(QString::number(lines[row].second));
    caption->show();
    value->show();
    language_labels_ << caption << value;
  }
  group_->resize(group_->width(), kGroupHeight + grown);
  findChild<QFrame*>("panel")->resize(kWidth, kHeight + grown);
  done_button_->move(done_button_->x(), kHeight + grown - 36);
  setFixedSize(kWidth, kHeight + grown);
  repaint();
}

QStringList StatusWindow::LanguageLines() const {
  QStringList lines;
  for (int i = 0; i + 1 < language_labels_.size(); i += 2) {
    lines << language_labels_[i]->toolTip() + " " + language_labels_[i + 1]->text();
  }
  return lines;
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
