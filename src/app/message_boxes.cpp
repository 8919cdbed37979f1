#include "app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBoxes::Show(QWidget* parent, Kind kind, const QString& text) {
    QMessageBox box(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                    QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}
