#include "app/top_band.h"

#include "app/display_text.h"
#include "app/fonts.h"
#include "app/logo.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TopBand::TopBand(int width, QWidget* parent) : QWidget(parent) {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    pnl1Top = new QWidget(this);
    pnl1Top->setAutoFillBackground(true);
    pnl1Top->setPalette(QPalette(Qt::white));
    pnl1Top->setFixedHeight(52);
    auto* top = new QHBoxLayout(pnl1Top);
    top->setContentsMargins(12, 4, 12, 4);
    lbl1 = new QLabel(QStringLiteral("Tessoran Encoder diagnostics tool - Velor SPI"), pnl1Top);
    lbl1->setFont(PixelFont(QStringLiteral("Arial"), 21, true, true));
    WindowColors::SetFontColor(lbl1, WindowColors::Navy);
    Image1 = new QLabel(pnl1Top);
    Image1->setPixmap(TessoranLogo(QSize(180, 44), Image1->devicePixelRatioF()));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Double-click to visit the Tessoran web site"));
    top->addWidget(lbl1);
    top->addStretch(1);
    top->addWidget(Image1);
    v->addWidget(pnl1Top);

    pnl2Mid = new QWidget(this);
    pnl2Mid->setFixedHeight(4);
    pnl2Mid->setAutoFillBackground(true);
    pnl2Mid->setPalette(QPalette(WindowColors::TopStrip));
    v->addWidget(pnl2Mid);

    pnlPosition = new QFrame(this);
    pnlPosition->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlPosition->setAutoFillBackground(true);
    // Fixed both ways, so the position's new text at every reading lays out
    // this band alone, not the whole window.
    pnlPosition->setFixedSize(width, 50);
    auto* pos = new QHBoxLayout(pnlPosition);
    pos->setContentsMargins(6, 2, 6, 2);
    lblPosUnit = new QLabel(QStringLiteral("Position in units"), pnlPosition);
    lblPosUnit->setAlignment(Qt::AlignCenter);
    lblPosUnit->setFont(PixelFont(QStringLiteral("Tahoma"), 29, true));
    pnlCommActive = new LampPanel(QString(), WindowColors::DarkGreen, pnlPosition);
    pnlCommActive->setFixedSize(12, 12);
    pos->addSpacing(12);
    pos->addWidget(lblPosUnit, 1);
    pos->addWidget(pnlCommActive, 0, Qt::AlignVCenter);
    v->addWidget(pnlPosition);
}

void TopBand::SetPanelColor(const QColor& color) {
    // A new palette repaints the whole band; most readings keep the colour.
    if (pnlPosition->palette().color(QPalette::Window) != color)
        pnlPosition->setPalette(QPalette(color));
}

void TopBand::Render(const Engine::Banner& r) {
    lblPosUnit->setText(Latin(r.Text));
    if (r.Font)
        WindowColors::SetFontColor(lblPosUnit, ToQColor(*r.Font));
    if (r.Panel)
        SetPanelColor(ToQColor(*r.Panel));
}

void TopBand::Render(const Engine::Transfer&) {
    pnlCommActive->SetColor(pnlCommActive->Color() == WindowColors::Lime ? WindowColors::Green
                                                                         : WindowColors::Lime);
}

void TopBand::Render(const Engine::Reading& r) {
    lblPosUnit->setText(LocaleFixed(r.Position.Position_unit, 12, 3) + QStringLiteral(" °"));
    SetPanelColor(r.Status == Monitor::StatusColor::Good
                      ? WindowColors::ButtonFace()
                      : ToQColor(Engine::StatusColour(r.Status)));
}
