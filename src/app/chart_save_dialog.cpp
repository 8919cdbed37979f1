#include "app/chart_save_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {
// Qt's own dialog accepts a name in a folder that does not exist; the native
// ones refuse it themselves. Either way the user picks again instead of
// learning about it from a failed save.
class SaveDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && !QFileInfo(files.first()).absoluteDir().exists()) {
            auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                        QStringLiteral("The folder does not exist:\n") +
                                            QFileInfo(files.first()).absolutePath(),
                                        QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
            return;
        }
        QFileDialog::accept();
    }
};
void AskFileName(QWidget* parent, const QString& title, const QString& filter,
                 const QString& folder, const QString& suggested,
                 std::function<void(const QString&)> chosen) {
    auto* dialog = new SaveDialog(parent, title, folder, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setSizeGripEnabled(true);
    if (!suggested.isEmpty())
        dialog->selectFile(suggested);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, chosen](int result) {
        const QStringList files = dialog->selectedFiles();
        chosen(result == QDialog::Accepted && !files.isEmpty() ? files.first() : QString());
    });
    // Window-modal without a nested event loop: the readings go on meanwhile.
    dialog->open();
}
} // namespace

void AskPngFileName(QWidget* parent, const QString& folder, const QString& suggested,
                    std::function<void(const QString&)> chosen) {
    AskFileName(parent, QStringLiteral("Save chart"), QStringLiteral("PNG (*.png)"), folder,
                suggested, std::move(chosen));
}

void AskCsvFileName(QWidget* parent, const QString& folder, const QString& suggested,
                    std::function<void(const QString&)> chosen) {
    AskFileName(parent, QStringLiteral("Export CSV"), QStringLiteral("CSV (*.csv)"), folder,
                suggested, std::move(chosen));
}
