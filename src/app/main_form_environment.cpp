#include "app/main_form_environment.h"

#include "app/chart_save_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

MainFormEnvironment MainFormEnvironment::System() {
    MainFormEnvironment env;
    env.Channel = std::make_shared<Engine::EngineChannel>();
    env.Boxes = std::make_shared<QtMessageBoxes>();
    env.AskSaveFileName = AskPngFileName;
    env.RecordingFolder = DefaultRecordingFolder;
    return env;
}

QString DefaultRecordingFolder() {
    const QString own = QCoreApplication::applicationDirPath();
    if (QFileInfo(own).isWritable())
        return own;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QDir().mkpath(documents))
        return own; // creating the file there names the reason
    return documents;
}
