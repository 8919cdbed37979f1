#pragma once
// "Link test" on the System Config page: starts and stops the engine's link
// test, shows how far it is, then each clock's counts and the clock they
// recommend. The recommended clock is taken only when the user asks for it.

#include "engine/engine_reports.h"

#include <QGroupBox>
#include <optional>

class PageHost;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

class LinkTestGroup final : public QGroupBox {
    Q_OBJECT
public:
    LinkTestGroup(PageHost& host, QWidget* parent);

    QPushButton* btnLinkTest{}; ///< "Test the link", "Stop the test" while it runs
    QProgressBar* pbLinkTest{}; ///< "clock k of 8", shown while a test runs
    QTableWidget* tblLinkTest{};
    QLabel* lblLinkTestAdvice{};
    QPushButton* btnUseClock{}; ///< "Use <clock>", after a finished test only

    void btnLinkTestClick();

    void Render(const Engine::LinkTestProgress& r);
    void Render(const Engine::LinkTestEnded& r);

    /// The result of the last test that went through all eight clocks.
    [[nodiscard]] const std::optional<Monitor::LinkTestResult>& LastLinkTest() const {
        return last_;
    }

signals:
    /// The user asked for this clock (item index of the clock list).
    void clockChosen(int itemIndex);

private:
    void ShowState();

    PageHost& host_;
    bool running_ = false;
    bool stopAsked_ = false;
    /// What the table shows: the last test that ended with something measured.
    std::optional<Engine::LinkTestEnded> shown_;
    std::optional<Monitor::LinkTestResult> last_;
};
