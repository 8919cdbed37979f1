// The window's controls, page by page, with their captions, defaults and fonts.
#include "app/Velor_SPI_Main.h"
#include "app/fonts.h"
#include "app/limits_panel.h"
#include "app/logo.h"
#include "app/review_band.h"
#include "app/widgets/lamp_panel.h"
#include "app/widgets/page_tabs.h"
#include "app/widgets/path_label.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace {
QLabel* ValueLabel(QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("..."), parent);
    label->setFont(ValueFont());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* TahomaLabel(const QString& text, int px, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(PixelFont(QStringLiteral("Tahoma"), px));
    return label;
}

QCustomPlot* NewChart(QWidget* parent) {
    auto* chart = new QCustomPlot(parent);
    chart->setBackground(Qt::white);
    chart->axisRect()->setBackground(Qt::white);
    chart->legend->setVisible(false);
    chart->setStyleSheet(QStringLiteral("border: 1px solid silver;"));
    // Drawn at the pixel ratio of the screen it is on now, so it stays sharp
    // on a scaled screen and after moving to another one.
    QObject::connect(chart, &QCustomPlot::beforeReplot, chart,
                     [chart] { chart->setBufferDevicePixelRatio(chart->devicePixelRatioF()); });
    return chart;
}

LampPanel* Lamp(const QString& caption, QWidget* parent, const QString& hint = {}) {
    auto* lamp = new LampPanel(caption, WindowColors::Silver, parent);
    lamp->setMinimumSize(120, 22);
    if (!hint.isEmpty())
        lamp->setToolTip(hint);
    return lamp;
}
} // namespace

QColor WindowColors::ButtonFace() {
    return QApplication::palette().color(QPalette::Button);
}

void WindowColors::SetFontColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

void TMainForm::BuildLayout() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(BuildTopBand());

    Pages = new PageTabs(this);
    Pages->tabBar()->setFont(PixelFont(QStringLiteral("Arial Narrow"), 16, true));
    Pages->tabBar()->setExpanding(false);
    Pages->addTab(BuildSysCfgPage(), QStringLiteral("  System Config  "));
    Pages->addTab(BuildEncIdentPage(), QStringLiteral("  Encoder Identification  "));
    Pages->addTab(BuildEncPosPage(), QStringLiteral("  Position  "));
    Pages->addTab(BuildEncStatusPage(), QStringLiteral("  Status  "));
    Pages->addTab(BuildInstCalPage(), QStringLiteral("  Installation  "));
    Pages->addTab(BuildEncConfigPage(), QStringLiteral("  Encoder Config  "));
    tabUserMem = new QWidget;
    tabDiag = new QWidget;
    tabErrMap = new QWidget;
    tabTest = new QWidget;
    tabDebug = new QWidget;
    btnDebugUnlock = new QPushButton(QStringLiteral("Debug Unlock"), tabDebug);
    btnDebugUnlock->setGeometry(16, 16, 120, 28);
    Pages->addTab(tabUserMem, QStringLiteral("User Memory"));
    Pages->addTab(tabDiag, QStringLiteral("Diagnostics"));
    Pages->addTab(tabErrMap, QStringLiteral("Error Map"));
    Pages->addTab(tabTest, QStringLiteral("Test"));
    Pages->addTab(tabDebug, QStringLiteral("Debug"));
    root->addWidget(Pages, 1);
}

QWidget* TMainForm::BuildTopBand() {
    auto* band = new QWidget(this);
    auto* v = new QVBoxLayout(band);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    pnl1Top = new QWidget(band);
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

    pnl2Mid = new QWidget(band);
    pnl2Mid->setFixedHeight(4);
    pnl2Mid->setAutoFillBackground(true);
    pnl2Mid->setPalette(QPalette(WindowColors::TopStrip));
    v->addWidget(pnl2Mid);

    pnlPosition = new QFrame(band);
    pnlPosition->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlPosition->setAutoFillBackground(true);
    // Fixed both ways, so the position's new text at every reading lays out
    // this band alone, not the whole window.
    pnlPosition->setFixedSize(FormSize.width(), 50);
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
    return band;
}

