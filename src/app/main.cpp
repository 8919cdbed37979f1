// Program entry: the application object, the engine on its own thread, the
// one window, the loop.
#include "app/Velor_SPI_Main.h"

#include <QApplication>
#include <QFrame>
#include <QTabWidget>

int main(int argc, char** argv) {
    // The window is laid out in pixels and must not be scaled to the screen.
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    // Where QSettings keeps what the window remembers (the limits).
    QCoreApplication::setOrganizationName(QStringLiteral("Tessoran"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessoran"));
    QGuiApplication::setApplicationDisplayName(
        QStringLiteral("Tessoran for Velor SPI encoders with K730-6W"));
    MainFormEnvironment env = MainFormEnvironment::System();
    // Declared after the window, the engine ends first: its thread is joined
    // and the recording closed before the window goes.
    TMainForm form(env);
    Engine::EngineThread engine(Engine::Environment::System(), env.Channel);
    // One render of the top band and the first page before the window is
    // mapped loads the fonts and the style's images, so its first expose is
    // quick. (Not the whole window: the charts of hidden pages have no size.)
    QWidget* const parts[] = {form.pnl1Top, form.pnlPosition, form.Pages};
    for (QWidget* part : parts)
        (void)part->grab();
    form.show();
    return app.exec();
}
