#include "app/main_form_environment.h"

#include "interface/port_list.h"
#include "monitor/chart_save_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <chrono>
#include <thread>

MainFormEnvironment MainFormEnvironment::System() {
    MainFormEnvironment env;
    env.ListPorts = [] { return Interface::ListCandidatePorts(Interface::SystemPortListSource()); };
    env.Opener = Serial_driver::MakeSystemPortOpener();
    env.Boxes = std::make_shared<QtMessageBoxes>();
    env.SleepMs = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    env.TickMs = [] {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
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
