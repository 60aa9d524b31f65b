// The program's own pictures (data/pictures, drawn by tools/draw_pictures.py)
// rendered at the size a window shows them.
#ifndef CORVANE_APP_PICTURES_H_
#define CORVANE_APP_PICTURES_H_

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

namespace corvane::app {

// `name` without folder and extension: "open", "splash", "tray0", ...
QPixmap Picture(const QString& name, QSize size);
QIcon PictureIcon(const QString& name);

// The tray icon's animation frames (ImageList2), in order.
QList<QIcon> TrayFrames();

}  // namespace corvane::app

#endif  // CORVANE_APP_PICTURES_H_
