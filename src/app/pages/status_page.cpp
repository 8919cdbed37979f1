#include "app/pages/status_page.h"

#include "app/display_text.h"
#include "app/page_widgets.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"
#include "encoder/Velor_konstante.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

StatusPage::StatusPage() {
    auto* h = new QHBoxLayout(this);
    auto* values = new QGridLayout;
    Label4 = new QLabel(QStringLiteral("Encoder temperature"), this);
    lblEncTemp = ValueLabel(this);
    Label8 = new QLabel(QStringLiteral("Encoder speed"), this);
    lblEncSpeed = ValueLabel(this);
    Label12 = new QLabel(QStringLiteral("Encoder timestamp"), this);
    lblEncTimestamp = ValueLabel(this);
    Label3 = new QLabel(QStringLiteral("Encoder detailed status (bin)"), this);
    lblEncDetStatBin = ValueLabel(this);
    const std::pair<QLabel*, QLabel*> rows[] = {{Label4, lblEncTemp},
                                                {Label8, lblEncSpeed},
                                                {Label12, lblEncTimestamp},
                                                {Label3, lblEncDetStatBin}};
    int r = 0;
    for (auto [caption, value] : rows) {
        values->addWidget(caption, r, 0);
        values->addWidget(value, r, 1);
        ++r;
    }
    values->setRowStretch(r, 1);

    GroupBox5 = new QGroupBox(QStringLiteral(" Encoder Status "), this);
    auto* lamps = new QVBoxLayout(GroupBox5);
    pnlOAngleAccel = Lamp(QStringLiteral("Acceleration"), GroupBox5,
                          QStringLiteral("position has changed for > 20° in 20 µsec"));
    pnlOSafety = Lamp(QStringLiteral("Safety comp."), GroupBox5,
                      QStringLiteral("Redundacy deviation > 20°"));
    pnlOSignalHigh = Lamp(QStringLiteral("Signal High"), GroupBox5);
    pnlOSignalLow = Lamp(QStringLiteral("Signal Low"), GroupBox5);
    pnlOTemperature = Lamp(QStringLiteral("Temerature"), GroupBox5);
    pnlOSpeed = Lamp(QStringLiteral("Speed"), GroupBox5);
    pnlOmultiturn = Lamp(QStringLiteral("Multiturn Err"), GroupBox5);
    for (LampPanel* lamp : {pnlOAngleAccel, pnlOSafety, pnlOSignalHigh, pnlOSignalLow,
                            pnlOTemperature, pnlOSpeed, pnlOmultiturn})
        lamps->addWidget(lamp);
    lamps->addStretch(1);
    h->addLayout(values, 1);
    h->addWidget(GroupBox5);
}

void StatusPage::Render(const Engine::Reading& r) {
    using namespace Velor_konstante;
    switch (r.Command) {
    case Cmd::DetailedStatus:
        lblEncDetStatBin->setText(Latin(r.DetailedStatusBits));
        if (r.Lamps) {
            LampPanel* const lamps[] = {pnlOSignalHigh, pnlOSignalLow,  pnlOTemperature, pnlOSpeed,
                                        pnlOmultiturn,  pnlOAngleAccel, pnlOSafety};
            for (std::size_t i = 0; i < r.Lamps->size(); ++i)
                lamps[i]->SetColor(ToQColor((*r.Lamps)[i]));
        }
        break;
    case Cmd::Temperature:
        lblEncTemp->setText(LocaleFixed(r.Aux.Temperature_value / 10.0, 4, 1) +
                            QStringLiteral(" °C"));
        break;
    case Cmd::Speed:
        lblEncSpeed->setText(LocaleFixed(r.Aux.Speed_value / 10.0, 4, 1) + QStringLiteral(" RPM"));
        break;
    case Cmd::Timestamp:
        lblEncTimestamp->setText(
            QStringLiteral("0x") +
            QStringLiteral("%1").arg(r.Position.Timestamp, 4, 16, QLatin1Char('0')).toUpper());
        break;
    default:
        break;
    }
}
