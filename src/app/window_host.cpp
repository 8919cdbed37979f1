#include "app/window_host.h"

#include <QPlainTextEdit>
#include <QScrollBar>

WindowHost::WindowHost(QWidget* window, std::shared_ptr<Engine::EngineChannel> channel,
                       std::shared_ptr<MessageBoxes> boxes)
    : window_(window), channel_(std::move(channel)), boxes_(std::move(boxes)) {}

void WindowHost::Ask(Engine::Request request) {
    if (channel_)
        channel_->Post(std::move(request));
}

void WindowHost::AddLog(const QString& line) {
    Log(line, true);
}

void WindowHost::Log(const QString& line, bool scroll) {
    if (!log_)
        return;
    log_->appendPlainText(line);
    if (scroll)
        log_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
}

void WindowHost::ShowBox(bool error, const QString& text) {
    if (boxes_)
        boxes_->Show(window_, error ? MessageBoxes::Kind::Error : MessageBoxes::Kind::Information,
                     text);
}
