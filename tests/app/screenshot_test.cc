// Pictures of every window, for a person to look at: written under the
// test's build folder (screenshots/*.png).
#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>

#include "app/about_box.h"
#include "app/create_db.h"
#include "app/splash.h"
#include "app_test_util.h"

namespace corvane::app {
namespace {

void Save(QWidget& window, const QString& name) {
  window.show();
  QApplication::processEvents();
  const QPixmap picture = window.grab();
  EXPECT_FALSE(picture.isNull()) << name.toStdString();
  QDir().mkpath(CORVANE_SCREENSHOT_DIR);
  EXPECT_TRUE(picture.save(QString(CORVANE_SCREENSHOT_DIR) + "/" + name + ".png")) << name.toStdString();
}

TEST_F(AppTest, Screenshots) {
  TMainForm& form = Start();
  Save(form, "main_window");
  form.Editor()->selectAll();
  form.HyphenateSelectionFromToolbar();
  Save(*status_, "status_window");
  TAboutBox about(shell_, QUrl::fromLocalFile(Path("help/help.html")), &form);
  Save(about, "about_box");
  SplashWindow splash(100000);
  splash.Tick();  // "Loading ..." shows after the first tick
  Save(splash, "splash");
  ImportWindow import({StdPath("other.EDB"), StdPath("cvhype.lst"), {}}, 100000);
  Save(import, "import_window");
}

}  // namespace
}  // namespace corvane::app
