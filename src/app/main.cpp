// Program entry: the application object, its title, the one window, the loop.
#include "app/Velor_SPI_Main.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The window is laid out in pixels and must not be scaled to the screen.
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    QGuiApplication::setApplicationDisplayName(
        QStringLiteral("Tessoran for Velor SPI encoders with K730-6W"));
    TMainForm form(MainFormEnvironment::System());
    form.show();
    return app.exec();
}
