// Program entry: the application object, the command line, the engine on its
// own thread, the one window (with a recording for review when one is named),
// the loop.
#include "app/Velor_SPI_Main.h"
#include "app/command_line.h"
#include "app/top_band.h"

#include <QApplication>
#include <QFrame>
#include <QSettings>
#include <QTabWidget>

int main(int argc, char** argv) {
    // The layout is in logical pixels; Qt scales it by the screen's factor
    // as it is (125 %, 150 %, 175 % too), not rounded to a whole one.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSORAN_VERSION_TEXT));
    const WindowCommandLine line = ParseWindowCommandLine(QCoreApplication::arguments());
    if (line.ExitCode) {
        ShowCommandLineText(line);
        return *line.ExitCode;
    }
    QGuiApplication::setApplicationDisplayName(
        QStringLiteral("Tessoran for Velor SPI encoders with K730-6W"));
    MainFormEnvironment env = MainFormEnvironment::System();
    env.Settings =
        std::make_shared<QSettings>(QStringLiteral("Tessoran"), QStringLiteral("Tessoran"));
    // Declared after the window, the engine ends first: its thread is joined
    // and the recording closed before the window goes.
    TMainForm form(env);
    Engine::EngineThread engine(Engine::Environment::System(), env.Channel);
    // One render of the top band and the first page before the window is
    // mapped loads the fonts and the style's images, so its first expose is
    // quick. (Not the whole window: the charts of hidden pages have no size.)
    QWidget* const parts[] = {form.band->pnl1Top, form.band->pnlPosition, form.Pages};
    for (QWidget* part : parts)
        (void)part->grab();
    form.show();
    // `tessoran FILE.csv`, and the desktop's "Open with": the file for review.
    if (!line.Recording.isEmpty())
        form.OpenRecording(line.Recording);
    return app.exec();
}
