#include "app/recording_review.h"

#include "app/display_text.h"
#include "app/window_colors.h"
#include "encoder/Velor_konstante.h"

#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <algorithm>
#include <numeric>
#include <qcustomplot.h>

namespace {

constexpr double PointSize = 5;
using Flags = Monitor::RecordingColumns;

int StatusOf(std::uint8_t flags) {
    return (flags & Flags::ErrorFlag) ? 2 : (flags & Flags::WarningFlag) ? 1 : 0;
}

QCPGraph* NewGraph(QCustomPlot* chart, QCPAxis* valueAxis, const QPen& pen) {
    QCPGraph* graph = chart->addGraph(chart->xAxis, valueAxis);
    graph->setPen(pen);
    return graph;
}

} // namespace

RecordingReview::RecordingReview(QCustomPlot* chart) : QObject(chart), chart_(chart) {}

RecordingReview::~RecordingReview() {
    if (reader_) {
        reader_->wait();
        delete reader_;
    }
}

bool RecordingReview::Open(const QString& path) {
    if (reader_)
        return false; // one file at a time
    auto result = std::make_shared<Monitor::RecordingReadResult>();
    const std::string file = path.toStdString();
    reader_ = QThread::create([result, file] { *result = Monitor::ReadRecording(file); });
    connect(reader_, &QThread::finished, this, [this, result, path] {
        reader_->deleteLater();
        reader_ = nullptr;
        Show(path, *result);
    });
    reader_->start();
    return true;
}

void RecordingReview::Show(const QString& path, Monitor::RecordingReadResult& result) {
    const QString name = QFileInfo(path).fileName();
    if (result.Status == Monitor::RecordingReadStatus::CannotOpen) {
        emit refused(QStringLiteral("Cannot open \"%1\": %2.")
                         .arg(path, QString::fromStdString(result.Reason)));
        return;
    }
    if (result.Status == Monitor::RecordingReadStatus::NotARecording) {
        emit refused(QStringLiteral("\"%1\" is not a Tessoran recording: %2.")
                         .arg(name, QString::fromStdString(result.Reason)));
        return;
    }
    if (Active())
        End();
    liveLabel_ = chart_->xAxis->label();
    HideLive();

    Monitor::RecordingColumns& rows = result.Contents.Columns;
    const std::size_t count = rows.Rows();
    // Points go to the chart in time order; rows out of order (a clock that
    // wrapped) keep their row number for the hover text.
    std::vector<std::uint32_t> order;
    if (!std::is_sorted(rows.TimeMs.begin(), rows.TimeMs.end())) {
        order.resize(count);
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return rows.TimeMs[a] < rows.TimeMs[b];
        });
    }
    const auto rowAt = [&](std::size_t i) { return order.empty() ? i : order[i]; };

    // The line is every row; dots mark the rows with the warning or error bit
    // in the live chart's colours. A dot on each of a million good rows would
    // bury the line under navy and take seconds to draw; the hover still
    // names every row's status.
    const QColor statusColors[] = {WindowColors::Orange, WindowColors::LightRed};
    // Hairlines: a file's lines cross each pixel column many times, and a
    // wide antialiased stroke costs the raster engine ten times as much there.
    angle_ = NewGraph(chart_, chart_->yAxis2, QPen(Qt::blue, 1));
    graphs_.push_back(angle_);
    QVector<QCPGraphData> angles(static_cast<qsizetype>(count));
    QVector<QCPGraphData> flagged[2];
    flags_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t row = rowAt(i);
        const QCPGraphData point{rows.TimeMs[row] / 1000.0,
                                 rows.ST[row] * Velor_konstante::ResolutionUnitDefault};
        angles[static_cast<qsizetype>(i)] = point;
        flags_[i] = rows.Flags[row];
        if (const int status = StatusOf(flags_[i]); status > 0)
            flagged[status - 1].append(point);
    }
    angle_->data()->set(angles, true);
    angles = {};
    for (int s = 0; s < 2; ++s) {
        if (flagged[s].isEmpty())
            continue;
        QCPGraph* points = NewGraph(chart_, chart_->yAxis2, Qt::NoPen);
        points->setLineStyle(QCPGraph::lsNone);
        points->setScatterStyle(
            QCPScatterStyle(QCPScatterStyle::ssDisc, statusColors[s], statusColors[s], PointSize));
        points->data()->set(flagged[s], true);
        flagged[s] = {};
        graphs_.push_back(points);
    }
    turns_.clear();
    if (rows.HasTurns) {
        QCPGraph* turnLine = NewGraph(chart_, chart_->yAxis, QPen(WindowColors::Green, 1));
        QVector<QCPGraphData> turns(static_cast<qsizetype>(count));
        turns_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t row = rowAt(i);
            turns_[i] = rows.MT[row];
            turns[static_cast<qsizetype>(i)] = {rows.TimeMs[row] / 1000.0,
                                                static_cast<double>(rows.MT[row])};
        }
        turnLine->data()->set(turns, true);
        turnsLine_ = turnLine;
        graphs_.push_back(turnLine);
    }
    rowOf_ = std::move(order);
    chart_->xAxis->setLabel(QStringLiteral("Time (s)"));
    WholeView();
    chart_->replot(QCustomPlot::rpQueuedReplot);

    const Monitor::RecordingContents& c = result.Contents;
    emit opened({name, count, c.DurationMs(), c.ErrorRows, c.WarningRows, c.BadLines,
                 c.FirstBadLine, QString::fromStdString(c.FirstBadReason)});
}

