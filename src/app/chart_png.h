#pragma once
// Orodja: a chart saved as a PNG image, as it is drawn on screen.

#include <QString>
#include <functional>

class QCustomPlot;

namespace Orodja {

/// The name with its extension replaced by ".png", or ".png" appended when it
/// has none. Only a dot in the file name itself starts an extension, not one in
/// a folder name: "a.b.c" gives "a.b.png", "dir.v2/chart" gives "dir.v2/chart.png".
[[nodiscard]] QString ForcePngExtension(const QString& fileName);

/// Renders `chart` off screen at its on-screen size through a 16-bit (RGB565)
/// image and writes it as PNG under ForcePngExtension(fileName), replacing a
/// file of that name. The file is written whole or not at all. On failure,
/// `showError` gets "Shranjevanje PNG slike ni bilo uspešno!" and the result is
/// false; an existing file of that name is then left as it was.
[[nodiscard]] bool SaveChartAsPng(QCustomPlot& chart, const QString& fileName,
                                  const std::function<void(const QString&)>& showError);

} // namespace Orodja
