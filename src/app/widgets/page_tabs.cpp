#include "app/widgets/page_tabs.h"

#include <QEvent>
#include <QTabBar>

bool PageTabs::event(QEvent* event) {
    // QTabWidget answers every layout request by repainting itself whole, and
    // every new text of a value label on a page sends one up: a whole page
    // repainted per reading. Where its pages and tab bar go depends only on
    // its own size and its tab bar, so the rest only go on to the window.
    if (event->type() == QEvent::LayoutRequest) {
        const QSize hint = tabBar()->sizeHint();
        if (hint == tabBarHint_) {
            updateGeometry();
            return true;
        }
        tabBarHint_ = hint;
    }
    return QTabWidget::event(event);
}
