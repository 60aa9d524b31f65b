#include <QDir>
#include <QAction>
#include <QClipboard>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/tray.h"
#include "app_test_util.h"

namespace corvane::app {
namespace {

const QString kTitle = "Corvane Html Hyphenator - [";

// Each menu's captions in order, "-" for a separator.
QStringList MenuCaptions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions()) captions << (action->isSeparator() ? "-" : action->text());
  return captions;
}

TEST_F(AppTest, NewWindowAfterStartUp) {
  TMainForm& form = Start();
  EXPECT_EQ(dialogs_.runs, QStringList({"SplashWindow", "ImportWindow"}));
  EXPECT_TRUE(form.WordList().IsOpen());
  EXPECT_EQ(form.windowTitle(), kTitle + "noname.html]");
  EXPECT_FALSE(form.Modified());
  EXPECT_EQ(form.size(), QSize(578, 383));
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(form.Editor()->toPlainText(),
            "To see how hyphenation works, select this text then click on the hyphenate \n"
            "button on the toolbar above.");
  EXPECT_EQ(form.Tray().ToolTip(), "CORVANE HTML HYPENATOR");
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
}

TEST_F(AppTest, MenusAndToolbarInOrder) {
  TMainForm& form = Start();
  QStringList menus;
  for (const QAction* action : form.menuBar()->actions()) menus << action->text();
  ASSERT_EQ(menus, QStringList({"&File", "&Edit", "&View", "&Options", "&Help"}));
  const QList<QAction*> bar = form.menuBar()->actions();
  EXPECT_EQ(MenuCaptions(bar[0]->menu()),
            QStringList({"&New", "&Open...", "Recent &Files", "&Save", "&Save As...", "H&ypenate Selected Text",
                         "Hy&penate All", "Hyphenate E-book...", "-", "&Recreate Word List Database", "-", "&Exit"}));
  EXPECT_EQ(MenuCaptions(bar[1]->menu()),
            QStringList({"&Undo", "&Redo", "-", "Cu&t", "&Copy", "&Paste", "-", "&Select All", "-", "&Find...",
                         "Find &Next", "&Replace...", "&Go to Line..."}));
  EXPECT_EQ(MenuCaptions(bar[2]->menu()), QStringList({"Zoom &In", "Zoom &Out"}));
  EXPECT_EQ(MenuCaptions(bar[3]->menu()),
            QStringList({"&Language", "&My Words File...", "&Never hyphenate...", "&Clear My Words File"}));
  // The languages installed on the machine stand between Automatic and Turkish.
  QStringList languages = {"&Automatic (from the page)", "-"};
  for (const InstalledLanguage& found : form.InstalledLanguages()) languages << found.name;
  if (!form.InstalledLanguages().empty()) languages << "-";
  EXPECT_EQ(MenuCaptions(bar[3]->menu()->actions()[0]->menu()), languages + QStringList({"&Turkish", "&English"}));
  EXPECT_EQ(MenuCaptions(bar[4]->menu()),
            QStringList({"Corvane &HTML HYPHENATOR Help", "-", "&Corvane HTML HYPHENATOR Home Page", "-", "&About"}));
  // The shortcuts people expect of an editor.
  const std::pair<const char*, QKeySequence> kShortcuts[] = {
      {"New1", Qt::CTRL | Qt::Key_N},  {"HypenateFile2", Qt::CTRL | Qt::Key_O}, {"SaveDocument1", Qt::CTRL | Qt::Key_S},
      {"Exit2", Qt::CTRL | Qt::Key_Q}, {"Find1", Qt::CTRL | Qt::Key_F},         {"Replace1", Qt::CTRL | Qt::Key_H},
      {"GoToLine1", Qt::CTRL | Qt::Key_G}, {"Undo1", Qt::CTRL | Qt::Key_Z},     {"Redo1", Qt::CTRL | Qt::Key_Y},
      {"ZoomIn1", Qt::CTRL | Qt::Key_Plus}, {"ZoomOut1", Qt::CTRL | Qt::Key_Minus}, {"Topics1", Qt::Key_F1},
  };
  for (const auto& [name, keys] : kShortcuts) EXPECT_EQ(form.Action(name)->shortcut(), keys) << name;
  QStringList tools;
  for (QAction* action : form.ToolBar()->actions()) {
    tools << (action->isSeparator() ? "-" : action->iconText());
    if (!action->isSeparator()) {
      EXPECT_EQ(form.ToolBar()->widgetForAction(action)->size(), QSize(59, 36)) << action->iconText().toStdString();
    }
  }
  EXPECT_EQ(tools, QStringList({"Open File", "Save As...", "-", "Hyphenate", "-", "Copy", "Paste", "Select All", "-",
                                "Preview"}));
}

