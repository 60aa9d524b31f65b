// Makes the main window's editor: the colour memo with the main window's
// colour rules. The one place that names the editor's class: the main window
// uses only QPlainTextEdit's interface.
#ifndef CORVANE_APP_EDITOR_FACTORY_H_
#define CORVANE_APP_EDITOR_FACTORY_H_

class QPlainTextEdit;
class QWidget;

namespace corvane::app {

// "Courier New" of 8 points, or the closest monospace font present; a
// vertical scroll bar always shown.
QPlainTextEdit* CreateEditor(QWidget* parent);

}  // namespace corvane::app

#endif  // CORVANE_APP_EDITOR_FACTORY_H_
