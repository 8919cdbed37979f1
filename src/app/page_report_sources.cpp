#include "app/page_report_sources.h"

#include "app/pages/encoder_identification_page.h"
#include "app/pages/position_page.h"
#include "app/pages/system_config_page.h"

QString PageReportSources::MagnetSize() const {
    return identification_.MagnetSize();
}

std::unique_ptr<PrintedChart> PageReportSources::PositionChart(bool multiturn) {
    return position_.PrintChart(multiturn);
}

const Monitor::LinkTestResult* PageReportSources::LastLinkTest() const {
    const auto& last = systemConfig_.LastLinkTest();
    return last ? &*last : nullptr;
}
