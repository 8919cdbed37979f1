#pragma once
// The window's tab widget, which lays itself out again only when its tab bar
// asks for it.

#include <QSize>
#include <QTabWidget>

class PageTabs final : public QTabWidget {
    Q_OBJECT
public:
    explicit PageTabs(QWidget* parent = nullptr) : QTabWidget(parent) {}

protected:
    bool event(QEvent* event) override;

private:
    QSize tabBarHint_;
};