QWidget* TMainForm::BuildSysCfgPage() {
    tabSysCfg = new QWidget;
    auto* grid = new QGridLayout(tabSysCfg);

    gInterfaceInfo = new QGroupBox(QStringLiteral(" Interface info "), tabSysCfg);
    auto* info = new QVBoxLayout(gInterfaceInfo);
    lblComPort = TahomaLabel(QStringLiteral("Com Port"), 13, gInterfaceInfo);
    lblInterfaceVer = TahomaLabel(QStringLiteral("Version"), 13, gInterfaceInfo);
    lblInterfaceSerial = TahomaLabel(QStringLiteral("Serial number"), 13, gInterfaceInfo);
    info->addWidget(lblComPort);
    info->addWidget(lblInterfaceVer);
    info->addWidget(lblInterfaceSerial);
    info->addStretch(1);

    grpEncClk = new QGroupBox(QStringLiteral(" Encoder frequency"), tabSysCfg);
    auto* clk = new QGridLayout(grpEncClk);
    Label6 = new QLabel(QStringLiteral("SPI CLK frequency"), grpEncClk);
    cmbFreqSPI = new QComboBox(grpEncClk);
    cmbFreqSPI->addItems({QStringLiteral("1 = 94 kHz"), QStringLiteral("2 = 188 kHz"),
                          QStringLiteral("3 = 375 kHz"), QStringLiteral("4 = 750 kHz"),
                          QStringLiteral("5 = 1.5 MHz"), QStringLiteral("6 =  3 MHz"),
                          QStringLiteral("7 =  6 MHz"), QStringLiteral("8 = 12 MHz")});
    cmbFreqSPI->setCurrentIndex(5);
    Label5 = new QLabel(QStringLiteral("Delay between readings (ms)"), grpEncClk);
    seEncoderReadInterval = new SpinEdit(1, 10000, 70, 10, grpEncClk);
    clk->addWidget(Label6, 0, 0);
    clk->addWidget(cmbFreqSPI, 0, 1);
    clk->addWidget(Label5, 1, 0);
    clk->addWidget(seEncoderReadInterval, 1, 1);

    grpEncPower = new QGroupBox(QStringLiteral(" Encoder power supply"), tabSysCfg);
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

    grpSystemHidden = new QGroupBox(QStringLiteral(" Comms "), tabSysCfg);
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

    lbl2 = new QLabel(QStringLiteral("Diagnostic log"), tabSysCfg);
    mmLog = new QPlainTextEdit(tabSysCfg);
    mmLog->setFont(PixelFont(QStringLiteral("Arial Narrow"), 11));
    mmLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    Button1 = new QPushButton(QStringLiteral("Clear log"), tabSysCfg);

    auto* left = new QVBoxLayout;
    left->addWidget(gInterfaceInfo);
    left->addWidget(grpEncClk);
    left->addWidget(grpEncPower);
    left->addWidget(grpSystemHidden);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(lbl2);
    right->addWidget(mmLog, 1);
    right->addWidget(Button1, 0, Qt::AlignRight);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    return tabSysCfg;
}

QWidget* TMainForm::BuildEncIdentPage() {
    tabEncIdent = new QWidget;
    auto* v = new QVBoxLayout(tabEncIdent);
    GroupBox1 = new QGroupBox(QStringLiteral(" Bacic encoder info "), tabEncIdent);
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
    info->addWidget(lblEncPartNumber, 0, 0);
    info->addWidget(lblEncSerial, 1, 0);
    info->addWidget(lblEncFirmware, 2, 0);
    info->addWidget(lblEncAdditional, 3, 0);
    auto* magnet = new QHBoxLayout;
    magnet->addWidget(Label9);
    magnet->addWidget(cbbMagnetSize);
    magnet->addStretch(1);
    info->addLayout(magnet, 4, 0);
    GroupBox2 = new QGroupBox(QStringLiteral(" Electronic datasheet"), tabEncIdent);
    auto* eds = new QVBoxLayout(GroupBox2);
    lblEDS = new QLabel(QStringLiteral("Encoder datasheet not present in this encoder type."),
                        GroupBox2);
    eds->addWidget(lblEDS);
    v->addWidget(GroupBox1);
    v->addWidget(GroupBox2);
    v->addStretch(1);
    return tabEncIdent;
}

