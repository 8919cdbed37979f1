#pragma once
// What the tooltip of a chart point says: the reading behind it and its status.

#include <QString>

class ColorPointSeries;
class QCPGraph;
class QColor;

/// "good", "warning" or "error" for the colour a reading of that status is
/// drawn in; empty for any other colour.
[[nodiscard]] QString StatusName(const QColor& color);

/// The position chart's point at `index` of `angles`: reading number, angle,
/// the turn count when `turns` has a point for that reading, status.
[[nodiscard]] QString PositionPointText(const ColorPointSeries& angles, const QCPGraph& turns,
                                        int index);

/// The air-gap chart's point at `index` of `gaps`: angle, gap, status.
[[nodiscard]] QString AirGapPointText(const ColorPointSeries& gaps, int index);
