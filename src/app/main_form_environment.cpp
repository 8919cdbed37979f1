#include "app/main_form_environment.h"

#include "app/chart_save_dialog.h"
#include "app/folder_dialog.h"
#include "app/results_location_dialog.h"
#include "results/results_location.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

MainFormEnvironment MainFormEnvironment::System() {
    MainFormEnvironment env;
    env.Channel = std::make_shared<Engine::EngineChannel>();
    env.Boxes = std::make_shared<QtMessageBoxes>();
    env.AskSaveFileName = AskPngFileName;
    env.AskCsvFileName = ::AskCsvFileName;
    env.OpenFile = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    env.AskResultsLocation = AskResultsLocationText;
    env.ResultsFile = [] {
        return Results::ResultsLocation(std::nullopt,
                                        Results::EnvironmentValue("TESSORAN_RESULTS"));
    };
    env.AskFolder = AskFolderName;
    env.RecordingFolder = DefaultRecordingFolder;
    env.LocalNow = [] { return QDateTime::currentDateTime(); };
    return env;
}

// Only creating a file tells: Windows reports Program Files on NTFS as
// writable to everyone, and UAC refuses the file itself.
bool CanCreateFileIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("tessoran-XXXXXX.tmp")));
    return probe.open();
}

QString DefaultRecordingFolder() {
    const QString own = QCoreApplication::applicationDirPath();
    if (CanCreateFileIn(own))
        return own;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QDir().mkpath(documents))
        return own; // creating the file there names the reason
    return documents;
}
