#include "app/editor_factory.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextEdit>

#include "editor/draw_rules.h"
#include "memo/color_memo.h"

namespace corvane::app {
namespace {

QFont EditorFont() {
  QFont font("Courier New", 8);
  font.setStyleHint(QFont::TypeWriter);
  if (QFontInfo(font).fixedPitch()) return font;
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(8);
  return fixed;
}

}  // namespace

QPlainTextEdit* CreateEditor(QWidget* parent) {
  auto* editor = new memo::TColorMemo(parent);
  editor->SetColorRules(corvane::editor::MainWindowRules());
  editor->setFont(EditorFont());
  editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return editor;
}

}  // namespace corvane::app
