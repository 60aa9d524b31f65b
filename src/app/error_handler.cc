#include "app/error_handler.h"

#include <QApplication>
#include <QCursor>
#include <new>

namespace corvane::app {
namespace {

std::function<void(const QString&)>& Sink() {
  static std::function<void(const QString&)> sink;
  return sink;
}

QString CurrentMessage() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return QCoreApplication::translate("Errors", "Out of memory");
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QCoreApplication::translate("Errors", "Unknown error");
  }
}

}  // namespace

void SetErrorSink(std::function<void(const QString& message)> sink) { Sink() = std::move(sink); }

void ReportCurrentException() {
  const QString message = CurrentMessage();
  // A failed pass may leave the busy cursor up; the message needs the normal one.
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  if (Sink()) Sink()(message);
}

}  // namespace corvane::app