TEST_F(AppTest, EveryCommandShowsItsHintInTheStatusBar) {
  TMainForm& form = Start();
  const struct {
    const char* name;
    const char* hint;
  } kHints[] = {
      {"HypenateFile2", "Open a html or text file to start hyphenation."},
      {"saveastool", "Save text to a file. This can be the file you opened, or if you pasted something to the "
                     "textarea you can save that as a new file."},
      {"Save1", "Hyphenate text selected with mouse our cursor in the textarea. If text contains hyphenation "
                "mark the the text is unhyphenated."},
      {"HypenateText1", "Hyphenate the whole textarea."},
      {"RecreateWordListDatabase1", "In the unlikely event that the hyphenation word list should be broken you "
                                    "can recreate the database with this function."},
      {"Exit2", "Exit Corvane HTML Hyphenator"},
      {"copytool", "Copy selected text to clipboard."},
      {"Paste1", "Paste clipboard text into the textarea at the cursor location."},
      {"selectalltool", "Select all text in textarea."},
      {"Topics1", "Open Corvane HTML Hyphenator help page."},
      {"CorvaneWebsite1", "Open Corvane HTML Hyphenator's home page, the help page that comes with it."},
      {"About2", "About Corvane HTML Hyphenator."},
      {"previewtool", "Preview current text in your default browser."},
      {"MyWordsFile1", "Choose a file of your own marked words (such as ki_tap, one per line), consulted before "
                       "the word list."},
  };
  for (const auto& c : kHints) {
    QAction* action = form.Action(c.name);
    ASSERT_NE(action, nullptr) << c.name;
    EXPECT_EQ(action->toolTip(), c.hint) << c.name;
    action->showStatusText(form.StatusBar());
    EXPECT_EQ(form.StatusBar()->currentMessage(), c.hint) << c.name;
  }
}

TEST_F(AppTest, TitleFollowsTypingOpeningAndSaving) {
  TMainForm& form = Start();
  form.Editor()->insertPlainText("x");
  EXPECT_EQ(form.windowTitle(), kTitle + "noname.html] *");

  WriteFile("page.html", "<p>kitap</p>\r\n");
  dialogs_.confirm_answers = {false};
  dialogs_.open_answers = {Path("page.html")};
  form.OpenDocument();
  EXPECT_EQ(form.windowTitle(), kTitle + Path("page.html") + "]");
  EXPECT_EQ(form.Editor()->toPlainText(), "<p>kitap</p>\n");

  dialogs_.save_answers = {Path("copy.html")};
  form.Editor()->insertPlainText("y");
  form.SaveAs();
  EXPECT_EQ(dialogs_.proposed_names.last(), Path("page.html"));
  EXPECT_EQ(form.windowTitle(), kTitle + Path("copy.html") + "]");
  EXPECT_EQ(ReadFile("copy.html"), "y<p>kitap</p>\r\n");  // CR LF kept
}

