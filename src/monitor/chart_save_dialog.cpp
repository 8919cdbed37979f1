#include "monitor/chart_save_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {
// Qt's own dialog accepts a name in a folder that does not exist; the native
// ones refuse it themselves. Either way the user picks again instead of
// learning about it from a failed save.
class PngSaveDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && !QFileInfo(files.first()).absoluteDir().exists()) {
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("The folder does not exist:\n") +
                                     QFileInfo(files.first()).absolutePath());
            return;
        }
        QFileDialog::accept();
    }
};
} // namespace

QString AskPngFileName(QWidget* parent, const QString& suggested) {
    PngSaveDialog dialog(parent, QStringLiteral("Save chart"), QString(),
                         QStringLiteral("PNG (*.png)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setSizeGripEnabled(true);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
