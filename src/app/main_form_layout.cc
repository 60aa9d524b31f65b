// The main window's composition: menu bar, toolbar, instruction panel,
// editor and status bar, with every command's caption and hint.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenuBar>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/editor_factory.h"
#include "app/error_handler.h"
#include "app/main_form.h"
#include "app/pictures.h"
#include "app/tray.h"
#include "memo/color_memo.h"
#include "memo/readable_colour.h"

namespace corvane::app {
namespace {

constexpr int kWindowWidth = 578;
constexpr int kWindowHeight = 383;
constexpr QSize kToolButtonSize(59, 36);

QLabel* InstructionPanel(QWidget* parent) {
  auto* panel = new QLabel(
      TMainForm::tr("To hyphenate any part of the text, you have to select it then press the hyphenate button. \n"
                    "To remove hyphenation marks, just select the text and click on hyphenation button again."),
      parent);
  panel->setObjectName("Panel1");
  panel->setAutoFillBackground(true);
  QPalette colours = panel->palette();
  // White on the button-shadow colour, darkened where the theme's shadow is
  // too pale for white text to be read.
  const QColor white(Qt::white);
  colours.setColor(QPalette::Window, memo::ReadableOn(colours.color(QPalette::Dark), white));
  colours.setColor(QPalette::WindowText, white);
  panel->setPalette(colours);
  panel->setContentsMargins(6, 3, 6, 3);
  return panel;
}

}  // namespace

void TMainForm::BuildWindow() {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  resize(kWindowWidth, kWindowHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - QPoint(kWindowWidth / 2, kWindowHeight / 2));
  }
  BuildMenus();
  BuildToolBar();
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(InstructionPanel(central));
  editor_ = CreateEditor(central);
  editor_->setObjectName("Memo1");
  editor_->setPlainText(
      tr("To see how hyphenation works, select this text then click on the hyphenate \n"
         "button on the toolbar above."));
  layout->addWidget(editor_, 1);
  setCentralWidget(central);
  connect(editor_, &QPlainTextEdit::textChanged, this, [this] { TextChanged(); });
  statusBar()->setObjectName("StatusBar1");
  statusBar()->setSizeGripEnabled(false);
  format_label_ = new QLabel(this);
  format_label_->setObjectName("DocumentFormat");
  statusBar()->addPermanentWidget(format_label_);
  if (auto* memo = qobject_cast<memo::TColorMemo*>(editor_)) memo->SetLineNumbers(true);
  setAcceptDrops(true);
  editor_->installEventFilter(this);
  editor_->viewport()->installEventFilter(this);
  connect(editor_, &QPlainTextEdit::undoAvailable, Action("Undo1"), &QAction::setEnabled);
  connect(editor_, &QPlainTextEdit::redoAvailable, Action("Redo1"), &QAction::setEnabled);
  tray_icon_ = new TrayIcon(context_.timings.tray_frame_ms, this);
  tray_icon_->OnRestore = [this] { RestoreFromTray(); };
}

QAction* TMainForm::AddCommand(QMenu* menu, const QString& name, const QString& caption, const QString& hint,
                               void (TMainForm::*handler)()) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  action->setStatusTip(hint);
  action->setToolTip(hint);
  if (handler != nullptr) {
    connect(action, &QAction::triggered, this, Guarded([this, handler] { (this->*handler)(); }));
  }
  if (menu != nullptr) menu->addAction(action);
  actions_.insert(name, action);
  return action;
}

QAction* TMainForm::AddTool(const QString& name, const QString& caption, const QString& hint,
                            const QString& picture, void (TMainForm::*handler)()) {
  QAction* action = AddCommand(nullptr, name, caption, hint, handler);
  action->setIcon(PictureIcon(picture));
  action->setIconText(caption);  // as written: Qt would drop the "..." of "Save As..."
  tool_bar_->addAction(action);
  if (auto* button = qobject_cast<QToolButton*>(tool_bar_->widgetForAction(action))) {
    button->setFixedSize(kToolButtonSize);
  }
  return action;
}

