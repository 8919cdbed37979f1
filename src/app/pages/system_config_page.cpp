#include "app/pages/system_config_page.h"

#include "app/display_text.h"
#include "app/fonts.h"
#include "app/page_widgets.h"
#include "app/pages/link_test_group.h"
#include "app/pages/page_host.h"
#include "app/widgets/spin_edit.h"
#include "interface/k730_commands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SystemConfigPage::SystemConfigPage(PageHost& host) : host_(host) {
    auto* grid = new QGridLayout(this);

    gInterfaceInfo = new QGroupBox(QStringLiteral(" Interface info "), this);
    auto* info = new QVBoxLayout(gInterfaceInfo);
    lblComPort = TahomaLabel(QStringLiteral("Com Port"), 13, gInterfaceInfo);
    lblInterfaceVer = TahomaLabel(QStringLiteral("Version"), 13, gInterfaceInfo);
    lblInterfaceSerial = TahomaLabel(QStringLiteral("Serial number"), 13, gInterfaceInfo);
    info->addWidget(lblComPort);
    info->addWidget(lblInterfaceVer);
    info->addWidget(lblInterfaceSerial);
    info->addStretch(1);

    grpEncClk = new QGroupBox(QStringLiteral(" Encoder frequency"), this);
    auto* clk = new QGridLayout(grpEncClk);
    Label6 = new QLabel(QStringLiteral("SPI CLK frequency"), grpEncClk);
    cmbFreqSPI = new QComboBox(grpEncClk);
    for (const std::string_view clock : K730::ClockTexts)
        cmbFreqSPI->addItem(
            QString::fromLatin1(clock.data(), static_cast<qsizetype>(clock.size())));
    cmbFreqSPI->setCurrentIndex(5);
    Label5 = new QLabel(QStringLiteral("Delay between readings (ms)"), grpEncClk);
    seEncoderReadInterval = new SpinEdit(1, 10000, 70, 10, grpEncClk);
    Label6->setBuddy(cmbFreqSPI);
    Label5->setBuddy(seEncoderReadInterval);
    clk->addWidget(Label6, 0, 0);
    clk->addWidget(cmbFreqSPI, 0, 1);
    clk->addWidget(Label5, 1, 0);
    clk->addWidget(seEncoderReadInterval, 1, 1);

    grpEncPower = new QGroupBox(QStringLiteral(" Encoder power supply"), this);
    auto* pwr = new QVBoxLayout(grpEncPower);
    auto* radios = new QHBoxLayout;
    rbPwr5v = new QRadioButton(QStringLiteral("5 V"), grpEncPower);
    rbPwr33v = new QRadioButton(QStringLiteral("3.3 V"), grpEncPower);
    rbPwrOff = new QRadioButton(QStringLiteral("OFF"), grpEncPower);
    rbPwr5v->setChecked(true);
    rbPwr33v->setEnabled(false);
    radios->addWidget(rbPwr5v);
    radios->addWidget(rbPwr33v);
    radios->addWidget(rbPwrOff);
    lblEncPwrStatus = new QLabel(QStringLiteral("Encoder supply status"), grpEncPower);
    lblEncPwrStatus->setWordWrap(true);
    pwr->addLayout(radios);
    pwr->addWidget(lblEncPwrStatus);

    grpSystemHidden = new QGroupBox(QStringLiteral(" Comms "), this);
    auto* comms = new QVBoxLayout(grpSystemHidden);
    lblCmd = new QLabel(QStringLiteral("lblCmd"), grpSystemHidden);
    lblData = new QLabel(QStringLiteral("lblData"), grpSystemHidden);
    lblCmd->setFont(ValueFont());
    lblData->setFont(ValueFont());
    cbLogComm = new QCheckBox(QStringLiteral("Log Comm"), grpSystemHidden);
    comms->addWidget(lblCmd);
    comms->addWidget(lblData);
    comms->addWidget(cbLogComm);
    grpSystemHidden->setVisible(false);

    grpLinkTest = new LinkTestGroup(host_, this);

    lbl2 = new QLabel(QStringLiteral("Diagnostic log"), this);
    mmLog = new QPlainTextEdit(this);
    mmLog->setFont(PixelFont(QStringLiteral("Arial Narrow"), 11));
    mmLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    lbl2->setBuddy(mmLog);
    Button1 = new QPushButton(QStringLiteral("Clear log"), this);

    auto* left = new QVBoxLayout;
    left->addWidget(gInterfaceInfo);
    left->addWidget(grpEncClk);
    left->addWidget(grpEncPower);
    left->addWidget(grpSystemHidden);
    left->addWidget(grpLinkTest); // last: the groups above stay where they were
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(lbl2);
    right->addWidget(mmLog, 1);
    right->addWidget(Button1, 0, Qt::AlignRight);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);

    connect(seEncoderReadInterval, &QSpinBox::valueChanged, this,
            &SystemConfigPage::seEncoderReadIntervalChange);
    connect(cbLogComm, &QCheckBox::toggled, this,
            [this](bool on) { host_.Ask(Engine::LogCommunication{on}); });
    connect(rbPwr5v, &QRadioButton::clicked, this, &SystemConfigPage::rbPwr5vClick);
    connect(rbPwrOff, &QRadioButton::clicked, this, &SystemConfigPage::rbPwrOffClick);
    // User changes only; the engine's own choice arrives as a report.
    connect(cmbFreqSPI, &QComboBox::activated, this, &SystemConfigPage::cmbFreqSPIChange);
    connect(Button1, &QPushButton::clicked, this, &SystemConfigPage::Button1Click);
    // As if the user had picked it in the list.
    connect(grpLinkTest, &LinkTestGroup::clockChosen, this, [this](int itemIndex) {
        cmbFreqSPI->setCurrentIndex(itemIndex);
        cmbFreqSPIChange();
    });
}

