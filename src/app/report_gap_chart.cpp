// The air-gap chart scaled for the installation report, with the gap limits.
#include "app/report_gap_chart.h"

#include "app/window_colors.h"

#include <QLocale>
#include <QSignalBlocker>
#include <optional>

namespace {
// A gap that does not vary still gets this much height: no line along the frame.
constexpr double MinSpanMm = 0.02;
constexpr double MarginShare = 0.1;
constexpr double MaxWidening = 4.0;
constexpr double NoteRoomShare = 0.15; ///< of the points' range, for a note off the scale
constexpr double NoteStep = 0.07; ///< of the axis rectangle's height, between notes at one edge
} // namespace

QCPRange ReportGapRange(const QCPRange& points, const Monitor::InstallationLimits& limits) {
    QCPRange range = points;
    if (range.size() < MinSpanMm)
        range = QCPRange(range.center() - MinSpanMm / 2, range.center() + MinSpanMm / 2);
    const double span = range.size();
    for (const auto& limit : {limits.GapMinMm, limits.GapMaxMm}) {
        if (!limit)
            continue;
        QCPRange wider = range;
        wider.expand(*limit);
        if (wider.size() <= MaxWidening * span)
            range = wider;
    }
    // A limit left off the scale is named at the edge it lies beyond, in room of its own.
    const auto room = [&](bool below) {
        for (const auto& limit : {limits.GapMinMm, limits.GapMaxMm})
            if (limit && (below ? *limit < range.lower : *limit > range.upper))
                return range.size() * NoteRoomShare;
        return 0.0;
    };
    const double margin = range.size() * MarginShare;
    return {range.lower - margin - room(true), range.upper + margin + room(false)};
}

ReportGapChart::ReportGapChart(QCustomPlot* chart, const QCPGraphDataContainer& points,
                               const Monitor::InstallationLimits& limits)
    : chart_(chart), keys_(chart->xAxis->range()), values_(chart->yAxis->range()) {
    std::optional<QCPRange> gaps;
    for (auto it = points.constBegin(); it != points.constEnd(); ++it) {
        if (!gaps)
            gaps = QCPRange(it->value, it->value);
        gaps->expand(it->value);
    }
    SetRanges(QCPRange(0, 360), gaps ? ReportGapRange(*gaps, limits) : values_);
    if (limits.GapMinMm)
        AddLimit(*limits.GapMinMm, QStringLiteral("min"));
    if (limits.GapMaxMm)
        AddLimit(*limits.GapMaxMm, QStringLiteral("max"));
}

ReportGapChart::~ReportGapChart() {
    for (QCPAbstractItem* item : items_)
        chart_->removeItem(item);
    SetRanges(keys_, values_);
}

void ReportGapChart::SetRanges(const QCPRange& keys, const QCPRange& values) {
    // Not the user's zoom: whatever watches the axes for that must not see it.
    const QSignalBlocker quietKeys(chart_->xAxis);
    const QSignalBlocker quietValues(chart_->yAxis);
    chart_->xAxis->setRange(keys);
    chart_->yAxis->setRange(values);
}

void ReportGapChart::AddLimit(double mm, const QString& name) {
    const QPen pen(WindowColors::Red, 1.5, Qt::DashLine);
    auto* label = new QCPItemText(chart_);
    items_.push_back(label);
    label->setColor(WindowColors::Red);
    label->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    QString text = name + QLatin1Char(' ') +
                   QLocale().toString(mm, 'g', QLocale::FloatingPointShortest) +
                   QStringLiteral(" mm");
    const QCPRange shown = chart_->yAxis->range();
    if (shown.contains(mm)) {
        auto* line = new QCPItemStraightLine(chart_);
        items_.push_back(line);
        line->setPen(pen);
        line->point1->setCoords(0, mm);
        line->point2->setCoords(1, mm);
        // Above the line at its right end.
        label->position->setTypeY(QCPItemPosition::ptPlotCoords);
        label->position->setCoords(0.995, mm);
        label->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
    } else {
        // Off the scale: said at the edge it lies beyond.
        const bool above = mm > shown.upper;
        int& notes = above ? notesAbove_ : notesBelow_;
        text += above ? QStringLiteral(": above the scale") : QStringLiteral(": below the scale");
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->position->setCoords(0.995,
                                   above ? 0.01 + notes * NoteStep : 0.99 - notes * NoteStep);
        label->setPositionAlignment(Qt::AlignRight | (above ? Qt::AlignTop : Qt::AlignBottom));
        ++notes;
    }
    label->setText(text);
}
