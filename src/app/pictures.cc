#include "app/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace corvane::app {
namespace {

constexpr int kTrayFrameCount = 4;

QString PicturePath(const QString& name) { return ":/pictures/" + name + ".svg"; }

}  // namespace

QPixmap Picture(const QString& name, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer(PicturePath(name));
  QPainter painter(&pixmap);
  renderer.render(&painter);
  return pixmap;
}

QIcon PictureIcon(const QString& name) {
  QIcon icon;
  for (int side : {16, 22, 24, 32, 48}) icon.addPixmap(Picture(name, QSize(side, side)));
  return icon;
}

QList<QIcon> TrayFrames() {
  QList<QIcon> frames;
  for (int i = 0; i < kTrayFrameCount; ++i) frames.append(PictureIcon("tray" + QString::number(i)));
  return frames;
}

}  // namespace corvane::app
