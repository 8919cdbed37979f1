#include "app/pages/encoder_identification_page.h"

#include "app/display_text.h"
#include "app/page_widgets.h"
#include "app/pages/page_host.h"
#include "encoder/Velor_konstante.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

EncoderIdentificationPage::EncoderIdentificationPage(PageHost& host) : host_(host) {
    auto* v = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral(" Bacic encoder info "), this);
    auto* info = new QGridLayout(GroupBox1);
    lblEncPartNumber = TahomaLabel(QStringLiteral("Part number"), 13, GroupBox1);
    lblEncSerial = TahomaLabel(QStringLiteral("Serial number"), 13, GroupBox1);
    lblEncFirmware = TahomaLabel(QStringLiteral("Firmware version"), 13, GroupBox1);
    lblEncAdditional = TahomaLabel(QStringLiteral("Additional data"), 13, GroupBox1);
    Label9 = new QLabel(QStringLiteral("Magnet size:"), GroupBox1);
    cbbMagnetSize = new QComboBox(GroupBox1);
    cbbMagnetSize->setEditable(true);
    cbbMagnetSize->addItems(
        {QStringLiteral("12"), QStringLiteral("16"), QStringLiteral("22"), QStringLiteral("30")});
    cbbMagnetSize->setCurrentIndex(-1);
    cbbMagnetSize->setEditText(QString());
    Label9->setBuddy(cbbMagnetSize);
    info->addWidget(lblEncPartNumber, 0, 0);
    info->addWidget(lblEncSerial, 1, 0);
    info->addWidget(lblEncFirmware, 2, 0);
    info->addWidget(lblEncAdditional, 3, 0);
    auto* magnet = new QHBoxLayout;
    magnet->addWidget(Label9);
    magnet->addWidget(cbbMagnetSize);
    magnet->addStretch(1);
    info->addLayout(magnet, 4, 0);
    GroupBox2 = new QGroupBox(QStringLiteral(" Electronic datasheet"), this);
    auto* eds = new QVBoxLayout(GroupBox2);
    lblEDS = new QLabel(QStringLiteral("Encoder datasheet not present in this encoder type."),
                        GroupBox2);
    eds->addWidget(lblEDS);
    v->addWidget(GroupBox1);
    v->addWidget(GroupBox2);
    v->addStretch(1);

    connect(cbbMagnetSize->lineEdit(), &QLineEdit::textEdited, this,
            &EncoderIdentificationPage::cbbMagnetSizeChange);
    connect(cbbMagnetSize, &QComboBox::activated, this,
            &EncoderIdentificationPage::cbbMagnetSizeChange);
}

void EncoderIdentificationPage::cbbMagnetSizeChange() {
    host_.Ask(Engine::SetMagnetSize{cbbMagnetSize->currentText().toStdString()});
}

QString EncoderIdentificationPage::MagnetSize() const {
    return cbbMagnetSize->currentText();
}

void EncoderIdentificationPage::Render(const Engine::EncoderLabels& r) {
    lblEncPartNumber->setText(Latin(r.PartNumber));
    lblEncSerial->setText(Latin(r.Serial));
    lblEncFirmware->setText(Latin(r.Firmware));
    lblEncAdditional->setText(Latin(r.Additional));
}

void EncoderIdentificationPage::Render(const Engine::MagnetSizeChosen& r) {
    cbbMagnetSize->setEditText(Latin(r.Text)); // the engine has taken it already
}

void EncoderIdentificationPage::Render(const Engine::Reading& r) {
    if (r.Command == Velor_konstante::Cmd::SerialNumber)
        lblEncSerial->setText(QStringLiteral("Serial number: ") + Latin(r.SerialNumber));
}
