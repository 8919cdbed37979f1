#pragma once
// Where recordings, installation reports and chart images go: the folder
// chosen with "Folder…", kept between runs, or else the default folder.

#include <QString>
#include <functional>
#include <memory>

class QSettings;

class FilesFolder {
public:
    /// `settings` keeps the choice (null: nothing is kept); `defaultFolder`
    /// is asked each time no folder is chosen.
    FilesFolder(std::shared_ptr<QSettings> settings, std::function<QString()> defaultFolder);

    /// Takes the folder kept from an earlier run. Returns a line for the log
    /// when that folder is gone or takes no files, and the default is used.
    [[nodiscard]] QString Restore();
    /// Chooses `folder` and keeps it; false (and nothing changes) when no file
    /// can be created in it.
    [[nodiscard]] bool Choose(const QString& folder);
    /// The folder in use.
    [[nodiscard]] QString Path() const;

private:
    std::shared_ptr<QSettings> settings_;
    std::function<QString()> default_;
    QString chosen_; ///< empty: the default
};
