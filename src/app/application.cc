#include "app/application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <QTimer>

#include "app/app_context.h"
#include "app/error_handler.h"
#include "app/main_form.h"
#include "app/status_window.h"

namespace corvane::app {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportCurrentException();
    return false;
  }
}

bool InstallTranslations(QCoreApplication& application, const QLocale& locale) {
  // Qt's own texts (standard buttons of its dialogs) where the system has them.
  auto* qt = new QTranslator(&application);
  if (qt->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  }
  auto* own = new QTranslator(&application);
  if (!own->load(locale, "corvane", "_", ":/i18n")) return false;
  return QCoreApplication::installTranslator(own);
}

int RunProgram(int argc, char** argv) {
  TApplication application(argc, argv);
  QApplication::setApplicationName("corvane-html-hyphenator");
  QApplication::setOrganizationName("corvane");
  QApplication::setDesktopFileName("corvane-html-hyphenator");
  InstallTranslations(application, QLocale());
  QtDialogs dialogs;
  DesktopShell shell;
  UserSettings settings;
  SetErrorSink([&dialogs](const QString& message) {
    dialogs.ShowError(QApplication::activeWindow(), message);
  });
  TMainForm main_form(DefaultContext(dialogs, shell, settings));
  StatusWindow status(&main_form);
  main_form.SetStatusWindow(&status);
  QObject::connect(&main_form, &TMainForm::Closed, &application, &QCoreApplication::quit, Qt::QueuedConnection);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    const QString path = arguments.at(1);
    QTimer::singleShot(0, &main_form, Guarded([&main_form, path] { main_form.OpenFile(path); }));
  }
  main_form.show();
  const int status_code = QApplication::exec();
  SetErrorSink({});
  return status_code;
}

}  // namespace corvane::app
