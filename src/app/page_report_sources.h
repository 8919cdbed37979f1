#pragma once
// The installation report's view of the other pages: the Identification
// page's magnet size, the Position page's chart and System Config's link test.

#include "app/pages/report_sources.h"

class EncoderIdentificationPage;
class PositionPage;
class SystemConfigPage;

class PageReportSources final : public ReportSources {
public:
    PageReportSources(const EncoderIdentificationPage& identification, PositionPage& position,
                      const SystemConfigPage& systemConfig)
        : identification_(identification), position_(position), systemConfig_(systemConfig) {}

    [[nodiscard]] QString MagnetSize() const override;
    [[nodiscard]] std::unique_ptr<PrintedChart> PositionChart(bool multiturn) override;
    [[nodiscard]] const Monitor::LinkTestResult* LastLinkTest() const override;

private:
    const EncoderIdentificationPage& identification_;
    PositionPage& position_;
    const SystemConfigPage& systemConfig_;
};
