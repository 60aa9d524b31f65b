#include "app/about_box.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>

#include "app/pictures.h"

namespace corvane::app {

TURLLabel::TURLLabel(const QString& text, const QUrl& address, Shell& shell, QWidget* parent)
    : QLabel(text, parent), address_(address), shell_(shell) {
  setCursor(Qt::PointingHandCursor);
  ShowState();
}

void TURLLabel::ShowState() {
  QPalette colours = palette();
  const QColor rest = visited_ ? QColor(0x80, 0, 0) : QColor(Qt::black);
  colours.setColor(QPalette::WindowText, hovered_ ? QColor(Qt::blue) : rest);
  setPalette(colours);
  QFont underlined = font();
  underlined.setUnderline(hovered_);
  setFont(underlined);
}

void TURLLabel::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  ShowState();
  QLabel::enterEvent(event);
}

void TURLLabel::leaveEvent(QEvent* event) {
  hovered_ = false;
  ShowState();
  QLabel::leaveEvent(event);
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    shell_.Open(address_);
    visited_ = true;
    ShowState();
  }
  QLabel::mouseReleaseEvent(event);
}

TAboutBox::TAboutBox(Shell& shell, const QUrl& home_page, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(tr("About"));
  setFixedSize(340, 352);
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 324, 190);
  auto* picture = new QLabel(panel);
  picture->setGeometry(12, 12, 64, 64);
  picture->setPixmap(Picture("about", QSize(64, 64)));
  auto* product = new QLabel("CORVANE HTML HYPHENATOR", panel);
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  product->setGeometry(88, 16, 230, 20);
  auto* version = new QLabel(tr("Version 1.0"), panel);
  version->setGeometry(88, 42, 230, 18);
  auto* slogan = new QLabel(tr("Make your pages Beatifull now!"), panel);
  slogan->setGeometry(12, 100, 300, 18);
  url_ = new TURLLabel(tr("Open Corvane Html Hyphenator Homepage!"), home_page, shell, panel);
  url_->setGeometry(12, 140, 300, 18);
  credits_ = new QLabel(
      tr("English hyphenation: the Plain TeX patterns (hyphen.tex) by Frank M. Liang and Donald E. Knuth, "
         "shipped unmodified as their notice asks.\n"
         "Turkish word list: made from the hunspell-tr dictionary by Harun Re\u015fit Zafer (Mozilla Public "
         "License 2.0) and the Zemberek list of frequent words by Ahmet A. Ak\u0131n and Mehmet D. Ak\u0131n "
         "(Mozilla Public License 1.1), and under their licences."),
      this);
  credits_->setObjectName("Credits");
  credits_->setWordWrap(true);
  QFont small = credits_->font();
  small.setPointSize(7);
  credits_->setFont(small);
  credits_->setGeometry(8, 204, 324, 110);
  ok_ = new QPushButton(tr("OK"), this);
  ok_->setDefault(true);
  ok_->setGeometry(132, 318, 75, 25);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace corvane::app
