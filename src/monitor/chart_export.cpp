// "Save chart" (the position chart as PNG) and "Copy" (air-gap statistics to
// the clipboard).
#include "app/Velor_SPI_Main.h"
#include "monitor/chart_color_series.h"
#include "monitor/gap_statistics.h"
#include "util/chart_png.h"
#include "util/clipboard.h"

#include <QFileInfo>

void TMainForm::btnChartPosSaveClick() {
    if (!env_.AskSaveFileName)
        return;
    // The dialog opens on the last name without its folder.
    const QString chosen = env_.AskSaveFileName(this, QFileInfo(chartFileName_).fileName());
    if (chosen.isEmpty())
        return;
    chartFileName_ = chosen;
    const QString pngName = Orodja::ForcePngExtension(chosen);
    const bool saved = Orodja::SaveChartAsPng(*chartPosition, pngName,
                                              [this](const QString& text) { ShowBox(true, text); });
    // A failed write may leave an older file of that name; it is not this save.
    if (!saved || !QFileInfo::exists(pngName))
        ShowBox(true, QStringLiteral("Error while saving chart image!"));
}

void TMainForm::btnACopyClipboardClick() {
    const QString crlf = QStringLiteral("\r\n");
    QString text =
        QStringLiteral("Part number: ") + QString::fromLatin1(EncoderSignature.PartNumber) + crlf +
        QStringLiteral("Serial number: ") + QString::fromLatin1(EncoderSignature.SerialNumber) +
        crlf + QStringLiteral("FW version: ") + QString::fromLatin1(EncoderSignature.FWverStr) +
        crlf;
    Monitor::GapStatistics stats;
    const QCPGraphDataContainer& points = serSignal->Points();
    for (auto it = points.constBegin(); it != points.constEnd(); ++it)
        stats.Add(it->value);
    if (!stats.Enough()) {
        text += QStringLiteral("Not enough data points recorded!") + crlf;
    } else {
        const auto line = [&](const QString& label, float value) {
            text += label + LocaleFixed(value, 5, 3) + QStringLiteral(" mm") + crlf;
        };
        line(QStringLiteral("Min: "), stats.Min());
        line(QStringLiteral("Max: "), stats.Max());
        line(QStringLiteral("Avg: "), stats.Mean());
    }
    Orodja::CopyToClipboard(text);
}
