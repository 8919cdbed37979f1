#pragma once
// A coloured panel with a caption: the window's lamps and the CRC indicator.

#include <QColor>
#include <QLabel>

class LampPanel : public QLabel {
    Q_OBJECT
public:
    explicit LampPanel(const QString& caption, const QColor& color, QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    [[nodiscard]] QColor Color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};
