#include "app/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Orodja {

void CopyToClipboard(const QString& text) {
    // setText hands the clipboard new data holding only this text.
    QGuiApplication::clipboard()->setText(text);
}

} // namespace Orodja
