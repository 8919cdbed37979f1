#include "app/chart_explorer.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScopedValueRollback>
#include <QToolTip>

ChartExplorer::ChartExplorer(QCustomPlot* chart, Hooks hooks)
    : QObject(chart), chart_(chart), hooks_(std::move(hooks)),
      note_(new QLabel(QStringLiteral("Paused: double-click to follow"), chart)) {
    chart->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    chart->setFocusPolicy(Qt::WheelFocus); // so Home works after the wheel, too
    QCPAxisRect* rect = chart->axisRect();
    const QList<QCPAxis*> horizontal = rect->axes(QCPAxis::atBottom | QCPAxis::atTop);
    const QList<QCPAxis*> vertical = rect->axes(QCPAxis::atLeft | QCPAxis::atRight);
    rect->setRangeDragAxes(horizontal, vertical);
    rect->setRangeZoomAxes(horizontal, vertical);
    for (QCPAxis* axis : rect->axes())
        connect(axis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
                &ChartExplorer::ViewChanged);
    connect(chart, &QCustomPlot::mouseWheel, this, &ChartExplorer::Wheel);
    connect(chart, &QCustomPlot::mouseMove, this, &ChartExplorer::Hover);
    connect(chart, &QCustomPlot::mouseDoubleClick, this, &ChartExplorer::FollowAndRedraw);
    // The note is a widget over the chart, not part of its drawing: a saved
    // image or a report shows the data, not the state of the screen.
    connect(chart, &QCustomPlot::afterLayout, note_,
            [this] { note_->move(chart_->axisRect()->topLeft() + QPoint(6, 6)); });
    chart->installEventFilter(this);
    note_->setStyleSheet(QStringLiteral("QLabel { background: #FFFFE1; color: #000080; "
                                        "border: 1px solid #C0C0C0; padding: 1px 4px; }"));
    note_->setAttribute(Qt::WA_TransparentForMouseEvents);
    note_->adjustSize();
    note_->hide();
}

void ChartExplorer::ApplyLiveView() {
    const QScopedValueRollback<bool> ours(settingView_, true);
    if (hooks_.LiveView)
        hooks_.LiveView();
}

void ChartExplorer::Follow() {
    ApplyLiveView();
    SetPaused(false);
}

void ChartExplorer::PointsChanged() {
    if (!paused_)
        ApplyLiveView();
}

void ChartExplorer::ViewChanged() {
    if (!settingView_)
        SetPaused(true);
}

void ChartExplorer::SetPaused(bool paused) {
    paused_ = paused;
    note_->setVisible(paused);
}

void ChartExplorer::FollowAndRedraw() {
    Follow();
    chart_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartExplorer::Wheel(QWheelEvent* event) {
    // Emitted before the axis rect zooms: it zooms the orientation set here.
    chart_->axisRect()->setRangeZoom(event->modifiers() & Qt::ControlModifier ? Qt::Vertical
                                                                              : Qt::Horizontal);
}

void ChartExplorer::Hover(QMouseEvent* event) {
    if (event->buttons() != Qt::NoButton)
        return; // a drag
    const QString tip = TipAt(event->position());
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), tip, chart_);
}

bool ChartExplorer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Home) {
        FollowAndRedraw();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QString ChartExplorer::TipAt(const QPointF& pixel) const {
    QCPGraph* graph = hooks_.PointGraph ? hooks_.PointGraph() : nullptr;
    if (!graph || !hooks_.PointText || !chart_->axisRect()->rect().contains(pixel.toPoint()))
        return {};
    const std::optional<int> index = NearestPoint(*graph, pixel, Reach);
    return index ? hooks_.PointText(*index) : QString();
}

ChartExplorer::LiveViewScope::LiveViewScope(ChartExplorer& explorer) : explorer_(explorer) {
    for (QCPAxis* axis : explorer.chart_->axisRect()->axes())
        ranges_.emplace_back(axis, axis->range());
    explorer.ApplyLiveView();
}

ChartExplorer::LiveViewScope::~LiveViewScope() {
    const QScopedValueRollback<bool> ours(explorer_.settingView_, true);
    for (const auto& [axis, range] : ranges_)
        axis->setRange(range);
}

std::optional<int> NearestPoint(const QCPGraph& graph, const QPointF& pixel, double reach) {
    const QCPAxis* keyAxis = graph.keyAxis();
    const double along = keyAxis->orientation() == Qt::Horizontal ? pixel.x() : pixel.y();
    double from = keyAxis->pixelToCoord(along - reach);
    double to = keyAxis->pixelToCoord(along + reach);
    if (from > to)
        std::swap(from, to); // a reversed axis
    const QCPGraphDataContainer& data = *graph.data();
    const auto end = data.findEnd(to, false);
    std::optional<int> nearest;
    double nearestSquared = reach * reach;
    for (auto it = data.findBegin(from, false); it != end; ++it) {
        const QPointF d = graph.coordsToPixels(it->key, it->value) - pixel;
        const double squared = d.x() * d.x() + d.y() * d.y();
        if (squared <= nearestSquared) { // the newest of equals
            nearestSquared = squared;
            nearest = static_cast<int>(it - data.constBegin());
        }
    }
    return nearest;
}
