#pragma once
// The band over the pages: the program's name and logo, and the position
// panel with its text and the communication lamp, coloured by the reading's
// status.

#include "engine/engine_reports.h"

#include <QWidget>

class LampPanel;
class QFrame;
class QLabel;

class TopBand final : public QWidget {
    Q_OBJECT
public:
    /// `width`: the window's, which the position panel spans.
    TopBand(int width, QWidget* parent);

    QWidget* pnl1Top{};
    QLabel* lbl1{};
    QLabel* Image1{};
    QWidget* pnl2Mid{};
    QFrame* pnlPosition{};
    QLabel* lblPosUnit{};
    LampPanel* pnlCommActive{};

    void SetPanelColor(const QColor& color);

    void Render(const Engine::Banner& r);
    void Render(const Engine::Transfer& r);
    void Render(const Engine::Reading& r);
};
