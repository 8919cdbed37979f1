#include "app/chart_point_texts.h"

#include "app/chart_color_series.h"
#include "app/display_text.h"
#include "app/window_colors.h"

namespace {
QString AngleLine(double degrees) {
    return QStringLiteral("Angle ") + LocaleFixed(degrees, 12, 3) + QStringLiteral(" °");
}

QString StatusLine(const ColorPointSeries& series, int index) {
    return QStringLiteral("Status: ") + StatusName(series.ColorAt(index).value_or(QColor()));
}
} // namespace

QString StatusName(const QColor& color) {
    using Monitor::StatusColor;
    // The colours come from the reading's status; read back the same way.
    for (const auto& [status, name] :
         {std::pair{StatusColor::Good, "good"}, std::pair{StatusColor::Warning, "warning"},
          std::pair{StatusColor::Error, "error"}})
        if (ToQColor(Engine::StatusColour(status)) == color)
            return QString::fromLatin1(name);
    return {};
}

QString PositionPointText(const ColorPointSeries& angles, const QCPGraph& turns, int index) {
    const QCPGraphData point = *(angles.Points().constBegin() + index);
    QString text = QStringLiteral("Reading %1\n").arg(static_cast<qlonglong>(point.key)) +
                   AngleLine(point.value) + '\n';
    const auto turn = turns.data()->findBegin(point.key, false);
    if (turn != turns.data()->constEnd() && turn->key == point.key)
        text += QStringLiteral("Turns %1\n").arg(static_cast<qlonglong>(turn->value));
    return text + StatusLine(angles, index);
}

QString AirGapPointText(const ColorPointSeries& gaps, int index) {
    const QCPGraphData point = *(gaps.Points().constBegin() + index);
    return AngleLine(point.key) + QStringLiteral("\nAir gap ") +
           GapFigureText(static_cast<float>(point.value)) + '\n' + StatusLine(gaps, index);
}