QWidget* TMainForm::BuildEncPosPage() {
    tabEncPos = new QWidget;
    auto* v = new QVBoxLayout(tabEncPos);
    auto* values = new QGridLayout;
    lbl3 = new QLabel(QStringLiteral("Encoder raw data (hex)"), tabEncPos);
    lblEncPosRawHex = ValueLabel(tabEncPos);
    Label1 = new QLabel(QStringLiteral("Encoder raw data (bin)"), tabEncPos);
    lblEncPosRawBin = ValueLabel(tabEncPos);
    Label2 = new QLabel(QStringLiteral("Encoder decoded postion data"), tabEncPos);
    lblEncPosRawDecoded = ValueLabel(tabEncPos);
    lblEncPosRawDecoded->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblEncPosRawDecoded->setMinimumHeight(64);
    lblCRCvalidation = new QLabel(QStringLiteral("CRC validation"), tabEncPos);
    pnlCrcValid = new LampPanel(QStringLiteral("CRC"), WindowColors::ButtonFace(), tabEncPos);
    pnlCrcValid->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlCrcValid->setLineWidth(2);
    pnlCrcValid->setFixedSize(48, 22);
    values->addWidget(lbl3, 0, 0);
    values->addWidget(lblEncPosRawHex, 0, 1);
    values->addWidget(Label1, 1, 0);
    values->addWidget(lblEncPosRawBin, 1, 1);
    values->addWidget(Label2, 2, 0, Qt::AlignTop);
    values->addWidget(lblEncPosRawDecoded, 2, 1);
    values->addWidget(lblCRCvalidation, 0, 2);
    values->addWidget(pnlCrcValid, 0, 3);
    values->setColumnStretch(1, 1);

    auto* rec = new QGridLayout;
    cbShranjujMeritvePos = new QCheckBox(QStringLiteral("Record position to file"), tabEncPos);
    Label7 = new QLabel(QStringLiteral("Recording duration (sec) \n(0 = no limit)"), tabEncPos);
    seCasShranjevanja = new SpinEdit(0, 10000, 20, 1, tabEncPos);
    mmShranjujIme = new QPlainTextEdit(tabEncPos);
    mmShranjujIme->setReadOnly(true);
    mmShranjujIme->setFixedHeight(40);
    lblShraniElapsedTimeMs = new QLabel(QStringLiteral("Elapsed Time"), tabEncPos);
    btnFolder = new QPushButton(QStringLiteral("Folder…"), tabEncPos);
    btnOpenRecording = new QPushButton(QStringLiteral("Open recording…"), tabEncPos);
    btnOpenRecording->setToolTip(
        QStringLiteral("Show a recording on the chart, to zoom and hover; reading goes on"));
    lblFolder = new PathLabel(tabEncPos);
    lblFolder->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cbPosPlot = new QCheckBox(QStringLiteral("Plot position over time"), tabEncPos);
    btnChartPosSave = new QPushButton(QStringLiteral("Save chart"), tabEncPos);
    btnChartPosClear = new QPushButton(QStringLiteral("Clear chart"), tabEncPos);
    rec->addWidget(cbShranjujMeritvePos, 0, 0);
    rec->addWidget(Label7, 0, 1);
    rec->addWidget(seCasShranjevanja, 0, 2);
    rec->addWidget(mmShranjujIme, 0, 3, 2, 1);
    rec->addWidget(lblShraniElapsedTimeMs, 1, 0);
    rec->addWidget(btnOpenRecording, 1, 1);
    rec->addWidget(btnFolder, 1, 2);
    rec->setColumnStretch(3, 1);
    auto* plot = new QHBoxLayout;
    plot->addWidget(cbPosPlot);
    plot->addSpacing(24);
    plot->addWidget(lblFolder, 1);
    plot->addWidget(btnChartPosSave);
    plot->addWidget(btnChartPosClear);

    chartPosition = NewChart(tabEncPos);
    v->addLayout(values);
    v->addLayout(rec);
    v->addLayout(plot);
    reviewBand = new ReviewBand(tabEncPos);
    v->addWidget(reviewBand);
    v->addWidget(chartPosition, 1);
    return tabEncPos;
}

