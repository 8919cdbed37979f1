#include "app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBoxes::Show(QWidget* parent, Kind kind, const QString& text) {
    auto* box =
        new QMessageBox(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                        QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText); // a device's text is never markup
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal without a nested event loop: nothing waits for the OK.
    box->open();
}
