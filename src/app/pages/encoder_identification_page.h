#pragma once
// "  Encoder Identification  ": the encoder's part and serial numbers, its
// firmware, the magnet size and the electronic datasheet.

#include "engine/engine_reports.h"

#include <QWidget>

class PageHost;
class QComboBox;
class QGroupBox;
class QLabel;

class EncoderIdentificationPage final : public QWidget {
    Q_OBJECT
public:
    explicit EncoderIdentificationPage(PageHost& host);

    QGroupBox* GroupBox1{};
    QLabel* lblEncPartNumber{};
    QLabel* lblEncSerial{};
    QLabel* lblEncFirmware{};
    QLabel* lblEncAdditional{};
    QLabel* Label9{};
    QComboBox* cbbMagnetSize{};
    QGroupBox* GroupBox2{};
    QLabel* lblEDS{};

    void cbbMagnetSizeChange();

    /// The magnet size as chosen; empty: none.
    [[nodiscard]] QString MagnetSize() const;

    void Render(const Engine::EncoderLabels& r);
    void Render(const Engine::MagnetSizeChosen& r);
    void Render(const Engine::Reading& r); ///< the serial number when it is read again

private:
    PageHost& host_;
};
