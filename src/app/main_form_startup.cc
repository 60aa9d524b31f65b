// The main window's part of the start-up: the splash and its ticks, the
// word-list check and import, the table opened; the rebuild command; the
// user's settings applied.
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>

#include "app/create_db.h"
#include "app/document_file.h"
#include "app/error_handler.h"
#include "app/main_form.h"
#include "app/pictures.h"
#include "app/splash.h"
#include "app/tray.h"
#include "platform/error.h"
#include "wordlist/dictionary.h"

namespace corvane::app {

void TMainForm::FormCreate() {
  SplashWindow splash(context_.timings.splash_tick_ms);
  splash.OnCheckWordList = [this] { CheckDatabase(); };
  splash.OnOpenWordList = [this] { OpenTable(); };
  context_.dialogs->Exec(splash);
  tray_icon_->SetImageList(TrayFrames());
  const QByteArray geometry = context_.settings->WindowGeometry();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  SetState(kNewFileName, false);
  passes_->SetLanguage(StoredLanguage());
  // Each step reports its own failure, so that one does not skip the other.
  RunGuarded([this] { LoadMyWords(); });
  RunGuarded([this] { LoadNeverHyphenate(); });
  if (!word_list_->IsOpen()) OfferRebuild();
}

void TMainForm::CheckDatabase() {
  wordlist::InstallPrebuiltDatabase(context_.word_list);
  const QString path = QString::fromStdString(context_.word_list.database);
  if (!QFileInfo::exists(path)) {
    RunImport();
    return;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    const QString reason = QFileInfo(path).isDir() ? "It is a folder, not a file." : file.errorString();
    throw Error(("File access denied\n" + path + ": " + reason).toStdString());
  }
  const qint64 size = file.size();
  file.close();
  if (size < wordlist::kMinDatabaseSize) RunImport();
}

void TMainForm::OpenTable() {
  const QString path = QString::fromStdString(context_.word_list.database);
  // Only a failed import or check leaves no database file, and it has said
  // why; the engine would add no more than that a table is missing.
  if (!QFileInfo(path).isFile()) return;
  try {
    // The window only looks words up: reading never writes, so it never
    // collides with a build the command-line tool runs.
    word_list_->OpenReadOnly();
  } catch (const Error& e) {
    throw Error(context_.word_list.database + ": " + e.what());
  }
}

void TMainForm::RunImport() {
  ImportWindow window(context_.word_list, context_.timings.import_tick_ms);
  context_.dialogs->Exec(window);
}

// After a failed start-up the user chooses: rebuild now, or go on without
// the word list (its lookups then fail with the engine's message).
void TMainForm::OfferRebuild() {
  if (!context_.dialogs->Confirm(this, tr("Confirm"),
                                 tr("The word list database could not be opened. Rebuild it now?"))) {
    return;
  }
  RunImport();
  OpenTable();
}

void TMainForm::RebuildWordList() {
  if (!context_.dialogs->Confirm(this, tr("Confirm"),
                                 tr("Recreate the word list database from its list file? The current one stays "
                                    "until the new one is complete."))) {
    return;
  }
  word_list_->Close();
  RunImport();
  OpenTable();
}

namespace {

// Read as a document is, so that a folder, a device or a huge file is
// refused with its reason instead of being read without end.
wordlist::MyWords ReadMyWords(const QString& path) {
  const std::string bytes = ReadDocumentFile(path);
  try {
    return wordlist::ParseDictionary(bytes);
  } catch (const Error& e) {
    throw Error("dictionary " + path.toStdString() + ": " + e.what());
  }
}

}  // namespace

void TMainForm::LoadMyWords() {
  const QString path = context_.settings->MyWordsFile();
  // A file moved away or on a drive not mounted now is no error worth a box
  // at every start: one line says so, and Options can forget the file.
  if (!path.isEmpty() && !QFileInfo::exists(path)) {
    passes_->SetMyWords({});
    statusBar()->showMessage(tr("My Words file not found: %1").arg(path));
    return;
  }
  passes_->SetMyWords(path.isEmpty() ? wordlist::MyWords() : ReadMyWords(path));
}

void TMainForm::ClearMyWords() {
  context_.settings->SetMyWordsFile({});
  passes_->SetMyWords({});
  statusBar()->clearMessage();
}

void TMainForm::LoadNeverHyphenate() { passes_->SetNeverHyphenate(context_.settings->NeverHyphenate()); }

void TMainForm::EditNeverHyphenate() {
  const QString selectors =
      context_.dialogs->AskText(this, tr("Never hyphenate"), tr("Never hyphenate"), context_.settings->NeverHyphenate());
  if (selectors.isNull()) return;
  // Read first: selectors that cannot be used are reported and not remembered.
  passes_->SetNeverHyphenate(selectors);
  context_.settings->SetNeverHyphenate(selectors);
}

PageLanguage TMainForm::StoredLanguage() const {
  const PageLanguage stored = context_.settings->Language();
  if (!stored.Installed()) return stored;
  for (const InstalledLanguage& found : installed_languages_) {
    if (stored.Name() == found.tag) return stored;
  }
  return PageLanguage::kAutomatic;
}

void TMainForm::SetPageLanguage(const PageLanguage& language) {
  context_.settings->SetLanguage(language);
  passes_->SetLanguage(language);
}

void TMainForm::ChooseMyWordsFile() {
  const QString path = context_.dialogs->OpenFileName(this, tr("My Words") + "|*.txt;*.lst;*");
  if (path.isEmpty()) return;
  // Read first: a file that cannot be used is reported and not remembered.
  passes_->SetMyWords(ReadMyWords(path));
  context_.settings->SetMyWordsFile(path);
}

}  // namespace corvane::app
