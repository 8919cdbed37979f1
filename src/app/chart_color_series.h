#pragma once
// A chart series whose points each keep their own colour. A QCustomPlot graph
// has one pen, so the line is one graph and the points are drawn by
// scatter-only graphs over it, one per colour: a point's colour is stored with
// the point itself and cannot drift onto a neighbour when points come or go.

#include <QColor>
#include <QObject>
#include <optional>
#include <qcustomplot.h>
#include <utility>
#include <vector>

class ColorPointSeries final : public QObject {
public:
    /// Creates the line graph on the axes' chart; the chart owns the graphs
    /// and this object.
    ColorPointSeries(QCPAxis* keyAxis, QCPAxis* valueAxis, const QColor& lineColor, int lineWidth,
                     double pointSize);

    /// Adds a point in `color`, kept in key order: after every point whose key
    /// is less than or equal to `key`. A point with a NaN coordinate is no
    /// point and is not added.
    void Add(double key, double value, const QColor& color);
    /// Removes the point with the smallest key (the first of the series).
    void RemoveFirst();
    void Clear();

    [[nodiscard]] int Count() const { return line_->dataCount(); }
    /// The points in series order, with the line as it is drawn.
    [[nodiscard]] QCPGraph* Line() const { return line_; }
    [[nodiscard]] const QCPGraphDataContainer& Points() const { return *line_->data(); }
    /// The colour the point at `index` is drawn in; empty for a bad index.
    [[nodiscard]] std::optional<QColor> ColorAt(int index) const;
    /// Vector discs draw the points on a page that is scaled (a PDF); the
    /// default cached dots are for the screen.
    void SetVectorPoints(bool vector);
    /// The scatter graphs, one per colour used so far.
    [[nodiscard]] std::vector<QCPGraph*> PointGraphs() const;

private:
    QCPGraph* GraphFor(const QColor& color);
    [[nodiscard]] QCPScatterStyle PointStyle(const QColor& color, bool vector) const;

    QCPAxis* keyAxis_;
    QCPAxis* valueAxis_;
    QCPGraph* line_;
    double pointSize_;
    std::vector<std::pair<QRgb, QCPGraph*>> points_;
};

/// Adds `point` to sorted data after every point with an equal key
/// (QCPDataContainer::add alone puts it before them).
void InsertAfterEqualKeys(QCPGraphDataContainer& data, const QCPGraphData& point);