void RecordingReview::WholeView() {
    if (!Active())
        return;
    bool found = false;
    const QCPRange keys = angle_->getKeyRange(found);
    // A file of one row still gets a scale around its point.
    chart_->xAxis->setRange(!found            ? QCPRange(0, 1)
                            : keys.size() > 0 ? keys
                                              : QCPRange(keys.lower - 0.5, keys.upper + 0.5));
    PositionValueAxes(*chart_, turnsLine_);
}

void PositionValueAxes(QCustomPlot& chart, const QCPGraph* turns) {
    chart.yAxis2->setRange(-5, 365);
    // Half a turn of room, so the turn count never runs along the frame.
    bool haveTurns = false;
    const QCPRange range = turns ? turns->getValueRange(haveTurns) : QCPRange();
    chart.yAxis->setRange(haveTurns ? QCPRange(range.lower - 0.5, range.upper + 0.5)
                                    : QCPRange(0, 5)); // QCustomPlot's own default
}

void RecordingReview::HideLive() {
    for (int i = 0; i < chart_->plottableCount(); ++i) {
        QCPAbstractPlottable* plottable = chart_->plottable(i);
        if (plottable->visible() &&
            std::find(graphs_.begin(), graphs_.end(), plottable) == graphs_.end()) {
            plottable->setVisible(false);
            hidden_.emplace_back(plottable);
        }
    }
}

void RecordingReview::End() {
    if (!Active())
        return;
    for (QCPAbstractPlottable* graph : graphs_)
        chart_->removePlottable(graph);
    graphs_.clear();
    angle_ = nullptr;
    turnsLine_ = nullptr;
    flags_ = {};
    turns_ = {};
    rowOf_ = {};
    for (const QPointer<QCPAbstractPlottable>& plottable : hidden_)
        if (plottable)
            plottable->setVisible(true);
    hidden_.clear();
    chart_->xAxis->setLabel(liveLabel_);
}

QString RecordingReview::PointText(int index) const {
    if (!angle_ || index < 0 || index >= angle_->dataCount())
        return {};
    const auto i = static_cast<std::size_t>(index);
    const QCPGraphData& point = *(angle_->data()->constBegin() + index);
    // As the live chart's points say it, with the row and its time for the reading.
    QString text = QStringLiteral("Row %1 at %2 s\nAngle %3 °\n")
                       .arg(qulonglong{rowOf_.empty() ? i : rowOf_[i]} + 1)
                       .arg(LocaleFixed(point.key, 12, 3), LocaleFixed(point.value, 12, 3));
    if (!turns_.empty())
        text += QStringLiteral("Turns %1\n").arg(turns_[i]);
    const char* status[] = {"good", "warning", "error"};
    return text + QStringLiteral("Status: ") + QLatin1String(status[StatusOf(flags_[i])]);
}
