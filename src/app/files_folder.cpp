#include "app/files_folder.h"

#include "app/main_form_environment.h"

#include <QDir>
#include <QSettings>

namespace {
const QString Key = QStringLiteral("files/folder");
} // namespace

FilesFolder::FilesFolder(std::shared_ptr<QSettings> settings,
                         std::function<QString()> defaultFolder)
    : settings_(std::move(settings)), default_(std::move(defaultFolder)) {}

QString FilesFolder::Restore() {
    const QString kept = settings_ ? settings_->value(Key).toString() : QString();
    if (kept.isEmpty())
        return {};
    if (CanCreateFileIn(kept)) {
        chosen_ = kept;
        return {};
    }
    // The setting stays: the folder may come back (a drive plugged in again).
    return QStringLiteral("The folder chosen for files, %1, is gone or takes no files; they go to "
                          "%2.")
        .arg(QDir::toNativeSeparators(kept), QDir::toNativeSeparators(Path()));
}

bool FilesFolder::Choose(const QString& folder) {
    if (!CanCreateFileIn(folder))
        return false;
    chosen_ = folder;
    if (settings_)
        settings_->setValue(Key, folder);
    return true;
}

QString FilesFolder::Path() const {
    if (!chosen_.isEmpty())
        return chosen_;
    return default_ ? default_() : DefaultRecordingFolder();
}
