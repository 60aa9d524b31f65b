#include "app/user_settings.h"

namespace corvane::app {
namespace {

constexpr const char* kLanguageKey = "hyphenation/language";
constexpr const char* kMyWordsKey = "hyphenation/myWordsFile";
constexpr const char* kRecentKey = "files/recent";
constexpr const char* kGeometryKey = "window/geometry";
constexpr const char* kNeverHyphenateKey = "hyphenation/neverHyphenate";

}  // namespace

UserSettings::UserSettings() : settings_(std::make_unique<QSettings>()) {}

UserSettings::UserSettings(const QString& ini_file)
    : settings_(std::make_unique<QSettings>(ini_file, QSettings::IniFormat)) {}

PageLanguage UserSettings::Language() const {
  return PageLanguage::FromName(settings_->value(kLanguageKey).toString());
}

void UserSettings::SetLanguage(const PageLanguage& language) {
  settings_->setValue(kLanguageKey, language.Name());
  settings_->sync();
}

QString UserSettings::MyWordsFile() const { return settings_->value(kMyWordsKey).toString(); }

void UserSettings::SetMyWordsFile(const QString& path) {
  settings_->setValue(kMyWordsKey, path);
  settings_->sync();
}

QStringList UserSettings::RecentFiles() const { return settings_->value(kRecentKey).toStringList(); }

void UserSettings::AddRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kRecentFiles) files.removeLast();
  settings_->setValue(kRecentKey, files);
  settings_->sync();
}

QByteArray UserSettings::WindowGeometry() const { return settings_->value(kGeometryKey).toByteArray(); }

void UserSettings::SetWindowGeometry(const QByteArray& geometry) {
  settings_->setValue(kGeometryKey, geometry);
  settings_->sync();
}

QString UserSettings::NeverHyphenate() const { return settings_->value(kNeverHyphenateKey).toString(); }

void UserSettings::SetNeverHyphenate(const QString& selectors) {
  settings_->setValue(kNeverHyphenateKey, selectors);
  settings_->sync();
}

}  // namespace corvane::app
