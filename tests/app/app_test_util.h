// A main window in a fresh folder, with dialogs and shell that answer from
// scripts and record what they were asked, and timers shortened.
#ifndef CORVANE_TESTS_APP_APP_TEST_UTIL_H_
#define CORVANE_TESTS_APP_APP_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>

#include "app/app_context.h"
#include "app/error_handler.h"
#include "app/main_form.h"
#include "app/status_window.h"
#include "platform/file_io.h"
#include "wordlist/line_cipher.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace corvane::app {

class FakeDialogs : public Dialogs {
 public:
  std::deque<QString> open_answers, save_answers;
  std::deque<bool> confirm_answers;
  std::deque<Answer> answers;  // for the three-way prompt; else confirm_answers
  std::deque<QString> text_answers;
  QStringList questions, proposed_names, runs, messages;
  int open_calls = 0;

  QString OpenFileName(QWidget*, const QString&) override {
    ++open_calls;
    return Pop(open_answers, QString());
  }
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString& proposed) override {
    proposed_names << proposed;
    return Pop(save_answers, QString());
  }
  bool Confirm(QWidget*, const QString& caption, const QString& question) override {
    questions << caption + ": " + question;
    return Pop(confirm_answers, false);
  }
  Answer ConfirmOrCancel(QWidget* parent, const QString& caption, const QString& question) override {
    if (answers.empty()) return Confirm(parent, caption, question) ? Answer::kYes : Answer::kNo;
    questions << caption + ": " + question;
    return Pop(answers, Answer::kCancel);
  }
  void ShowError(QWidget*, const QString&) override {}
  QString AskText(QWidget*, const QString&, const QString&, const QString&) override {
    return Pop(text_answers, QString());
  }
  void ShowMessage(QWidget*, const QString&, const QString& message) override { messages << message; }
  // Runs the timer-driven windows for real; presses the import window's
  // "&Finished" once it is enabled; closes anything else at once.
  void Exec(QDialog& dialog) override {
    const QString name = dialog.metaObject()->className();
    runs << name.section("::", -1);
    if (name.endsWith("ImportWindow")) {
      auto* button = dialog.findChild<QPushButton*>("Button1");
      QTimer finish;
      QObject::connect(&finish, &QTimer::timeout, [button] {
        if (button->isEnabled()) button->click();
      });
      finish.start(2);
      dialog.exec();
    } else if (name.endsWith("SplashWindow")) {
      dialog.exec();
    }
  }

 private:
  template <typename T>
  static T Pop(std::deque<T>& answers, T otherwise) {
    if (answers.empty()) return otherwise;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class FakeShell : public Shell {
 public:
  QList<QUrl> opened;
  void Open(const QUrl& url) override { opened << url; }
};

class AppTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
  }

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    settings_ = std::make_unique<UserSettings>(Path("settings.ini"));
    SetErrorSink([this](const QString& message) { errors_ << message; });
    WriteList({"mer_ha_ba", "d\xFCn_ya", "ki_tap", "bir", "ki_tap_lar"});
  }
  void TearDown() override {
    status_.reset();
    form_.reset();
    SetErrorSink({});
  }

  QString Path(const QString& name) const { return dir_.filePath(name); }
  std::string StdPath(const QString& name) const { return Path(name).toStdString(); }

  void WriteList(const std::vector<std::string>& marked) {
    std::string text;
    for (std::size_t i = 0; i < marked.size(); ++i) {
      text += wordlist::LineCipher::Encode(marked[i], "", static_cast<uint8_t>(i)) + "\r\n";
    }
    WriteFile("cvhype.lst", text);
  }
  void WriteFile(const QString& name, const std::string& bytes) {
    platform::WriteFileAtomically(StdPath(name), bytes);
  }
  std::string ReadFile(const QString& name) const { return platform::ReadFile(StdPath(name)); }

  AppContext Context() {
    AppContext context;
    context.dialogs = &dialogs_;
    context.shell = &shell_;
    context.settings = settings_.get();
    context.word_list = {StdPath("CVHYPLIST.EDB"), StdPath("cvhype.lst"), {}};
    context.data_dir = dir_.path().toStdString() + "/";
    context.user_dir = context.data_dir;
    context.timings = {5, 5, 400};
    if (adjust_context_) adjust_context_(context);
    return context;
  }

  // The main block's part: the main window, then the status window.
  TMainForm& Start() {
    status_.reset();
    form_.reset();
    dialogs_.runs.clear();
    form_ = std::make_unique<TMainForm>(Context());
    status_ = std::make_unique<StatusWindow>(form_.get());
    form_->SetStatusWindow(status_.get());
    return *form_;
  }

  QTemporaryDir dir_;
  std::function<void(AppContext&)> adjust_context_;  // before Start()
  FakeDialogs dialogs_;
  FakeShell shell_;
  std::unique_ptr<UserSettings> settings_;
  QStringList errors_;
  std::unique_ptr<TMainForm> form_;
  std::unique_ptr<StatusWindow> status_;
};

}  // namespace corvane::app

#endif  // CORVANE_TESTS_APP_APP_TEST_UTIL_H_