QWidget* TMainForm::BuildEncStatusPage() {
    tabEncStatus = new QWidget;
    auto* h = new QHBoxLayout(tabEncStatus);
    auto* values = new QGridLayout;
    Label4 = new QLabel(QStringLiteral("Encoder temperature"), tabEncStatus);
    lblEncTemp = ValueLabel(tabEncStatus);
    Label8 = new QLabel(QStringLiteral("Encoder speed"), tabEncStatus);
    lblEncSpeed = ValueLabel(tabEncStatus);
    Label12 = new QLabel(QStringLiteral("Encoder timestamp"), tabEncStatus);
    lblEncTimestamp = ValueLabel(tabEncStatus);
    Label3 = new QLabel(QStringLiteral("Encoder detailed status (bin)"), tabEncStatus);
    lblEncDetStatBin = ValueLabel(tabEncStatus);
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

    GroupBox5 = new QGroupBox(QStringLiteral(" Encoder Status "), tabEncStatus);
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
    return tabEncStatus;
}

QWidget* TMainForm::BuildInstCalPage() {
    tabInstCal = new QWidget;
    auto* h = new QHBoxLayout(tabInstCal);
    auto* left = new QVBoxLayout;

    GroupBox3 = new QGroupBox(QStringLiteral(" Calibration "), tabInstCal);
    auto* cal = new QVBoxLayout(GroupBox3);
    btnStartSelfCal = new QPushButton(QStringLiteral("Start self-calibration"), GroupBox3);
    lblSelfCalNote = new QLabel(
        QStringLiteral("Note:\nThere is no visual feedback in the software when the calibration "
                       "function has finished and whether it was sucessfull or not. Observe "
                       "encoder's LED for the feedback."),
        GroupBox3);
    lblSelfCalNote->setWordWrap(true);
    lblSelfCalNote->setFont(PixelFont(QStringLiteral("Arial"), 12));
    // The note and the status lights share one place; the search shows one of them.
    grpSelfCalStatusLights = new QGroupBox(QStringLiteral(" Encoder Status "), GroupBox3);
    auto* lights = new QVBoxLayout(grpSelfCalStatusLights);
    pnlCalFinish = Lamp(QStringLiteral("Finished"), grpSelfCalStatusLights);
    pnlCalFailed = Lamp(QStringLiteral("Failed"), grpSelfCalStatusLights);
    pnlCalTimeout = Lamp(QStringLiteral("Timeout"), grpSelfCalStatusLights);
    lblCalCounter = new QLabel(QStringLiteral("..."), grpSelfCalStatusLights);
    for (QWidget* w :
         std::initializer_list<QWidget*>{pnlCalFinish, pnlCalFailed, pnlCalTimeout, lblCalCounter})
        lights->addWidget(w);
    grpSelfCalStatusLights->setVisible(false);
    cal->addWidget(btnStartSelfCal);
    cal->addWidget(lblSelfCalNote);
    cal->addWidget(grpSelfCalStatusLights);
    cal->addStretch(1);

    grpSetZeroHere = new QGroupBox(QStringLiteral(" Zero position "), tabInstCal);
    auto* zero = new QVBoxLayout(grpSetZeroHere);
    btnTarvinSetZero = new QPushButton(QStringLiteral("Set zero here"), grpSetZeroHere);
    btnTarvinSetZero->setToolTip(
        QStringLiteral("Preset zero position on current encoder position"));
    lblSetZeroStatus = new QLabel(QStringLiteral("..."), grpSetZeroHere);
    lblSetZeroStatus->setWordWrap(true);
    zero->addWidget(btnTarvinSetZero);
    zero->addWidget(lblSetZeroStatus);
    grpReport = new QGroupBox(QStringLiteral(" Installation report "), tabInstCal);
    auto* report = new QVBoxLayout(grpReport);
    btnSaveReport = new QPushButton(QStringLiteral("Save installation report…"), grpReport);
    btnSaveReport->setToolTip(
        QStringLiteral("One A4 page (PDF) in the folder for files (\"Folder…\" on the "
                       "Position page): the box, the encoder, the values and flags read, the "
                       "air-gap statistics and both charts"));
    lblReportPath = new QLabel(grpReport);
    lblReportPath->setWordWrap(true);
    // A long path wraps; it must not widen the column.
    lblReportPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblReportPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    report->addWidget(btnSaveReport);
    report->addWidget(lblReportPath);
    left->addWidget(GroupBox3, 1);
    left->addWidget(grpSetZeroHere);
    left->addWidget(grpReport);

    grpAirGap = new QGroupBox(QStringLiteral(" Air gap "), tabInstCal);
    auto* gap = new QVBoxLayout(grpAirGap);
    auto* gapValues = new QHBoxLayout;
    lblSignalLevel = new QLabel(QStringLiteral("lblSignalLevel"), grpAirGap);
    lblAirGap1 = TahomaLabel(QStringLiteral("..."), 15, grpAirGap);
    lblAirGap1->setToolTip(QStringLiteral("Double-click to set zero (on touch)"));
    gapValues->addWidget(lblSignalLevel);
    gapValues->addWidget(lblAirGap1, 1);
    auto* gapButtons = new QHBoxLayout;
    cbAirGap = new QCheckBox(QStringLiteral("Plot air gap"), grpAirGap);
    btnACopyClipboard = new QPushButton(QStringLiteral("Copy"), grpAirGap);
    btnACopyClipboard->setToolTip(QStringLiteral("Copy Min, Max, Avg from the chart to Clipboard"));
    btnChartGapClear = new QPushButton(QStringLiteral("Clear chart"), grpAirGap);
    gapButtons->addWidget(cbAirGap);
    gapButtons->addStretch(1);
    gapButtons->addWidget(btnACopyClipboard);
    gapButtons->addWidget(btnChartGapClear);
    ChartAirGap = NewChart(grpAirGap);
    gap->addLayout(gapValues);
    gap->addLayout(gapButtons);
    gap->addWidget(ChartAirGap, 1);
    grpAirGap->setVisible(false);
    grpLimits = new LimitsPanel(env_.Settings, tabInstCal);
    grpLimits->setVisible(false);
    auto* right = new QVBoxLayout;
    right->addWidget(grpLimits);
    right->addWidget(grpAirGap, 1);

    h->addLayout(left, 2);
    h->addLayout(right, 5);
    return tabInstCal;
}

