#include "app/command_buttons.h"

#include <QPushButton>

namespace {
const QString NoEncoderHint =
    QStringLiteral("Available while an encoder is connected: none is connected now.");
const QString SetZeroRunningHint = QStringLiteral("Setting the zero position...");
} // namespace

CommandButtons::CommandButtons(std::vector<QPushButton*> buttons) : buttons_(std::move(buttons)) {
    for (QPushButton* button : buttons_)
        hints_.push_back(button->toolTip());
}

void CommandButtons::Update(bool connected, const QPushButton* busy) {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        QPushButton* button = buttons_[i];
        const bool running = button == busy;
        button->setEnabled(connected && !running);
        button->setToolTip(!connected ? NoEncoderHint : running ? SetZeroRunningHint : hints_[i]);
    }
}
