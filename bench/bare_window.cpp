// A window of the program's size and kinds of widgets, with nothing behind
// it: the reference for scripts/responsiveness. Its first frame shows what a
// Qt window of this size costs on the display at hand before any of the
// program's own work.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    auto* layout = new QVBoxLayout(&window);
    auto* banner = new QLabel(QStringLiteral("123.456 °"));
    QFont big = banner->font();
    big.setPointSize(24);
    big.setBold(true);
    banner->setFont(big);
    banner->setAlignment(Qt::AlignCenter);
    layout->addWidget(banner);
    auto* pages = new QTabWidget;
    for (int i = 0; i < 6; ++i) {
        auto* page = new QWidget;
        auto* row = new QHBoxLayout(page);
        auto* group = new QGroupBox(QStringLiteral("Group"));
        auto* inGroup = new QVBoxLayout(group);
        for (int j = 0; j < 4; ++j)
            inGroup->addWidget(new QLabel(QStringLiteral("Label %1").arg(j)));
        row->addWidget(group);
        row->addWidget(new QPlainTextEdit(QStringLiteral("log")), 1);
        pages->addTab(page, QStringLiteral("Page %1").arg(i + 1));
    }
    layout->addWidget(pages, 1);
    window.setFixedSize(1068, 652);
    window.show();
    return app.exec();
}
