// What the windows ask of the desktop, behind interfaces that tests replace:
// the common dialogs, message boxes, modal runs of windows, and the shell's
// "open" of a file or an address in the default browser.
#ifndef CORVANE_APP_SERVICES_H_
#define CORVANE_APP_SERVICES_H_

#include <QString>
#include <QUrl>

class QDialog;
class QWidget;

namespace corvane::app {

// The application's title, the caption of its error messages.
inline constexpr const char* kApplicationTitle = "CORVANE HTML HYPHENATOR";

// The answer to a question that may also be withdrawn.
enum class Answer { kYes, kNo, kCancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The chosen path, or an empty text when the user cancels.
  virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
  virtual QString SaveFileName(QWidget* parent, const QString& filter, const QString& default_suffix,
                               const QString& proposed) = 0;
  // A confirmation box with "&Yes" and "&No"; true for Yes.
  virtual bool Confirm(QWidget* parent, const QString& caption, const QString& question) = 0;
  // The same with "Cancel" as well; Escape and the box's close button
  // answer Cancel, so that no single key throws away an edit.
  virtual Answer ConfirmOrCancel(QWidget* parent, const QString& caption, const QString& question) = 0;
  virtual void ShowError(QWidget* parent, const QString& message) = 0;
  // Runs `dialog` modally until it closes.
  virtual void Exec(QDialog& dialog) = 0;
  // A line of text to edit; a null text when the user cancels.
  virtual QString AskText(QWidget* parent, const QString& caption, const QString& label, const QString& text);
  // A message with an OK button.
  virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& message);
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The shell's result is not reported: a desktop without a browser shows
  // nothing, as the shell itself does.
  virtual void Open(const QUrl& url) = 0;
};

// The desktop's own dialogs and message boxes.
class QtDialogs : public Dialogs {
 public:
  QString OpenFileName(QWidget* parent, const QString& filter) override;
  QString SaveFileName(QWidget* parent, const QString& filter, const QString& default_suffix,
                       const QString& proposed) override;
  bool Confirm(QWidget* parent, const QString& caption, const QString& question) override;
  Answer ConfirmOrCancel(QWidget* parent, const QString& caption, const QString& question) override;
  void ShowError(QWidget* parent, const QString& message) override;
  void Exec(QDialog& dialog) override;
};

// Opens through the desktop's URL handlers, never through a command line.
class DesktopShell : public Shell {
 public:
  void Open(const QUrl& url) override;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_SERVICES_H_
