// The application object and the program's main block.
#ifndef CORVANE_APP_APPLICATION_H_
#define CORVANE_APP_APPLICATION_H_

#include <QApplication>

namespace corvane::app {

// Routes an exception that escapes an event handler to the default error
// handler instead of ending the program.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// The interface in the language of `locale` where a translation exists
// (Turkish); English, the source text, otherwise. True when one was installed.
bool InstallTranslations(QCoreApplication& application, const QLocale& locale);

// The main block: the application, the main window (which runs the start-up),
// the hidden status window, a file named on the command line opened, and
// the message loop. Returns the exit status.
int RunProgram(int argc, char** argv);

}  // namespace corvane::app

#endif  // CORVANE_APP_APPLICATION_H_
