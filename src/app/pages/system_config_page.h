#pragma once
// "  System Config  ": the box found, the SPI clock and reading interval, the
// encoder's supply, the link test, the hidden communication group and the
// diagnostic log.

#include "engine/engine_reports.h"

#include <QWidget>
#include <optional>

class LinkTestGroup;
class PageHost;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class SpinEdit;

class SystemConfigPage final : public QWidget {
    Q_OBJECT
public:
    explicit SystemConfigPage(PageHost& host);

    QGroupBox* gInterfaceInfo{};
    QLabel* lblComPort{};
    QLabel* lblInterfaceVer{};
    QLabel* lblInterfaceSerial{};
    QGroupBox* grpEncClk{};
    QLabel* Label6{};
    QComboBox* cmbFreqSPI{};
    QLabel* Label5{};
    SpinEdit* seEncoderReadInterval{};
    QGroupBox* grpEncPower{};
    QRadioButton* rbPwr5v{};
    QRadioButton* rbPwr33v{};
    QRadioButton* rbPwrOff{};
    QLabel* lblEncPwrStatus{};
    QGroupBox* grpSystemHidden{}; ///< " Comms ", shown by the service chord
    QLabel* lblCmd{};
    QLabel* lblData{};
    QCheckBox* cbLogComm{};
    LinkTestGroup* grpLinkTest{};
    QLabel* lbl2{};
    QPlainTextEdit* mmLog{}; ///< the window's log pane
    QPushButton* Button1{};

    void rbPwr5vClick();
    void rbPwrOffClick();
    void cmbFreqSPIChange();
    void seEncoderReadIntervalChange();
    void Button1Click();

    /// Tells the engine the settings this page's controls hold.
    void SendSettings();

    void Render(const Engine::InterfaceInfo& r);
    void Render(const Engine::ClockSelected& r);
    void Render(const Engine::SupplyStatus& r);
    void Render(const Engine::Transfer& r);
    void Render(const Engine::LinkTestProgress& r);
    void Render(const Engine::LinkTestEnded& r);

    /// The result of the last link test that went through all eight clocks.
    [[nodiscard]] const std::optional<Monitor::LinkTestResult>& LastLinkTest() const;

private:
    PageHost& host_;
};
