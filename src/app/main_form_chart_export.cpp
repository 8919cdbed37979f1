// "Save chart" (the position chart as PNG) and "Copy" (air-gap statistics to
// the clipboard).
#include "app/Velor_SPI_Main.h"
#include "app/chart_color_series.h"
#include "app/chart_png.h"
#include "app/clipboard.h"

#include <QFileInfo>

void TMainForm::btnChartPosSaveClick() {
    if (!env_.AskSaveFileName)
        return;
    // The dialog opens in the folder for files, on the last name; it does not
    // hold up the window, and the save follows the answer.
    env_.AskSaveFileName(this, files_.Path(), QFileInfo(chartFileName_).fileName(),
                         [this](const QString& chosen) { SaveChartAs(chosen); });
}

void TMainForm::SaveChartAs(const QString& chosen) {
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

QString GapFigureText(float mm) {
    return LocaleFixed(mm, 5, 3) + QStringLiteral(" mm");
}

Monitor::GapStatistics TMainForm::ChartGapStatistics() const {
    Monitor::GapStatistics stats;
    const QCPGraphDataContainer& points = serSignal->Points();
    for (auto it = points.constBegin(); it != points.constEnd(); ++it)
        stats.Add(it->value);
    return stats;
}

void TMainForm::btnACopyClipboardClick() {
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("Part number: ") + Latin(partNumber_) + crlf +
                   QStringLiteral("Serial number: ") + Latin(serialNumber_) + crlf +
                   QStringLiteral("FW version: ") + Latin(firmwareVersion_) + crlf;
    const Monitor::GapStatistics stats = ChartGapStatistics();
    if (!stats.Enough()) {
        text += QStringLiteral("Not enough data points recorded!") + crlf;
    } else {
        const auto line = [&](const QString& label, float value) {
            text += label + GapFigureText(value) + crlf;
        };
        line(QStringLiteral("Min: "), stats.Min());
        line(QStringLiteral("Max: "), stats.Max());
        line(QStringLiteral("Avg: "), stats.Mean());
    }
    Orodja::CopyToClipboard(text);
}