void SystemConfigPage::rbPwr5vClick() {
    host_.Ask(Engine::SetSupply{true});
}

void SystemConfigPage::rbPwrOffClick() {
    host_.Ask(Engine::SetSupply{false});
}

void SystemConfigPage::cmbFreqSPIChange() {
    host_.Ask(Engine::SetSpiClock{cmbFreqSPI->currentIndex()});
}

void SystemConfigPage::seEncoderReadIntervalChange() {
    host_.Ask(Engine::SetReadInterval{seEncoderReadInterval->Value()});
}

void SystemConfigPage::Button1Click() {
    mmLog->clear();
}

void SystemConfigPage::SendSettings() {
    host_.Ask(Engine::SetReadInterval{seEncoderReadInterval->Value()});
    host_.Ask(Engine::LogCommunication{cbLogComm->isChecked()});
}

void SystemConfigPage::Render(const Engine::InterfaceInfo& r) {
    lblComPort->setText(Latin(r.Port));
    lblInterfaceVer->setText(Latin(r.Version));
    lblInterfaceSerial->setText(Latin(r.Serial));
}

void SystemConfigPage::Render(const Engine::ClockSelected& r) {
    cmbFreqSPI->setCurrentIndex(r.ItemIndex); // not a user's choice: no request
}

void SystemConfigPage::Render(const Engine::SupplyStatus& r) {
    lblEncPwrStatus->setText(Latin(r.Text));
}

void SystemConfigPage::Render(const Engine::Transfer& r) {
    lblCmd->setText(Latin(r.Frame));
    if (r.Exchanged)
        lblData->setText(Latin(r.Reply));
}

void SystemConfigPage::Render(const Engine::LinkTestProgress& r) {
    grpLinkTest->Render(r);
}

void SystemConfigPage::Render(const Engine::LinkTestEnded& r) {
    grpLinkTest->Render(r);
}

const std::optional<Monitor::LinkTestResult>& SystemConfigPage::LastLinkTest() const {
    return grpLinkTest->LastLinkTest();
}