void TMainForm::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  AddCommand(file, "New1", tr("&New"), tr("Start a new, empty document."), &TMainForm::NewDocument)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  AddCommand(file, "HypenateFile2", tr("&Open..."), tr("Open a html or text file to start hyphenation."),
             &TMainForm::OpenDocument)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  recent_menu_ = file->addMenu(tr("Recent &Files"));
  recent_menu_->menuAction()->setObjectName("RecentFiles1");
  recent_menu_->menuAction()->setStatusTip(tr("Open one of the files you opened or saved lately."));
  actions_.insert("RecentFiles1", recent_menu_->menuAction());
  connect(recent_menu_, &QMenu::aboutToShow, this, [this] { RebuildRecentMenu(); });
  AddCommand(file, "SaveDocument1", tr("&Save"), tr("Save the text to its file."), &TMainForm::Save)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  AddCommand(file, "Save2", tr("&Save As..."),
             tr("Save text to a file. This can be the file you opened, or if you pasted something to the textarea "
             "you can save that as a new file."),
             &TMainForm::SaveAs);
  AddCommand(file, "Save1", tr("H&ypenate Selected Text"),
             tr("Hyphenate text selected with mouse our cursor in the textarea. If text contains hyphenation mark "
             "the the text is unhyphenated."),
             &TMainForm::HyphenateSelectionFromMenu);
  AddCommand(file, "HypenateText1", tr("Hy&penate All"), tr("Hyphenate the whole textarea."),
             &TMainForm::HyphenateDocument);
  AddCommand(file, "HyphenateEbook1", tr("Hyphenate E-book..."),
             tr("Hyphenate every chapter of an EPUB book into a new book beside it."),
             &TMainForm::HyphenateEbook);
  file->addSeparator();
  AddCommand(file, "RecreateWordListDatabase1", tr("&Recreate Word List Database"),
             tr("In the unlikely event that the hyphenation word list should be broken you can recreate the "
             "database with this function."),
             &TMainForm::RebuildWordList);
  file->addSeparator();
  AddCommand(file, "Exit2", tr("&Exit"), tr("Exit Corvane HTML Hyphenator"), &TMainForm::Exit)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  QAction* undo = AddCommand(edit, "Undo1", tr("&Undo"), tr("Take back the last change."), &TMainForm::Undo);
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  undo->setEnabled(false);
  QAction* redo = AddCommand(edit, "Redo1", tr("&Redo"), tr("Make the change taken back again."), &TMainForm::Redo);
  redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  redo->setEnabled(false);
  edit->addSeparator();
  AddCommand(edit, "Cut1", tr("Cu&t"), tr("Move selected text to clipboard."), &TMainForm::Cut)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  AddCommand(edit, "Copy1", tr("&Copy"), tr("Copy selected text to clipboard."), &TMainForm::Copy);
  AddCommand(edit, "Paste1", tr("&Paste"), tr("Paste clipboard text into the textarea at the cursor location."),
             &TMainForm::Paste);
  edit->addSeparator();
  AddCommand(edit, "SelectAll1", tr("&Select All"), tr("Select all text in textarea."), &TMainForm::SelectAll);
  edit->addSeparator();
  AddCommand(edit, "Find1", tr("&Find..."), tr("Find a text in the textarea."), &TMainForm::Find)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  AddCommand(edit, "FindNext1", tr("Find &Next"), tr("Find the same text again, further on."), &TMainForm::FindNext)
      ->setShortcut(QKeySequence(Qt::Key_F3));
  AddCommand(edit, "Replace1", tr("&Replace..."), tr("Replace a text everywhere in the textarea."),
             &TMainForm::Replace)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  AddCommand(edit, "GoToLine1", tr("&Go to Line..."), tr("Move the cursor to a line by its number."),
             &TMainForm::GoToLine)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));

  QMenu* view = menuBar()->addMenu(tr("&View"));
  AddCommand(view, "ZoomIn1", tr("Zoom &In"), tr("Show the text larger."), &TMainForm::ZoomIn)
      ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  AddCommand(view, "ZoomOut1", tr("Zoom &Out"), tr("Show the text smaller."), &TMainForm::ZoomOut)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));

  QMenu* options = menuBar()->addMenu(tr("&Options"));
  QMenu* language = options->addMenu(tr("&Language"));
  language->menuAction()->setObjectName("Language1");
  language->menuAction()->setStatusTip(tr("Choose the language of the pages you hyphenate."));
  actions_.insert("Language1", language->menuAction());
  auto* languages = new QActionGroup(this);
  const PageLanguage chosen = StoredLanguage();
  const auto add_language = [&](const QString& name, const QString& caption, const QString& hint,
                                const PageLanguage& which) {
    QAction* action = AddCommand(language, name, caption, hint, nullptr);
    action->setCheckable(true);
    action->setChecked(which == chosen);
    languages->addAction(action);
    connect(action, &QAction::triggered, this, Guarded([this, which] { SetPageLanguage(which); }));
  };
  add_language("Automatic1", tr("&Automatic (from the page)"),
               tr("Tell the language of each page from the page itself."), PageLanguage::kAutomatic);
  language->addSeparator();
  for (const InstalledLanguage& found : installed_languages_) {
    add_language("Language-" + found.tag, found.name, tr("Hyphenate every page as %1.").arg(found.name),
                 PageLanguage::FromName(found.tag));
  }
  if (!installed_languages_.empty()) language->addSeparator();
  add_language("Turkish1", tr("&Turkish"), tr("Hyphenate every page as Turkish."), PageLanguage::kTurkish);
  add_language("English1", tr("&English"), tr("Hyphenate every page as English."), PageLanguage::kEnglish);
  AddCommand(options, "MyWordsFile1", tr("&My Words File..."),
             tr("Choose a file of your own marked words (such as ki_tap, one per line), consulted before the word "
             "list."),
             &TMainForm::ChooseMyWordsFile);
  AddCommand(options, "NeverHyphenate1", tr("&Never hyphenate..."),
             tr("Elements whose text is never hyphenated, as selectors: h1, .legal, #toc, [lang=la], p.note."),
             &TMainForm::EditNeverHyphenate);
  AddCommand(options, "ClearMyWords1", tr("&Clear My Words File"), tr("Stop using a file of your own marked words."),
             &TMainForm::ClearMyWords);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  AddCommand(help, "Topics1", tr("Corvane &HTML HYPHENATOR Help"), tr("Open Corvane HTML Hyphenator help page."),
             &TMainForm::ShowHelp)
      ->setShortcut(QKeySequence(Qt::Key_F1));
  help->addSeparator();
  AddCommand(help, "CorvaneWebsite1", tr("&Corvane HTML HYPHENATOR Home Page"),
             tr("Open Corvane HTML Hyphenator's home page, the help page that comes with it."),
             &TMainForm::OpenWebsite);
  help->addSeparator();
  AddCommand(help, "About2", tr("&About"), tr("About Corvane HTML Hyphenator."), &TMainForm::ShowAbout);
}

