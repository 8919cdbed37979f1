#pragma once
// A label for a path longer than its room: the middle gives way
// ("/home/…/recordings"), text() keeps it whole.

#include <QLabel>

class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
