#pragma once
// What the shell gives its pages to ask with: the engine's channel, the
// window's message boxes and its log pane.

#include "app/message_boxes.h"
#include "app/pages/page_host.h"
#include "engine/engine_thread.h"

#include <memory>

class QPlainTextEdit;
class QWidget;

class WindowHost final : public PageHost {
public:
    /// Boxes are shown over `window`; a null channel or boxes take nothing.
    WindowHost(QWidget* window, std::shared_ptr<Engine::EngineChannel> channel,
               std::shared_ptr<MessageBoxes> boxes);

    /// The pane the log goes to (the System Config page's); none until set.
    void SetLogPane(QPlainTextEdit* pane) { log_ = pane; }

    void Ask(Engine::Request request) override;
    /// One line at the end, then one page down.
    void AddLog(const QString& line) override;
    void ShowBox(bool error, const QString& text) override;
    /// One line at the end; one page down only when `scroll`.
    void Log(const QString& line, bool scroll);

private:
    QWidget* window_;
    std::shared_ptr<Engine::EngineChannel> channel_;
    std::shared_ptr<MessageBoxes> boxes_;
    QPlainTextEdit* log_ = nullptr;
};
