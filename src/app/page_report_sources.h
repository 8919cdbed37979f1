#pragma once
// The installation report's view of the other pages: the Identification
// page's magnet size and the Position page's chart.

#include "app/pages/report_sources.h"

class EncoderIdentificationPage;
class PositionPage;

class PageReportSources final : public ReportSources {
public:
    PageReportSources(const EncoderIdentificationPage& identification, PositionPage& position)
        : identification_(identification), position_(position) {}

    [[nodiscard]] QString MagnetSize() const override;
    [[nodiscard]] std::unique_ptr<PrintedChart> PositionChart(bool multiturn) override;

private:
    const EncoderIdentificationPage& identification_;
    PositionPage& position_;
};
