#pragma once
// What the installation report reads from the pages other than its own. It is
// read only, but for a chart, which is readied for the report's page while
// the page is drawn.

#include "app/installation_report.h"
#include "monitor/link_test.h"

#include <QString>
#include <memory>

/// A page's chart as the report draws it, while this lives; then the chart
/// is as it was.
class PrintedChart {
public:
    virtual ~PrintedChart() = default;
    [[nodiscard]] virtual ReportChart Chart() const = 0;
};

class ReportSources {
public:
    /// The magnet size as chosen on the Identification page; empty: none.
    [[nodiscard]] virtual QString MagnetSize() const = 0;
    /// The Position page's chart of the live readings (a review shown on it
    /// ends), its turn axis shown only for a multiturn encoder.
    [[nodiscard]] virtual std::unique_ptr<PrintedChart> PositionChart(bool multiturn) = 0;
    /// The System Config page's last finished link test; null: none this session.
    [[nodiscard]] virtual const Monitor::LinkTestResult* LastLinkTest() const = 0;

protected:
    ~ReportSources() = default;
};
