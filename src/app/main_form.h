// The main window: one document in the editor, the menu and toolbar
// commands that act on it, the document state shown in the title, the tray
// icon, and the word list the passes look words up in.
//
// Document state: CurrentFileName ("noname.html" at first) and Modified;
// the title is "Corvane Html Hyphenator - [" + CurrentFileName + "]", with
// " *" after it while Modified. Any change of the editor's text sets
// Modified (TextChanged); Open, Save As and a saved prompt clear it. The
// state changes only after a successful write or load.
//
// Creating the window runs the start-up (FormCreate, main_form_startup.cc):
// the splash with the word-list check, the import window when needed, and
// the table opened. Every command reports failures through the default
// error handler (app/error_handler.h).
#ifndef CORVANE_APP_MAIN_FORM_H_
#define CORVANE_APP_MAIN_FORM_H_

#include <QMainWindow>
#include <QMap>
#include <memory>
#include <vector>

#include "app/app_context.h"
#include "app/editor_text.h"
#include "app/text_passes.h"
#include "html/pass_observer.h"
#include "wordlist/word_list_table.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;

namespace corvane::app {

class StatusWindow;
class TrayIcon;

inline constexpr const char* kNewFileName = "noname.html";
inline constexpr const char* kOpenFilter = "INTERNET|*.html;*.htm;*.xhtml;*.xht;*.asp;*.txt";
inline constexpr const char* kBookFilter = "EPUB|*.epub";
inline constexpr const char* kSaveFilter = "HTML File|*.html";
inline constexpr const char* kPreviewFileName = "TEMP.HTM";

class TMainForm : public QMainWindow, private html::PassObserver {
  Q_OBJECT

 public:
  explicit TMainForm(AppContext context, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The status window is created after the main window, by the main block.
  void SetStatusWindow(StatusWindow* window) { status_window_ = window; }

  const QString& CurrentFileName() const { return current_file_name_; }
  bool Modified() const { return modified_; }
  const DocumentFormat& Format() const { return format_; }
  QPlainTextEdit* Editor() const { return editor_; }
  QStatusBar* StatusBar() const;
  QToolBar* ToolBar() const { return tool_bar_; }
  wordlist::TWordList& WordList() { return *word_list_; }
  TrayIcon& Tray() { return *tray_icon_; }
  // A command by its component name ("HypenateFile2", "opentool", ...).
  QAction* Action(const QString& name) const;

  // Opens `path` as Open does after its dialog (the program's argument).
  void OpenFile(const QString& path);
  // A dropped file: opened, after the save prompt, once the drop has ended.
  void OpenDropped(const QMimeData* data);

  // Commands of the menus and the tool bar, named for what they do.
  void NewDocument();
  void OpenDocument();
  void OpenRecent(const QString& path);
  void Save();
  void SaveAs();
  // The tool button shows the status window first; the menu item does not.
  void HyphenateSelectionFromMenu();
  void HyphenateSelectionFromToolbar();
  void HyphenateDocument();
  void RebuildWordList();
  void HyphenateEbook();
  void Exit();
  void Copy();
  void Paste();
  void SelectAll();
  void Undo();
  void Redo();
  void Cut();
  void Find();
  void FindNext();
  void Replace();
  void GoToLine();
  void ZoomIn();
  void ZoomOut();
  void Preview();
  void ShowHelp();
  void OpenWebsite();
  void ShowAbout();
  void SetPageLanguage(const PageLanguage& language);
  // The languages Options > Language offers between Automatic and Turkish.
  const std::vector<InstalledLanguage>& InstalledLanguages() const { return installed_languages_; }
  void ChooseMyWordsFile();
  void ClearMyWords();
  void EditNeverHyphenate();
  // The editor's text changed: sets Modified.
  void TextChanged();
  void RestoreFromTray();

 signals:
  // The window has closed after its save prompt: the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  // A file dropped on the window or the editor opens as Open does.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // main_form_layout.cc
  void BuildWindow();
  void BuildMenus();
  void BuildToolBar();
  QAction* AddCommand(QMenu* menu, const QString& name, const QString& caption, const QString& hint,
                      void (TMainForm::*handler)());
  void BuildViewMenu();
  void RebuildRecentMenu();
  void UpdateFormatLabel();
  bool AcceptsDrop(const QMimeData* data) const;
  QAction* AddTool(const QString& name, const QString& caption, const QString& hint, const QString& picture,
                   void (TMainForm::*handler)());
  // main_form_startup.cc
  void FormCreate();
  void CheckDatabase();
  void OpenTable();
  void RunImport();
  void OfferRebuild();
  void LoadMyWords();
  void LoadNeverHyphenate();
  // The setting, or Automatic where it names a language no longer installed.
  PageLanguage StoredLanguage() const;
  // main_form.cc
  void SetState(const QString& file_name, bool modified);
  void UpdateTitle();
  QUrl HelpPage() const;
  // The save prompt; false when the command must stop: the user cancelled,
  // or wanted a save that did not happen.
  bool SavePrompt();
  // Writes to the document's own file, or asks for one; false when cancelled.
  bool SaveDocument();
  // The text as it is now is the saved one: undo back to it clears " *".
  void MarkClean();
  bool BackAtCleanText() const;
  // Writes the editor's text to `path`; throws on failure.
  void WriteDocument(const QString& path);
  // Asks for a name and writes there; false when cancelled.
  bool SaveAsDialog();
  QString SelectedText() const;
  void ReplaceSelection(const QString& text);
  void HyphenateSelection(html::SelectionCommand command);
  // One edit from `old_text`, the editor's text, to `new_text`.
  void ReplaceWholeText(const QString& old_text, const QString& new_text);

  // html::PassObserver
  void BeginBusy() override;
  void EndBusy() override;
  void SetStatusText(const std::string& text) override;
  void Beep() override;
  void ShowStatusWindow() override;
  void ResetStatistics() override;
  void SetProgress(int percent) override;
  void SetTotalWords(std::size_t count) override;
  void SetUniqueWords(std::size_t count) override;
  void SetWordsHyphenated(std::size_t count) override;
  void EnableDone() override;

  AppContext context_;
  QString current_file_name_;
  bool modified_ = false;
  qsizetype clean_length_ = -1;
  size_t clean_hash_ = 0;
  DocumentFormat format_;
  std::unique_ptr<wordlist::TWordList> word_list_;
  std::unique_ptr<TextPasses> passes_;
  std::vector<InstalledLanguage> installed_languages_;
  QPlainTextEdit* editor_ = nullptr;
  QToolBar* tool_bar_ = nullptr;
  TrayIcon* tray_icon_ = nullptr;
  StatusWindow* status_window_ = nullptr;
  QMap<QString, QAction*> actions_;
  QMenu* recent_menu_ = nullptr;
  QLabel* format_label_ = nullptr;
  QString last_find_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_MAIN_FORM_H_