// The save prompt on Open, each answer and outcome.
TEST_F(AppTest, SavePromptBranches) {
  const struct {
    const char* what;
    bool named;           // the document has a file of its own
    bool yes;             // the answer to "Save changes to ... ?"
    QString save_as;      // the Save As answer for a new document ("" cancels)
    bool open_dialog;     // Open went on to its dialog
    const char* written;  // the file that holds the text afterwards, if any
    bool modified;
  } kCases[] = {
      {"No: nothing written", true, false, "", true, nullptr, true},
      {"Yes: written to its file", true, true, "", true, "doc.html", false},
      {"Yes on a new document asks for a name", false, true, "new.html", true, "new.html", false},
      {"Yes, name cancelled: the command stops", false, true, "", false, nullptr, true},
      {"Yes, the write fails: the command stops", false, true, "missing/new.html", false, nullptr, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    WriteFile("doc.html", "old");
    TMainForm& form = Start();
    if (c.named) {
      dialogs_.open_answers = {Path("doc.html")};
      form.OpenDocument();
    }
    const QString name = form.CurrentFileName();
    form.Editor()->setPlainText("new text");
    dialogs_.questions.clear();
    dialogs_.confirm_answers = {c.yes};
    dialogs_.save_answers = {c.save_as.isEmpty() ? QString() : Path(c.save_as)};
    dialogs_.open_answers = {};  // the open dialog is cancelled
    const int errors = errors_.size();
    dialogs_.open_calls = 0;
    RunGuarded([&] { form.OpenDocument(); });
    EXPECT_EQ(dialogs_.questions, QStringList("Confirm: Save changes to " + name + " ?"));
    EXPECT_EQ(dialogs_.open_calls, c.open_dialog ? 1 : 0);
    if (c.written != nullptr) {
      EXPECT_EQ(ReadFile(c.written), "new text");
    } else if (c.named) {
      EXPECT_EQ(ReadFile("doc.html"), "old");
    }
    EXPECT_EQ(form.Modified(), c.modified);
    EXPECT_EQ(form.CurrentFileName(), c.written != nullptr && !c.named ? Path(c.written) : name);
    EXPECT_EQ(errors_.size() > errors, c.save_as.startsWith("missing"));
  }
}

TEST_F(AppTest, ClosingRunsTheSavePrompt) {
  TMainForm& form = Start();
  form.show();
  form.Editor()->setPlainText("unsaved");
  dialogs_.confirm_answers = {true};
  dialogs_.save_answers = {};  // a new document's name is asked for, then cancelled
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  dialogs_.confirm_answers = {false};
  EXPECT_TRUE(form.close());
}

TEST_F(AppTest, FailedSaveAsLeavesTheState) {
  TMainForm& form = Start();
  form.Editor()->setPlainText("text");
  for (const char* name : {"Save2", "saveastool"}) {
    dialogs_.save_answers = {Path("missing/x.html")};
    form.Action(name)->trigger();
    EXPECT_EQ(form.CurrentFileName(), "noname.html") << name;
    EXPECT_TRUE(form.Modified()) << name;
  }
  const QString message = "Cannot create file " + Path("missing/x.html") + "\nNo such file or directory.";
  EXPECT_EQ(errors_, QStringList({message, message}));
}

TEST_F(AppTest, PreviewHelpAndHomePageGoThroughTheShell) {
  TMainForm& form = Start();
  form.Editor()->setPlainText("<p>first</p>");
  form.Preview();
  form.Editor()->setPlainText("<p>second</p>");
  const QString title = form.windowTitle();
  form.Preview();
  EXPECT_EQ(ReadFile("TEMP.HTM"), "<p>second</p>");
  EXPECT_EQ(form.windowTitle(), title);
  EXPECT_TRUE(form.Modified());
  form.ShowHelp();
  form.OpenWebsite();
  ASSERT_EQ(shell_.opened.size(), 4);
  EXPECT_EQ(shell_.opened[1], QUrl::fromLocalFile(Path("TEMP.HTM")));
  EXPECT_EQ(shell_.opened[2], QUrl::fromLocalFile(Path("help/help.html")));
  EXPECT_EQ(shell_.opened[3], shell_.opened[2]);  // the home page is the help page
}

// The preview copy finds the page's stylesheet and pictures in the
// document's folder.
TEST_F(AppTest, PreviewCopyResolvesBesideTheDocument) {
  const struct {
    const char* page;
    const char* copy;  // with DIR for the document's folder address
  } kCases[] = {
      {"<html><HEAD lang=tr><link href=a.css></head>", "<html><HEAD lang=tr><base href=\"DIR\"><link href=a.css></head>"},
      {"<html><body><img src=p.png>", "<html><base href=\"DIR\"><body><img src=p.png>"},
      {"<p>x</p>", "<base href=\"DIR\"><p>x</p>"},
      {"<head><BASE href=\"http://e.org/\"></head>", "<head><BASE href=\"http://e.org/\"></head>"},
  };
  QDir(dir_.path()).mkdir("my site");
  const QString dir = QUrl::fromLocalFile(Path("my site/")).toString(QUrl::FullyEncoded);
  EXPECT_TRUE(dir.contains("my%20site/"));
  for (const auto& c : kCases) {
    WriteFile("my site/page.html", c.page);
    TMainForm& form = Start();
    form.OpenFile(Path("my site/page.html"));
    form.Preview();
    EXPECT_EQ(QString::fromStdString(ReadFile("TEMP.HTM")), QString(c.copy).replace("DIR", dir));
    EXPECT_EQ(ReadFile("my site/page.html"), c.page);
  }
}

TEST_F(AppTest, ClipboardCommands) {
  TMainForm& form = Start();
  form.Editor()->setPlainText("one two");
  QApplication::clipboard()->setText("old");
  form.Action("copytool")->trigger();  // nothing selected
  EXPECT_EQ(QApplication::clipboard()->text(), "");
  form.Action("SelectAll1")->trigger();
  form.Action("Copy1")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "one two");
  form.Action("pastetool")->trigger();  // replaces the selection
  form.Action("Paste1")->trigger();
  EXPECT_EQ(form.Editor()->toPlainText(), "one twoone two");
}

TEST_F(AppTest, TrayAnimationCyclesItsFrames) {
  TMainForm& form = Start();
  QList<int> frames;
  for (int i = 0; i < 5; ++i) {
    frames << form.Tray().Frame();
    form.Tray().Step();
  }
  EXPECT_EQ(frames, QList<int>({0, 1, 2, 3, 0}));
}

}  // namespace
}  // namespace corvane::app
