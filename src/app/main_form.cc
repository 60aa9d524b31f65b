#include "app/main_form.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>

#include "app/about_box.h"
#include "app/background_work.h"
#include "app/document_file.h"
#include "app/error_handler.h"
#include "app/preview.h"
#include "app/status_window.h"
#include "app/tray.h"
#include "html/soft_hyphen_form.h"
#include "hyphenation/language_catalog.h"

namespace corvane::app {
TMainForm::TMainForm(AppContext context, QWidget* parent)
    : QMainWindow(parent),
      context_(std::move(context)),
      word_list_(std::make_unique<wordlist::TWordList>(context_.word_list.database)),
      passes_(std::make_unique<TextPasses>(*word_list_)),
      installed_languages_(app::InstalledLanguages(hyphenation::LanguageCatalog::Find({}))) {
  BuildWindow();
  // An exception in the creation is shown; the window is created and shown all the same.
  RunGuarded([this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

QStatusBar* TMainForm::StatusBar() const { return statusBar(); }

QAction* TMainForm::Action(const QString& name) const { return actions_.value(name, nullptr); }

void TMainForm::SetState(const QString& file_name, bool modified) {
  current_file_name_ = file_name;
  modified_ = modified;
  if (!modified) MarkClean();
  if (file_name != kNewFileName) context_.settings->AddRecentFile(file_name);
  UpdateTitle();
  UpdateFormatLabel();
}

void TMainForm::MarkClean() {
  const QString text = editor_->toPlainText();
  clean_length_ = text.size();
  clean_hash_ = qHash(text);
  editor_->document()->setModified(false);
}

bool TMainForm::BackAtCleanText() const {
  // The editor's own flag clears when undo reaches the point of the last
  // save, but also when a whole new text is set; the text decides.
  if (editor_->document()->isModified()) return false;
  const QString text = editor_->toPlainText();
  return text.size() == clean_length_ && qHash(text) == clean_hash_;
}

void TMainForm::UpdateTitle() {
  setWindowTitle("Corvane Html Hyphenator - [" + current_file_name_ + "]" + (modified_ ? " *" : ""));
}

void TMainForm::TextChanged() {
  modified_ = !BackAtCleanText();
  UpdateTitle();
}

void TMainForm::WriteDocument(const QString& path) {
  const std::string bytes = EncodeDocumentFile(editor_->toPlainText(), format_);
  WriteDocumentFile(path, bytes);
}

bool TMainForm::SaveAsDialog() {
  const QString path = context_.dialogs->SaveFileName(this, kSaveFilter, "html", current_file_name_);
  if (path.isEmpty()) return false;
  WriteDocument(path);
  SetState(path, false);
  return true;
}

bool TMainForm::SavePrompt() {
  if (!modified_) return true;
  switch (context_.dialogs->ConfirmOrCancel(this, tr("Confirm"), tr("Save changes to %1 ?").arg(current_file_name_))) {
    case Answer::kCancel:
      return false;
    case Answer::kNo:
      return true;
    case Answer::kYes:
      break;
  }
  return SaveDocument();
}

bool TMainForm::SaveDocument() {
  // A document never saved has no place of its own yet: ask for one rather
  // than writing into whatever folder the program was started from.
  if (current_file_name_ == kNewFileName) return SaveAsDialog();
  WriteDocument(current_file_name_);
  SetState(current_file_name_, false);
  return true;
}

void TMainForm::Save() { SaveDocument(); }

void TMainForm::OpenFile(const QString& path) {
  const std::string bytes = ReadDocumentFile(path);
  passes_->SetXmlDocument(html::IsXmlDocument(bytes, QFile::encodeName(path).toStdString()));
  LoadedDocument loaded = DecodeDocumentFile(bytes);
  {
    html::BusyScope busy(*this);  // the editor takes seconds over a page of many megabytes
    editor_->setPlainText(loaded.text);
  }
  format_ = loaded.format;
  SetState(path, false);
}

void TMainForm::OpenDocument() {
  if (!SavePrompt()) return;
  const QString path = context_.dialogs->OpenFileName(this, kOpenFilter);
  if (path.isEmpty()) return;
  OpenFile(path);
}

void TMainForm::SaveAs() { SaveAsDialog(); }

void TMainForm::HyphenateEbook() {
  const QString book = context_.dialogs->OpenFileName(this, kBookFilter);
  if (book.isEmpty()) return;
  const QFileInfo info(book);
  QString target = info.dir().filePath(info.completeBaseName() + ".hyphenated.epub");
  if (QFileInfo::exists(target)) {
    target = context_.dialogs->SaveFileName(this, kBookFilter, "epub", target);
    if (target.isEmpty()) return;
  }
  // Shown only when the book takes more than a second.
  QProgressDialog progress(tr("Hyphenating %1").arg(info.fileName()), QString(), 0, 100, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(1000);
  progress.setCancelButton(nullptr);
  const ebook::BookFigures figures =
      passes_->HyphenateBook(book, target, [&progress](std::size_t done, std::size_t total) {
        progress.setMaximum(static_cast<int>(total));
        progress.setValue(static_cast<int>(done));
      });
  progress.reset();
  context_.dialogs->ShowMessage(this, kApplicationTitle,
                                tr("%1\n\nDocuments: %2\nWords: %3\nSoft hyphens: %4")
                                    .arg(QFileInfo(target).fileName())
                                    .arg(figures.documents)
                                    .arg(figures.words)
                                    .arg(figures.soft_hyphens));
}

QString TMainForm::SelectedText() const {
  QString text = editor_->textCursor().selectedText();
  text.replace(QChar::ParagraphSeparator, '\n');
  return text;
}

void TMainForm::HyphenateSelection(html::SelectionCommand command) {
  const QString text = editor_->toPlainText();
  QTextCursor cursor = editor_->textCursor();
  const TextRange words = WholeWords(text, {cursor.selectionStart(), cursor.selectionEnd()}, format_.utf8);
  cursor.setPosition(words.start);
  cursor.setPosition(words.end, QTextCursor::KeepAnchor);
  editor_->setTextCursor(cursor);
  const TextPasses::SelectionResult result =
      passes_->HyphenateSelection(text, words.start, words.end - words.start, command, format_.utf8, *this);
  if (status_window_ != nullptr && result.languages) status_window_->SetWordsByLanguage(*result.languages);
  ReplaceSelection(result.text);
}

void TMainForm::ReplaceSelection(const QString& text) {
  QTextCursor cursor = editor_->textCursor();
  const int start = cursor.selectionStart();
  cursor.insertText(text);
  // The result stays selected, caret after it, so that the same command takes it back.
  const int end = cursor.position();
  cursor.setPosition(start);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  editor_->setTextCursor(cursor);
}

void TMainForm::HyphenateSelectionFromMenu() { HyphenateSelection(html::SelectionCommand::kMenu); }

void TMainForm::HyphenateSelectionFromToolbar() { HyphenateSelection(html::SelectionCommand::kToolbar); }

void TMainForm::HyphenateDocument() {
  const QString text = editor_->toPlainText();
  TextPasses::AllResult result;
  // The pass reports to nobody off the window's thread; its figures come after.
  const bool finished = RunInBackground(this, tr("Hyphenating..."), [&](WorkState&) {
    html::PassObserver quiet;
    result = passes_->HyphenateAll(text, format_.utf8, quiet);
  });
  if (!finished) {
    statusBar()->showMessage(tr("Cancelled: the text is as it was."));
    return;
  }
  {
    html::BusyScope busy(*this);  // the editor takes a while over a large text
    ReplaceWholeText(text, result.text);
  }
  statusBar()->showMessage(
      result.soft_hyphens_removed > 0
          ? tr("Done: %1 soft hyphens removed.").arg(result.soft_hyphens_removed)
          : tr("Done: %1 words, %2 soft hyphens added.").arg(result.words).arg(result.soft_hyphens_added));
}

void TMainForm::ReplaceWholeText(const QString& old_text, const QString& new_text) {
  // The editor takes seconds to swallow a text of many megabytes at once, and
  // the window would not repaint meanwhile. The passes never add or remove a
  // line break, so the text goes in a slice of lines at a time, each slice
  // joined to the same edit so that one Undo brings the whole text back, and
  // the window repaints between slices.
  constexpr qsizetype kSliceChars = 1 << 16;
  constexpr qint64 kRepaintEveryMs = 40;
  QTextCursor cursor(editor_->document());
  const bool same_lines = old_text.count('\n') == new_text.count('\n');
  if (!same_lines || old_text.size() <= kSliceChars) {
    cursor.select(QTextCursor::Document);
    cursor.insertText(new_text);
  } else {
    QElapsedTimer since_repaint;
    since_repaint.start();
    qsizetype old_at = 0, new_at = 0;
    bool first = true;
    while (old_at < old_text.size() || new_at < new_text.size()) {
      // A slice ends after the same line break in both texts.
      qsizetype old_end = old_text.indexOf('\n', std::min(old_at + kSliceChars, old_text.size()));
      qsizetype new_end = old_end;
      if (old_end < 0) {
        old_end = old_text.size();
        new_end = new_text.size();
      } else {
        const qsizetype breaks = old_text.mid(old_at, old_end - old_at + 1).count('\n');
        new_end = new_at - 1;
        for (qsizetype n = 0; n < breaks; ++n) new_end = new_text.indexOf('\n', new_end + 1);
      }
      old_end = std::min(old_end + 1, old_text.size());
      new_end = std::min(new_end + 1, new_text.size());
      first ? cursor.beginEditBlock() : cursor.joinPreviousEditBlock();
      first = false;
      cursor.setPosition(static_cast<int>(new_at));
      cursor.setPosition(static_cast<int>(new_at + old_end - old_at), QTextCursor::KeepAnchor);
      cursor.insertText(new_text.mid(new_at, new_end - new_at));
      cursor.endEditBlock();
      old_at = old_end;
      new_at = new_end;
      if (since_repaint.elapsed() >= kRepaintEveryMs) {
        statusBar()->showMessage(tr("Replacing the text: %1%").arg(100 * old_at / old_text.size()));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        since_repaint.restart();
      }
    }
  }
  cursor.movePosition(QTextCursor::Start);
  editor_->setTextCursor(cursor);
}

void TMainForm::Exit() { close(); }

void TMainForm::Copy() { QApplication::clipboard()->setText(SelectedText()); }

void TMainForm::Paste() { editor_->paste(); }

void TMainForm::SelectAll() { editor_->selectAll(); }

void TMainForm::Preview() {
  const QString path = QString::fromStdString(context_.user_dir) + kPreviewFileName;
  const QString folder = current_file_name_ == kNewFileName ? QString() : QFileInfo(current_file_name_).absolutePath();
  WriteDocumentFile(path, EncodeDocumentFile(WithBaseAddress(editor_->toPlainText(), folder), format_));
  context_.shell->Open(QUrl::fromLocalFile(path));
}

QUrl TMainForm::HelpPage() const {
  return QUrl::fromLocalFile(QString::fromStdString(context_.data_dir) + "help/help.html");
}

void TMainForm::ShowHelp() { context_.shell->Open(HelpPage()); }

// The program's home is the help page that comes with it.
void TMainForm::OpenWebsite() { context_.shell->Open(HelpPage()); }

void TMainForm::ShowAbout() {
  TAboutBox about(*context_.shell, HelpPage());  // centred on the screen
  context_.dialogs->Exec(about);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  bool saved = false;
  RunGuarded([&] { saved = SavePrompt(); });
  if (!saved) {
    event->ignore();
    return;
  }
  event->accept();
  context_.settings->SetWindowGeometry(saveGeometry());
  if (status_window_ != nullptr) status_window_->hide();
  emit Closed();
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Minimised, the window leaves the task bar and lives in the tray.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_icon_ != nullptr &&
      tray_icon_->Available()) {
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
  }
}

void TMainForm::RestoreFromTray() {
  if (isVisible() && !isMinimized()) return;
  showNormal();
  activateWindow();
}

void TMainForm::BeginBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void TMainForm::EndBusy() { QApplication::restoreOverrideCursor(); }

void TMainForm::SetStatusText(const std::string& text) { statusBar()->showMessage(QString::fromStdString(text)); }

void TMainForm::Beep() { QApplication::beep(); }

void TMainForm::ShowStatusWindow() {
  if (status_window_ != nullptr) status_window_->ShowCentred();
}

void TMainForm::ResetStatistics() {
  if (status_window_ != nullptr) status_window_->ResetStatistics();
}

void TMainForm::SetProgress(int percent) {
  if (status_window_ != nullptr) status_window_->SetProgress(percent);
}

void TMainForm::SetTotalWords(std::size_t count) {
  if (status_window_ != nullptr) status_window_->SetTotalWords(count);
}

void TMainForm::SetUniqueWords(std::size_t count) {
  if (status_window_ != nullptr) status_window_->SetUniqueWords(count);
}

void TMainForm::SetWordsHyphenated(std::size_t count) {
  if (status_window_ != nullptr) status_window_->SetWordsHyphenated(count);
}

void TMainForm::EnableDone() {
  if (status_window_ != nullptr) status_window_->EnableDone();
}

}  // namespace corvane::app