void TMainForm::UpdateFormatLabel() {
  format_label_->setText(QString(format_.utf8 ? (format_.bom ? "UTF-8 BOM" : "UTF-8") : "Windows-1254") + "  " +
                         (format_.crlf ? "CR LF" : "LF"));
}

void TMainForm::BuildToolBar() {
  tool_bar_ = addToolBar("ToolBar1");
  tool_bar_->setObjectName("ToolBar1");
  tool_bar_->setMovable(false);
  tool_bar_->setFloatable(false);
  tool_bar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  tool_bar_->setIconSize(QSize(16, 16));
  // Captions such as "Hyphenate" fit the 59-pixel buttons in a small font.
  QFont small = tool_bar_->font();
  small.setPointSize(7);
  tool_bar_->setFont(small);
  tool_bar_->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  AddTool("opentool", tr("Open File"), tr("Open a html or text file to start hyphenation."), "open",
          &TMainForm::OpenDocument);
  AddTool("saveastool", tr("Save As..."),
          tr("Save text to a file. This can be the file you opened, or if you pasted something to the textarea you "
          "can save that as a new file."),
          "saveas", &TMainForm::SaveAs);
  tool_bar_->addSeparator();
  AddTool("hyphenatetool", tr("Hyphenate"),
          tr("Hyphenate text selected with mouse our cursor in the textarea. If text contains hyphenation mark the "
          "the text is unhyphenated."),
          "hyphenate", &TMainForm::HyphenateSelectionFromToolbar);
  tool_bar_->addSeparator();
  AddTool("copytool", tr("Copy"), tr("Copy selected text to clipboard."), "copy", &TMainForm::Copy);
  AddTool("pastetool", tr("Paste"), tr("Paste clipboard text into the textarea at the cursor location."), "paste",
          &TMainForm::Paste);
  AddTool("selectalltool", tr("Select All"), tr("Select all text in textarea."), "selectall",
          &TMainForm::SelectAll);
  tool_bar_->addSeparator();
  // Preview has no menu item; F5 reaches it from the keyboard.
  AddTool("previewtool", tr("Preview"), tr("Preview current text in your default browser."), "preview",
          &TMainForm::Preview)
      ->setShortcut(QKeySequence(Qt::Key_F5));
}

}  // namespace corvane::app
