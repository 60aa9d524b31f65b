#include "app/services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace corvane::app {
namespace {

// "INTERNET|*.html;*.htm" in the form the Qt dialogs read: "INTERNET (*.html *.htm)".
QString QtFilter(const QString& filter) {
  const qsizetype bar = filter.indexOf('|');
  if (bar < 0) return filter;
  QString patterns = filter.mid(bar + 1);
  patterns.replace(';', ' ');
  return filter.left(bar) + " (" + patterns + ")";
}

}  // namespace

QString QtDialogs::OpenFileName(QWidget* parent, const QString& filter) {
  const QString all = QCoreApplication::translate("Dialogs", "All files") + " (*)";
  return QFileDialog::getOpenFileName(parent, QString(), QString(), QtFilter(filter) + ";;" + all);
}

QString QtDialogs::SaveFileName(QWidget* parent, const QString& filter, const QString& default_suffix,
                                const QString& proposed) {
  QFileDialog dialog(parent, QString(), QString(), QtFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(default_suffix);
  dialog.selectFile(proposed);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

bool QtDialogs::Confirm(QWidget* parent, const QString& caption, const QString& question) {
  QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
  box.addButton("&No", QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes;
}

Answer QtDialogs::ConfirmOrCancel(QWidget* parent, const QString& caption, const QString& question) {
  QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QCoreApplication::translate("Dialogs", "&Yes"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QCoreApplication::translate("Dialogs", "&No"), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QCoreApplication::translate("Dialogs", "Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == yes) return Answer::kYes;
  if (box.clickedButton() == no) return Answer::kNo;
  return Answer::kCancel;
}

void QtDialogs::ShowError(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::Critical, kApplicationTitle, message, QMessageBox::Ok, parent);
  box.exec();
}

void QtDialogs::Exec(QDialog& dialog) { dialog.exec(); }

QString Dialogs::AskText(QWidget* parent, const QString& caption, const QString& label, const QString& text) {
  bool ok = false;
  const QString answer = QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &ok);
  return ok ? (answer.isNull() ? QString("") : answer) : QString();
}

void Dialogs::ShowMessage(QWidget* parent, const QString& caption, const QString& message) {
  QMessageBox box(QMessageBox::Information, caption, message, QMessageBox::Ok, parent);
  box.exec();
}

void DesktopShell::Open(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace corvane::app
