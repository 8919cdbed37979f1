// What the engine reports, shown: the window drains the reports on its own
// thread at most once per frame, renders its own part of each and hands it to
// every page that renders that kind of report.
#include "app/Velor_SPI_Main.h"

#include "app/display_text.h"
#include "app/pages/encoder_config_page.h"
#include "app/pages/encoder_identification_page.h"
#include "app/pages/installation_page.h"
#include "app/pages/position_page.h"
#include "app/pages/status_page.h"
#include "app/pages/system_config_page.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

namespace {
template <class Page, class Report> void HandTo(Page* page, const Report& report) {
    if constexpr (requires { page->Render(report); })
        page->Render(report);
}
} // namespace

void TMainForm::ReportsWaiting() {
    // At most one drain per frame: a reading every millisecond must not
    // become a repaint every millisecond.
    if (drainTimer_->isActive())
        return;
    const qint64 since = sinceDrain_.isValid() ? sinceDrain_.elapsed() : FrameMs;
    if (since >= FrameMs)
        DrainReports();
    else
        drainTimer_->start(static_cast<int>(FrameMs - since));
}

void TMainForm::DrainReports() {
    sinceDrain_.start();
    if (!env_.Channel)
        return;
    for (const Engine::Report& report : env_.Channel->TakeReports()) {
        std::visit([this](const auto& r) { HandOut(r); }, report);
        emit reportRendered(report);
    }
}

template <class Report> void TMainForm::HandOut(const Report& report) {
    if constexpr (requires { Render(report); })
        Render(report);
    HandTo(tabSysCfg, report);
    HandTo(tabEncIdent, report);
    HandTo(tabEncPos, report);
    HandTo(tabEncStatus, report);
    HandTo(tabInstCal, report);
    HandTo(tabEncConfig, report);
}

void TMainForm::SetPanelColor(const QColor& color) {
    // A new palette repaints the whole band; most readings keep the colour.
    if (pnlPosition->palette().color(QPalette::Window) != color)
        pnlPosition->setPalette(QPalette(color));
}

void TMainForm::Render(const Engine::LogLine& r) {
    // UTF-8: a line may name a folder; device bytes in it are printable ASCII.
    tabSysCfg->mmLog->appendPlainText(QString::fromStdString(r.Text));
    if (r.Scroll)
        ScrollLog();
}

void TMainForm::Render(const Engine::Banner& r) {
    lblPosUnit->setText(Latin(r.Text));
    if (r.Font)
        WindowColors::SetFontColor(lblPosUnit, ToQColor(*r.Font));
    if (r.Panel)
        SetPanelColor(ToQColor(*r.Panel));
}

void TMainForm::Render(const Engine::CaptionFields& r) {
    caption_ = r;
    UpdateCaption();
}

void TMainForm::Render(const Engine::SearchPassEnded&) {
    if (waitCursor_) {
        waitCursor_ = false;
        QApplication::restoreOverrideCursor();
    }
}

void TMainForm::Render(const Engine::Transfer&) {
    pnlCommActive->SetColor(pnlCommActive->Color() == WindowColors::Lime ? WindowColors::Green
                                                                         : WindowColors::Lime);
}

void TMainForm::Render(const Engine::Reading& r) {
    lblPosUnit->setText(LocaleFixed(r.Position.Position_unit, 12, 3) + QStringLiteral(" °"));
    SetPanelColor(r.Status == Monitor::StatusColor::Good
                      ? WindowColors::ButtonFace()
                      : ToQColor(Engine::StatusColour(r.Status)));
}

void TMainForm::Render(const Engine::Message& r) {
    ShowBox(r.Error, QString::fromStdString(r.Text));
}
