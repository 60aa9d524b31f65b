#include "app/preview.h"

#include <QRegularExpression>
#include <QUrl>

namespace corvane::app {

QString WithBaseAddress(const QString& page, const QString& folder) {
  if (folder.isEmpty()) return page;
  static const QRegularExpression kBase("<base[\\s>]", QRegularExpression::CaseInsensitiveOption);
  if (page.contains(kBase)) return page;
  // Fully encoded, the address holds no quote or angle bracket.
  const QString address = QUrl::fromLocalFile(folder.endsWith('/') ? folder : folder + '/')
                              .toString(QUrl::FullyEncoded);
  const QString base = "<base href=\"" + address + "\">";
  for (const char* tag : {"<head(\\s[^>]*)?>", "<html(\\s[^>]*)?>"}) {
    const QRegularExpressionMatch found =
        QRegularExpression(tag, QRegularExpression::CaseInsensitiveOption).match(page);
    if (found.hasMatch()) return QString(page).insert(found.capturedEnd(), base);
  }
  return base + page;
}

}  // namespace corvane::app
