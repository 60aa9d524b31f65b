#include "app/about_box.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "app_test_util.h"

namespace corvane::app {
namespace {

QColor TextColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

TEST_F(AppTest, AboutLinkLabelColoursAndClick) {
  const QUrl help = QUrl::fromLocalFile(Path("help/help.html"));
  TAboutBox about(shell_, help);
  // Credits name the shipped data's authors and licences.
  for (const char* credit : {"Liang", "Knuth", "hunspell-tr", "Mozilla Public License 2.0", "Zemberek"}) {
    EXPECT_TRUE(about.Credits()->text().contains(credit)) << credit;
  }
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_TRUE(about.OKButton()->isDefault());
  TURLLabel* link = about.UrlLabel();
  EXPECT_EQ(link->text(), "Open Corvane Html Hyphenator Homepage!");
  const QPointF inside(2, 2);
  const struct {
    const char* step;
    QColor colour;
    bool underlined;
  } kSteps[] = {{"rest", Qt::black, false}, {"hover", Qt::blue, true}, {"after the click", QColor(0x80, 0, 0), false}};
  for (const auto& s : kSteps) {
    if (QString(s.step) == "hover") {
      QEnterEvent enter(inside, inside, inside);
      QApplication::sendEvent(link, &enter);
    } else if (QString(s.step) == "after the click") {
      QMouseEvent release(QEvent::MouseButtonRelease, inside, inside, inside, Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(link, &release);
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(link, &leave);
    }
    EXPECT_EQ(TextColour(link), s.colour) << s.step;
    EXPECT_EQ(link->font().underline(), s.underlined) << s.step;
  }
  EXPECT_EQ(shell_.opened, QList<QUrl>({help}));
}

}  // namespace
}  // namespace corvane::app
