// Under a Turkish locale every caption and hint of the main window comes
// from the translation; English stays the source text.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

#include "app/application.h"
#include "app/create_db.h"
#include "app/splash.h"
#include "app/status_window.h"
#include "app_test_util.h"

namespace corvane::app {
namespace {

// Every command's caption and hint, by its name.
QMap<QString, QString> Texts(const TMainForm& form) {
  QMap<QString, QString> texts;
  for (const QAction* action : form.findChildren<QAction*>()) {
    if (action->objectName().isEmpty()) continue;
    texts[action->objectName()] = action->text() + " | " + action->statusTip();
  }
  return texts;
}

TEST_F(AppTest, TurkishLocaleTranslatesEveryCommand) {
  const QMap<QString, QString> english = Texts(Start());
  ASSERT_FALSE(InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::English)));
  ASSERT_TRUE(InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::Turkish, QLocale::Turkey)));
  const QMap<QString, QString> turkish = Texts(Start());
  const QString title = form_->windowTitle();
  for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  ASSERT_EQ(english.keys(), turkish.keys());
  for (const QString& name : english.keys()) {
    EXPECT_NE(english[name], turkish[name]) << name.toStdString();
  }
  EXPECT_EQ(turkish["HypenateFile2"], QString::fromUtf8("&Aç... | Hecelemeye başlamak için bir html ya da metin dosyası açar."));
  EXPECT_EQ(title, "Corvane Html Hyphenator - [noname.html]");
}

// The start-up and pass windows find their texts under their class names:
// a class renamed without its translation context falls back to English.
TEST_F(AppTest, TurkishLocaleTranslatesTheStartUpAndStatusWindows) {
  TMainForm& form = Start();
  ASSERT_TRUE(InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::Turkish, QLocale::Turkey)));
  SplashWindow splash(100000);
  ImportWindow import({StdPath("other.EDB"), StdPath("cvhype.lst"), {}}, 100000);
  StatusWindow status(&form);
  const QStringList texts = {splash.LoadingLabel()->text(), import.FinishedButton()->text(),
                             status.DoneButton()->text()};
  for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  EXPECT_EQ(texts, QStringList({QString::fromUtf8("Y\xC3\xBCkleniyor ..."), "&Bitti", "&Tamam"}));
}

}  // namespace
}  // namespace corvane::app
