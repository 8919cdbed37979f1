#include "app/chart_color_series.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace {
/// A round dot, drawn once: QPainter fills a pixmap many times faster than it
/// rasterises an antialiased ellipse, which matters with thousands of dots.
QPixmap Dot(const QColor& color, double diameter, qreal devicePixelRatio = 1) {
    const int side = static_cast<int>(std::ceil(diameter)) + 2;
    QPixmap dot(QSize(side, side) * devicePixelRatio);
    dot.setDevicePixelRatio(devicePixelRatio);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const double margin = (side - diameter) / 2;
    painter.drawEllipse(QRectF(margin, margin, diameter, diameter));
    return dot;
}

/// A scatter graph whose dots are drawn at the pixel ratio of what it paints
/// on, so they stay sharp on a scaled screen. QCPScatterStyle centres a pixmap
/// by its size in device pixels, which puts a high-resolution one off its point.
class DotGraph final : public QCPGraph {
public:
    DotGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const QColor& color, double diameter)
        : QCPGraph(keyAxis, valueAxis), color_(color), diameter_(diameter) {}

protected:
    void drawScatterPlot(QCPPainter* painter, const QVector<QPointF>& scatters,
                         const QCPScatterStyle& style) const override {
        if (style.shape() != QCPScatterStyle::ssPixmap) {
            QCPGraph::drawScatterPlot(painter, scatters, style); // vector discs
            return;
        }
        const qreal ratio = painter->device()->devicePixelRatioF();
        if (dot_.devicePixelRatio() != ratio || dot_.isNull())
            dot_ = Dot(color_, diameter_, ratio);
        const QSizeF half = dot_.deviceIndependentSize() / 2;
        for (const QPointF& at : scatters) // on whole device pixels, as Qt puts a pixmap
            painter->drawPixmap(QPointF(std::round((at.x() - half.width()) * ratio) / ratio,
                                        std::round((at.y() - half.height()) * ratio) / ratio),
                                dot_);
    }

private:
    QColor color_;
    double diameter_;
    mutable QPixmap dot_; ///< for the pixel ratio painted on last
};

bool KeyLess(const QCPGraphData& a, const QCPGraphData& b) {
    return a.key < b.key;
}

/// Removes one point equal to `point` (key and value); false if there is none.
bool RemovePoint(QCPGraphDataContainer& data, const QCPGraphData& point) {
    const auto [first, last] = std::equal_range(data.begin(), data.end(), point, KeyLess);
    const auto it =
        std::find_if(first, last, [&](const QCPGraphData& p) { return p.value == point.value; });
    if (it == last)
        return false;
    // remove(key) takes the first point of that key; bring ours there.
    std::rotate(first, it, it + 1);
    data.remove(point.key);
    return true;
}
} // namespace

void InsertAfterEqualKeys(QCPGraphDataContainer& data, const QCPGraphData& point) {
    if (data.isEmpty() || point.key >= (data.constEnd() - 1)->key ||
        point.key < data.constBegin()->key) {
        data.add(point); // appended or prepended: already in its place
        return;
    }
    const auto lower = std::lower_bound(data.constBegin(), data.constEnd(), point, KeyLess);
    const auto upper = std::upper_bound(lower, data.constEnd(), point, KeyLess);
    const auto at = lower - data.constBegin();
    const auto equal = upper - lower;
    data.add(point); // inserted at `lower`, in front of the equal keys
    if (equal > 0) {
        auto it = data.begin() + at;
        std::rotate(it, it + 1, it + 1 + equal);
    }
}

ColorPointSeries::ColorPointSeries(QCPAxis* keyAxis, QCPAxis* valueAxis, const QColor& lineColor,
                                   int lineWidth, double pointSize)
    : QObject(keyAxis->parentPlot()), keyAxis_(keyAxis), valueAxis_(valueAxis),
      line_(keyAxis->parentPlot()->addGraph(keyAxis, valueAxis)), pointSize_(pointSize) {
    line_->setPen(QPen(lineColor, lineWidth));
    line_->setLineStyle(QCPGraph::lsLine);
    line_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
}

QCPGraph* ColorPointSeries::GraphFor(const QColor& color) {
    const QRgb rgb = color.rgb();
    for (const auto& [key, graph] : points_)
        if (key == rgb)
            return graph;
    QCPGraph* graph = new DotGraph(keyAxis_, valueAxis_, color, pointSize_); // the chart owns it
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(PointStyle(color, false));
    points_.emplace_back(rgb, graph);
    return graph;
}

QCPScatterStyle ColorPointSeries::PointStyle(const QColor& color, bool vector) const {
    if (vector)
        return {QCPScatterStyle::ssDisc, color, color, pointSize_};
    QCPScatterStyle dots(Dot(color, pointSize_));
    dots.setSize(pointSize_); // the spacing its adaptive sampling keeps
    return dots;
}

void ColorPointSeries::SetVectorPoints(bool vector) {
    for (const auto& [rgb, graph] : points_)
        graph->setScatterStyle(PointStyle(QColor(rgb), vector));
}

void ColorPointSeries::Add(double key, double value, const QColor& color) {
    if (std::isnan(key) || std::isnan(value))
        return;
    const QCPGraphData point(key, value);
    InsertAfterEqualKeys(*line_->data(), point);
    InsertAfterEqualKeys(*GraphFor(color)->data(), point);
}

void ColorPointSeries::RemoveFirst() {
    QCPGraphDataContainer& line = *line_->data();
    if (line.isEmpty())
        return;
    const QCPGraphData first = *line.constBegin();
    line.remove(first.key);
    for (const auto& entry : points_)
        if (RemovePoint(*entry.second->data(), first))
            return;
}

void ColorPointSeries::Clear() {
    line_->data()->clear();
    for (const auto& entry : points_)
        entry.second->data()->clear();
}

std::optional<QColor> ColorPointSeries::ColorAt(int index) const {
    if (index < 0 || index >= Count())
        return std::nullopt;
    const QCPGraphData point = *(line_->data()->constBegin() + index);
    for (const auto& [rgb, graph] : points_) {
        const QCPGraphDataContainer& data = *graph->data();
        const auto [first, last] =
            std::equal_range(data.constBegin(), data.constEnd(), point, KeyLess);
        if (std::any_of(first, last, [&](const QCPGraphData& p) { return p.value == point.value; }))
            return QColor(rgb);
    }
    return std::nullopt;
}

std::vector<QCPGraph*> ColorPointSeries::PointGraphs() const {
    std::vector<QCPGraph*> graphs;
    for (const auto& entry : points_)
        graphs.push_back(entry.second);
    return graphs;
}
