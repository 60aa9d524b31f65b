// The user's choices kept between runs: the page language, the file of
// the user's own marked words and the elements never hyphenated. Stored with QSettings (the desktop's usual
// place), or in a given file for tests.
#ifndef CORVANE_APP_USER_SETTINGS_H_
#define CORVANE_APP_USER_SETTINGS_H_

#include <QSettings>
#include <QString>
#include <memory>

#include "app/page_language.h"

namespace corvane::app {

inline constexpr int kRecentFiles = 8;

class UserSettings {
 public:
  UserSettings();                                // the desktop's place
  explicit UserSettings(const QString& ini_file);  // a file of its own

  PageLanguage Language() const;
  void SetLanguage(const PageLanguage& language);
  // Empty when none is chosen.
  QString MyWordsFile() const;
  void SetMyWordsFile(const QString& path);
  // Most recent first, at most kRecentFiles.
  QStringList RecentFiles() const;
  void AddRecentFile(const QString& path);
  // The main window's place and size; empty at first.
  QByteArray WindowGeometry() const;
  void SetWindowGeometry(const QByteArray& geometry);
  // The selectors of elements never hyphenated; empty when none.
  QString NeverHyphenate() const;
  void SetNeverHyphenate(const QString& selectors);

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_USER_SETTINGS_H_
