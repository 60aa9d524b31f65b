// The copy of the page that Preview hands to the browser. The copy lives in
// the program's own folder, so the page's relative addresses (stylesheets,
// pictures, links) would point there; a <base href> to the document's
// folder makes them resolve as they do for the document itself.
#ifndef CORVANE_APP_PREVIEW_H_
#define CORVANE_APP_PREVIEW_H_

#include <QString>

namespace corvane::app {

// `page` with <base href="file:///folder/"> put just inside its <head> (or
// <html>, or first), unless it has a <base> of its own. An empty `folder`
// leaves the page as it is.
QString WithBaseAddress(const QString& page, const QString& folder);

}  // namespace corvane::app

#endif  // CORVANE_APP_PREVIEW_H_
