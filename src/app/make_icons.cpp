// Build tool: writes the window icon's mark as PNG files in the hicolor sizes,
// so the installed desktop entry shows the same icon as the window.
#include "app/logo.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR ICON_NAME\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        PaintTessoranMark(painter, QRectF(size * 0.04, size * 0.1, size * 0.92, size * 0.92));
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(dir) || !image.save(dir + QLatin1Char('/') + name + ".png")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
