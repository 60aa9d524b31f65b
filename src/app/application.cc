#include "app/application.h"

#include <QMessageBox>
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

int RunProgram(int argc, char** argv) {
  TApplication application(argc, argv);
  QApplication::setApplicationName("corvane-html-hyphenator");
  QApplication::setOrganizationName("corvane");
  QApplication::setDesktopFileName("corvane-html-hyphenator");
  QtDialogs dialogs;
  DesktopShell shell;
  UserSettings settings;
  SetErrorSink([&dialogs](const QString& message) {
    dialogs.ShowError(QApplication::activeWindow(), message);
  });
  TMainForm main_form(DefaultContext(dialogs, shell, settings));
  Thyphstatus status(&main_form);
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
