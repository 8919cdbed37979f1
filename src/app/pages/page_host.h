#pragma once
// What a page may ask of the window that holds it. A page reaches the engine,
// the log and the message boxes only through this, and never another page.

#include "engine/engine_requests.h"

#include <QString>

class PageHost {
public:
    /// Passes a request to the engine; what comes of it arrives as reports.
    virtual void Ask(Engine::Request request) = 0;
    /// One line at the end of the log pane.
    virtual void AddLog(const QString& line) = 0;
    /// A message box with one OK button; returns at once.
    virtual void ShowBox(bool error, const QString& text) = 0;

protected:
    ~PageHost() = default;
};
