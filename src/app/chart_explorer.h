#pragma once
// ChartExplorer: a closer look at a live chart. The wheel zooms the horizontal
// axis about the pointer, Ctrl + wheel the value axes, a left drag pans, all
// through QCustomPlot's own interactions. Any change of the view that the
// explorer did not make itself pauses the chart where the user put it, and its
// corner says so; a double-click, or Home while the chart has focus, returns it
// to the live view. Hovering names the nearest point in a tooltip. The chart's
// owner says what the live view is and what a point says, so other graphs can
// be put on the chart and explored the same way.

#include <QObject>
#include <QPointF>
#include <QString>
#include <functional>
#include <optional>
#include <qcustomplot.h>
#include <utility>
#include <vector>

class QLabel;

class ChartExplorer final : public QObject {
public:
    struct Hooks {
        /// Sets the axes to the live view; called while the chart follows.
        std::function<void()> LiveView;
        /// The graph whose points the pointer names; null: none.
        std::function<QCPGraph*()> PointGraph;
        /// The tooltip of that graph's point at `index` (series order).
        std::function<QString(int index)> PointText;
    };

    /// Attaches to `chart`, which owns the explorer. The chart follows.
    ChartExplorer(QCustomPlot* chart, Hooks hooks);

    /// Other graphs' live view and texts from now on; call Follow() to show it.
    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    [[nodiscard]] bool Paused() const { return paused_; }
    /// Returns to the live view, with every point that came meanwhile. The
    /// caller redraws the chart.
    void Follow();
    /// After points came or went: a following chart moves with them, a paused
    /// one holds still.
    void PointsChanged();
    /// The tooltip of the point nearest `pixel` (chart coordinates) within
    /// reach; empty when none is.
    [[nodiscard]] QString TipAt(const QPointF& pixel) const;
    /// Pixels from the pointer within which a point is named.
    static constexpr double Reach = 8;

    /// While it lives the chart shows its live view (what a report draws);
    /// then the user's view comes back, paused or not as it was.
    class LiveViewScope {
    public:
        explicit LiveViewScope(ChartExplorer& explorer);
        ~LiveViewScope();
        LiveViewScope(const LiveViewScope&) = delete;
        LiveViewScope& operator=(const LiveViewScope&) = delete;

    private:
        ChartExplorer& explorer_;
        std::vector<std::pair<QCPAxis*, QCPRange>> ranges_;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyLiveView();
    void ViewChanged();
    void SetPaused(bool paused);
    void FollowAndRedraw();
    void Wheel(QWheelEvent* event);
    void Hover(QMouseEvent* event);

    QCustomPlot* chart_;
    Hooks hooks_;
    QLabel* note_;
    bool paused_ = false;
    bool settingView_ = false; ///< the explorer moves the axes, not the user
};

/// The index of `graph`'s point nearest `pixel`, at most `reach` pixels away.
/// Only the points whose keys lie within reach are looked at, found by binary
/// search on the sorted keys.
[[nodiscard]] std::optional<int> NearestPoint(const QCPGraph& graph, const QPointF& pixel,
                                              double reach);
