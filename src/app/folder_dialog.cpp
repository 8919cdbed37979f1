#include "app/folder_dialog.h"

#include <QFileDialog>

void AskFolderName(QWidget* parent, const QString& current,
                   std::function<void(const QString&)> chosen) {
    auto* dialog = new QFileDialog(
        parent, QStringLiteral("Folder for recordings, reports and chart images"), current);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setSizeGripEnabled(true);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, chosen](int result) {
        const QStringList folders = dialog->selectedFiles();
        chosen(result == QDialog::Accepted && !folders.isEmpty() ? folders.first() : QString());
    });
    // Window-modal without a nested event loop, as the save dialog.
    dialog->open();
}
