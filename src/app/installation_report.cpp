#include "app/installation_report.h"

#include "app/window_colors.h"

#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <qcustomplot.h>

namespace {
// At 96 dots per inch one chart pixel is one page unit, so the charts keep
// the proportions of their fonts and lines as the window shows them.
constexpr int Dpi = 96;
constexpr int Margin = 48;
constexpr int Gap = 14;
constexpr int HeadingHeight = 22;
constexpr int RowHeight = 18;
constexpr int LabelWidth = 118;
const QColor Ink(0x20, 0x20, 0x20);
const QColor Muted(0x60, 0x60, 0x60);
const QColor Band(0xE4, 0xEA, 0xF4);

QFont Font(double points, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

/// A section heading on a tinted band; returns the y under it.
int DrawHeading(QPainter& p, const QRect& band, const QString& text) {
    p.fillRect(band, Band);
    p.setPen(WindowColors::Navy);
    p.setFont(Font(10, true));
    p.drawText(band.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
    return band.bottom() + 1;
}

/// A word on a coloured tag at the right of a heading's band.
void DrawBadge(QPainter& p, const QRect& band, const QString& text, const QColor& color) {
    p.setFont(Font(10, true));
    const int width = QFontMetrics(p.font(), p.device()).horizontalAdvance(text) + 16;
    const QRect tag(band.right() - width - 3, band.top() + 3, width, band.height() - 6);
    p.fillRect(tag, color);
    p.setPen(color.lightness() < 110 ? Qt::white : Qt::black);
    p.drawText(tag, Qt::AlignCenter, text);
}

/// The section as label/value rows (values wrap when long); returns its height.
int DrawSection(QPainter& p, const QRect& area, const ReportSection& section) {
    int y = DrawHeading(p, QRect(area.left(), area.top(), area.width(), HeadingHeight),
                        section.Heading) +
            4;
    const int valueLeft = area.left() + 6 + LabelWidth;
    const int valueWidth = area.right() - valueLeft - 4;
    for (const auto& [label, value] : section.Rows) {
        p.setFont(Font(9));
        const QRect wanted = p.boundingRect(QRect(valueLeft, y, valueWidth, 1000),
                                            Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, value);
        const int height = std::max(RowHeight, wanted.height() + 4);
        p.setPen(Muted);
        p.drawText(QRect(area.left() + 6, y, LabelWidth - 6, height), Qt::AlignLeft | Qt::AlignTop,
                   label);
        p.setPen(Ink);
        p.setFont(Font(9, true));
        p.drawText(QRect(valueLeft, y, valueWidth, height),
                   Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, value);
        y += height;
    }
    return y - area.top();
}

/// Two sections side by side; returns the taller one's height.
int DrawPair(QPainter& p, int top, int width, const ReportSection& left,
             const ReportSection& right) {
    const int half = (width - Gap) / 2;
    const int a = DrawSection(p, QRect(Margin, top, half, 0), left);
    const int b = DrawSection(p, QRect(Margin + half + Gap, top, half, 0), right);
    return std::max(a, b);
}

/// The figures in one row of equal cells, label over value; returns the height.
int DrawFigures(QPainter& p, int top, int width, const ReportSection& figures,
                const QString& note) {
    int y = DrawHeading(p, QRect(Margin, top, width, HeadingHeight), figures.Heading) + 4;
    if (!figures.Rows.empty()) {
        const int cell = width / static_cast<int>(figures.Rows.size());
        for (std::size_t i = 0; i < figures.Rows.size(); ++i) {
            const QRect r(Margin + static_cast<int>(i) * cell + 6, y, cell - 6, 34);
            p.setPen(Muted);
            p.setFont(Font(8.5));
            p.drawText(r, Qt::AlignLeft | Qt::AlignTop, figures.Rows[i].first);
            p.setPen(Ink);
            p.setFont(Font(12, true));
            p.drawText(r, Qt::AlignLeft | Qt::AlignBottom, figures.Rows[i].second);
        }
        y += 38;
    }
    if (!note.isEmpty()) {
        p.setPen(Muted);
        p.setFont(Font(8.5));
        p.drawText(QRect(Margin + 6, y, width - 12, RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   note);
        y += RowHeight;
    }
    return y - top;
}

/// What the point colours mean, right-aligned in a chart's heading band.
void DrawPointLegend(QPainter& p, const QRect& band) {
    const std::pair<QColor, QString> keys[] = {{WindowColors::Navy, QStringLiteral("good")},
                                               {WindowColors::Orange, QStringLiteral("warning")},
                                               {WindowColors::LightRed, QStringLiteral("error")}};
    p.setFont(Font(8.5));
    const QFontMetrics metrics(p.font(), p.device());
    int x = band.right() - 6;
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        const int textWidth = metrics.horizontalAdvance(it->second);
        x -= textWidth;
        p.setPen(Ink);
        p.drawText(QRect(x, band.top(), textWidth + 2, band.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, it->second);
        x -= 11;
        p.setPen(Qt::NoPen);
        p.setBrush(it->first);
        p.drawEllipse(QRectF(x, band.center().y() - 3.5, 7, 7));
        p.setBrush(Qt::NoBrush);
        x -= 12;
    }
}

void DrawChart(QCPPainter& p, const QRect& area, const ReportChart& chart) {
    const QRect band(area.left(), area.top(), area.width(), HeadingHeight);
    const int top = DrawHeading(p, band, chart.Heading) + 2;
    DrawPointLegend(p, band);
    const QRect plot(area.left(), top, area.width(), area.bottom() - top);
    if (chart.Chart) {
        p.save();
        p.translate(plot.topLeft());
        chart.Chart->toPainter(&p, plot.width(), plot.height());
        p.restore();
    }
    if (!chart.Note.isEmpty()) {
        p.setPen(Muted);
        p.setFont(Font(10));
        p.drawText(plot, Qt::AlignCenter, chart.Note);
    }
}
} // namespace

bool WriteInstallationReport(const InstallationReportPage& page, QIODevice& out, QString& reason) {
    QPdfWriter writer(&out);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setResolution(Dpi);
    writer.setTitle(page.Title);
    writer.setCreator(QStringLiteral("Tessoran ") + page.Version);

    QCPPainter p;
    if (!p.begin(&writer)) {
        reason = out.errorString().isEmpty() ? QStringLiteral("the PDF writer did not start")
                                             : out.errorString();
        return false;
    }
    // No pixel-grid tricks and no cached text pixmaps: the page stays vector.
    p.setMode(QCPPainter::pmVectorized);
    p.setMode(QCPPainter::pmNoCaching);
    const int pageWidth = writer.width();
    const int pageHeight = writer.height();
    const int width = pageWidth - 2 * Margin;

    // Heading: title on the left, date and version on the right.
    int y = Margin;
    p.setPen(WindowColors::Navy);
    p.setFont(Font(20, true));
    p.drawText(QRect(Margin, y, width, 34), Qt::AlignLeft | Qt::AlignVCenter, page.Title);
    p.setPen(Ink);
    p.setFont(Font(9.5));
    p.drawText(QRect(Margin, y, width, 17), Qt::AlignRight | Qt::AlignVCenter, page.SavedAt);
    p.setPen(Muted);
    p.drawText(QRect(Margin, y + 17, width, 17), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Tessoran ") + page.Version);
    y += 40;
    p.setPen(QPen(WindowColors::Navy, 2));
    p.drawLine(QLineF(Margin, y, Margin + width, y));
    y += 12;

    y += DrawPair(p, y, width, page.Box, page.Encoder) + Gap;
    y += DrawPair(p, y, width, page.Values, page.Flags) + Gap;
    y += DrawFigures(p, y, width, page.Statistics, page.StatisticsNote) + Gap;
    y += DrawFigures(p, y, width, page.Limits, QString()) + Gap;
    const QRect verdictBand(Margin, y, width, HeadingHeight);
    y += DrawSection(p, QRect(Margin, y, width, 0), page.Verdict) + Gap;
    if (!page.VerdictName.isEmpty())
        DrawBadge(p, verdictBand, page.VerdictName, page.VerdictColor);
    if (!page.LinkTest.Heading.isEmpty())
        y += DrawFigures(p, y, width, page.LinkTest, page.LinkTestNote) + Gap;

    // The charts share what is left, the air gap taking the larger part.
    const int footer = 20;
    const int left = pageHeight - Margin - footer - y - Gap;
    const int gapHeight = left * 11 / 20;
    DrawChart(p, QRect(Margin, y, width, gapHeight), page.GapChart);
    y += gapHeight + Gap;
    DrawChart(p, QRect(Margin, y, width, pageHeight - Margin - footer - y), page.PositionChart);

    p.setPen(Muted);
    p.setFont(Font(7.5));
    p.drawText(QRect(Margin, pageHeight - Margin - footer + 6, width, footer - 6),
               Qt::AlignLeft | Qt::AlignVCenter, page.FileName);
    if (!p.end()) {
        reason = out.errorString().isEmpty() ? QStringLiteral("the PDF could not be finished")
                                             : out.errorString();
        return false;
    }
    return true;
}
