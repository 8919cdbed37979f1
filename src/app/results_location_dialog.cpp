#include "app/results_location_dialog.h"

#include <QInputDialog>

void AskResultsLocationText(QWidget* parent, const QString& current,
                            std::function<void(const std::optional<QString>&)> chosen) {
    auto* dialog = new QInputDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Results database"));
    dialog->setLabelText(
        QStringLiteral("A results file, or a server: postgresql://user@host:port/dbname\n"
                       "(the password in ~/.pgpass or PGPASSWORD, never here).\n"
                       "Empty: this bench's own file. none: keep nothing."));
    dialog->setTextValue(current);
    dialog->resize(520, dialog->sizeHint().height());
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, chosen](int result) {
        chosen(result == QDialog::Accepted ? std::optional(dialog->textValue()) : std::nullopt);
    });
    // Window-modal without a nested event loop, as the file dialogs.
    dialog->open();
}
