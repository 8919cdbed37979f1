#include "app/chart_png.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <qcustomplot.h>

namespace Orodja {

QString ForcePngExtension(const QString& fileName) {
    const qsizetype nameStart = QDir::fromNativeSeparators(fileName).lastIndexOf(u'/') + 1;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return (dot >= nameStart ? fileName.left(dot) : fileName) + QStringLiteral(".png");
}

namespace {
bool WritePng(QCustomPlot& chart, const QString& pngName) {
    QImage image(chart.size(), QImage::Format_RGB16);
    if (image.isNull())
        return false;
    image.fill(Qt::white);
    {
        QCPPainter painter(&image);
        chart.toPainter(&painter, image.width(), image.height());
    }
    // Written beside the target and renamed over it on commit, so a full disk
    // or a failed encode never leaves a truncated image under the name.
    QSaveFile file(pngName);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}
} // namespace

bool SaveChartAsPng(QCustomPlot& chart, const QString& fileName,
                    const std::function<void(const QString&)>& showError) {
    const QString pngName = ForcePngExtension(fileName);
    if (WritePng(chart, pngName) && QFileInfo::exists(pngName))
        return true;
    showError(QStringLiteral("Shranjevanje PNG slike ni bilo uspešno!"));
    return false;
}

} // namespace Orodja
