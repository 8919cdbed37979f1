#pragma once
// The one seam through which the window shows message boxes, so a test can see
// which box was shown with which text.

#include <QString>

class QWidget;

class MessageBoxes {
public:
    enum class Kind { Information, Error };
    virtual ~MessageBoxes() = default;
    /// Shows a box with one OK button and returns at once: the window goes on
    /// showing the readings while it is open.
    virtual void Show(QWidget* parent, Kind kind, const QString& text) = 0;
};

/// QMessageBox-based boxes, the program's default.
class QtMessageBoxes final : public MessageBoxes {
public:
    void Show(QWidget* parent, Kind kind, const QString& text) override;
};