QWidget* TMainForm::BuildEncConfigPage() {
    tabEncConfig = new QWidget;
    auto* grid = new QGridLayout(tabEncConfig);
    const QString noFeedback =
        QStringLiteral("Note:\nThere is no visual feedback in the software when the function "
                       "has finished. \nIt finishes in under 1 second.");
    btnFactoryReset = new QPushButton(QStringLiteral("Reset to Factory settings"), tabEncConfig);
    btnFactoryReset->setToolTip(noFeedback);
    seSetZero = new SpinEdit(0, 16383, 0, 1, tabEncConfig);
    btnSetZeroOffset = new QPushButton(QStringLiteral("Set zero offset (counts)"), tabEncConfig);
    btnSaveParams = new QPushButton(QStringLiteral("Save to NVRAM"), tabEncConfig);
    btnSaveParams->setToolTip(noFeedback);
    seSetMultiturn = new SpinEdit(-32768, 32768, 0, 1, tabEncConfig);
    btnSetMultiturn = new QPushButton(QStringLiteral("Preset multiturn counter"), tabEncConfig);
    grid->addWidget(btnFactoryReset, 0, 1);
    grid->addWidget(seSetZero, 1, 0);
    grid->addWidget(btnSetZeroOffset, 1, 1);
    grid->addWidget(btnSaveParams, 2, 1);
    grid->addWidget(seSetMultiturn, 3, 0);
    grid->addWidget(btnSetMultiturn, 3, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);
    return tabEncConfig;
}
