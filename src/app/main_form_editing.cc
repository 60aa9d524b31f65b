// The editing commands every editor has: New, Recent Files, Undo and Redo,
// Cut, Find, Replace, Go to Line, zoom, and files dropped on the window.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "app/error_handler.h"
#include "app/main_form.h"

namespace corvane::app {

void TMainForm::NewDocument() {
  if (!SavePrompt()) return;
  editor_->clear();
  format_ = DocumentFormat();
  SetState(kNewFileName, false);
}

void TMainForm::OpenRecent(const QString& path) {
  if (!SavePrompt()) return;
  OpenFile(path);
}

void TMainForm::RebuildRecentMenu() {
  recent_menu_->clear();
  const QStringList files = context_.settings->RecentFiles();
  for (int i = 0; i < files.size(); ++i) {
    const QString path = files[i];
    QAction* action = recent_menu_->addAction(QString("&%1 %2").arg(i + 1).arg(path));
    action->setStatusTip(path);
    connect(action, &QAction::triggered, this, Guarded([this, path] { OpenRecent(path); }));
  }
  recent_menu_->setEnabled(!files.isEmpty());
}

void TMainForm::Undo() { editor_->undo(); }

void TMainForm::Redo() { editor_->redo(); }

void TMainForm::Cut() { editor_->cut(); }

void TMainForm::Find() {
  const QString text = context_.dialogs->AskText(this, tr("Find"), tr("Find what:"), last_find_);
  if (text.isEmpty()) return;
  last_find_ = text;
  FindNext();
}

void TMainForm::FindNext() {
  if (last_find_.isEmpty()) {
    Find();
    return;
  }
  if (editor_->find(last_find_)) return;
  // From the top once more, as people expect of a search that reached the end.
  QTextCursor found = editor_->document()->find(last_find_, 0);
  if (found.isNull()) {
    statusBar()->showMessage(tr("\"%1\" was not found.").arg(last_find_));
    return;
  }
  editor_->setTextCursor(found);
}

void TMainForm::Replace() {
  const QString find = context_.dialogs->AskText(this, tr("Replace"), tr("Find what:"), last_find_);
  if (find.isEmpty()) return;
  last_find_ = find;
  const QString with = context_.dialogs->AskText(this, tr("Replace"), tr("Replace with:"), QString());
  if (with.isNull()) return;
  int count = 0;
  QTextCursor edit(editor_->document());
  edit.beginEditBlock();  // one undo step for the lot
  for (QTextCursor found = editor_->document()->find(find, 0); !found.isNull();
       found = editor_->document()->find(find, found)) {
    found.insertText(with);
    ++count;
  }
  edit.endEditBlock();
  statusBar()->showMessage(tr("%1 replaced.").arg(count));
}

void TMainForm::GoToLine() {
  const int lines = editor_->document()->blockCount();
  const QString answer =
      context_.dialogs->AskText(this, tr("Go to Line"), tr("Line number (1 to %1):").arg(lines), QString());
  if (answer.isEmpty()) return;
  bool ok = false;
  const int line = answer.trimmed().toInt(&ok);
  if (!ok || line < 1 || line > lines) {
    statusBar()->showMessage(tr("There is no line %1.").arg(answer.trimmed()));
    return;
  }
  editor_->setTextCursor(QTextCursor(editor_->document()->findBlockByNumber(line - 1)));
  editor_->centerCursor();
}

void TMainForm::ZoomIn() { editor_->zoomIn(1); }

void TMainForm::ZoomOut() {
  if (editor_->font().pointSize() > 4) editor_->zoomOut(1);
}

bool TMainForm::AcceptsDrop(const QMimeData* data) const {
  return data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile();
}

void TMainForm::OpenDropped(const QMimeData* data) {
  const QString path = data->urls().first().toLocalFile();
  // After the drop has ended: the save prompt may ask first.
  QTimer::singleShot(0, this, Guarded([this, path] { OpenRecent(path); }));
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (AcceptsDrop(event->mimeData())) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  if (!AcceptsDrop(event->mimeData())) return;
  event->acceptProposedAction();
  OpenDropped(event->mimeData());
}

// The editor takes dropped text itself; a dropped file is the window's.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDragMoveEvent*>(event);
    if (AcceptsDrop(drag->mimeData())) {
      drag->acceptProposedAction();
      return true;
    }
  } else if (event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    if (AcceptsDrop(drop->mimeData())) {
      drop->acceptProposedAction();
      OpenDropped(drop->mimeData());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace corvane::app
