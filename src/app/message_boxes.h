#pragma once
// The one seam through which the window shows modal message boxes, so a test
// can see which box was shown with which text instead of blocking on it.

#include <QString>

class QWidget;

class MessageBoxes {
public:
    enum class Kind { Information, Error };
    virtual ~MessageBoxes() = default;
    /// Shows a modal box with one OK button; returns when the user closed it.
    /// Like any modal box it runs a message loop, so timer ticks may run inside.
    virtual void Show(QWidget* parent, Kind kind, const QString& text) = 0;
};

/// QMessageBox-based boxes, the program's default.
class QtMessageBoxes final : public MessageBoxes {
public:
    void Show(QWidget* parent, Kind kind, const QString& text) override;
};
