#pragma once
// "  Status  ": temperature, speed, timestamp, the detailed status bits and
// their lamps.

#include "engine/engine_reports.h"

#include <QWidget>

class LampPanel;
class QGroupBox;
class QLabel;

class StatusPage final : public QWidget {
    Q_OBJECT
public:
    StatusPage();

    QLabel* Label4{};
    QLabel* lblEncTemp{};
    QLabel* Label8{};
    QLabel* lblEncSpeed{};
    QLabel* Label12{};
    QLabel* lblEncTimestamp{};
    QLabel* Label3{};
    QLabel* lblEncDetStatBin{};
    QGroupBox* GroupBox5{};
    LampPanel* pnlOAngleAccel{};
    LampPanel* pnlOSafety{};
    LampPanel* pnlOSignalHigh{};
    LampPanel* pnlOSignalLow{};
    LampPanel* pnlOTemperature{};
    LampPanel* pnlOSpeed{};
    LampPanel* pnlOmultiturn{};

    void Render(const Engine::Reading& r);
};
