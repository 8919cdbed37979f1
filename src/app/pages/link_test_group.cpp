#include "app/pages/link_test_group.h"

#include "app/pages/page_host.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int Readings = Engine::RunLinkTest{}.Readings;

QString ClockText(int clock) {
    return QString::fromStdString(Monitor::ClockText(clock));
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled); // read only, nothing to select
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

QString AdviceText(const Engine::LinkTestEnded& r) {
    switch (r.Outcome) {
    case Engine::LinkTestEnded::End::Stopped:
        return QStringLiteral("Stopped before every clock was tested: no recommendation.");
    case Engine::LinkTestEnded::End::NoAnswer:
        return QStringLiteral("The box stopped answering: no recommendation.");
    default:
        break;
    }
    // The clock's text wraps as one word in the narrow column.
    QString text = QString::fromStdString(Monitor::RecommendationText(r.Result));
    const QString clock = ClockText(r.Result.Recommended);
    return text.replace(clock, QString(clock).replace(QLatin1Char(' '), QChar::Nbsp));
}

/// As tall as its contents, as they change, when there is room; else it
/// scrolls. QScrollArea itself keeps the size its contents had at first.
class FittingScrollArea final : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    [[nodiscard]] QSize sizeHint() const override { return widget()->sizeHint(); }
    [[nodiscard]] QSize minimumSizeHint() const override { return {}; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry(); // the contents changed: so does this size
        return QScrollArea::eventFilter(watched, event);
    }
};

} // namespace

LinkTestGroup::LinkTestGroup(PageHost& host, QWidget* parent)
    : QGroupBox(QStringLiteral(" Link test"), parent), host_(host) {
    // With the service group shown there is less room below it: then the
    // contents scroll rather than push the groups above out of place.
    auto* scroll = new FittingScrollArea(this);
    auto* contents = new QWidget;
    btnLinkTest = new QPushButton(QStringLiteral("Test the link"), contents);
    pbLinkTest = new QProgressBar(contents);
    pbLinkTest->setRange(0, Monitor::SpiClocks * Readings);
    pbLinkTest->setAccessibleName(QStringLiteral("Link test progress"));

    tblLinkTest = new QTableWidget(Monitor::SpiClocks, 4, contents);
    tblLinkTest->setAccessibleName(QStringLiteral("Link test counts at each clock"));
    // Two-line headers keep the columns narrow enough for the buttons beside.
    tblLinkTest->setHorizontalHeaderLabels({QStringLiteral("Clock"), QStringLiteral("Readings"),
                                            QStringLiteral("CRC\nfailed"),
                                            QStringLiteral("Timed\nout")});
    for (int row = 0; row < Monitor::SpiClocks; ++row)
        tblLinkTest->setItem(row, 0, Cell(ClockText(row + 1), Qt::AlignLeft));
    QHeaderView* rows = tblLinkTest->verticalHeader();
    rows->hide();
    // Eight rows fit the room under the supply group without scrolling.
    rows->setMinimumSectionSize(tblLinkTest->fontMetrics().height() + 2);
    rows->setDefaultSectionSize(rows->minimumSectionSize());
    tblLinkTest->horizontalHeader()->setHighlightSections(false);
    tblLinkTest->resizeColumnsToContents();
    tblLinkTest->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblLinkTest->setSelectionMode(QAbstractItemView::NoSelection);
    tblLinkTest->setFocusPolicy(Qt::NoFocus);
    tblLinkTest->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tblLinkTest->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * tblLinkTest->frameWidth();
    tblLinkTest->setFixedSize(tblLinkTest->horizontalHeader()->length() + frame,
                              tblLinkTest->horizontalHeader()->sizeHint().height() +
                                  rows->length() + frame);

    lblLinkTestAdvice = new QLabel(contents);
    lblLinkTestAdvice->setWordWrap(true);
    btnUseClock = new QPushButton(contents);

    auto* row = new QHBoxLayout(contents);
    row->setContentsMargins(0, 0, 0, 0);
    auto* side = new QVBoxLayout;
    side->addWidget(btnLinkTest, 0, Qt::AlignLeft);
    side->addWidget(pbLinkTest);
    side->addWidget(lblLinkTestAdvice);
    side->addWidget(btnUseClock, 0, Qt::AlignLeft);
    side->addStretch(1);
    row->addWidget(tblLinkTest);
    row->addLayout(side, 1);
    ShowState(); // before the scroll area first takes the contents' size
    scroll->setWidget(contents);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // The group's own background shows through.
    scroll->viewport()->setAutoFillBackground(false);
    contents->setAutoFillBackground(false);
    (new QVBoxLayout(this))->addWidget(scroll);

    connect(btnLinkTest, &QPushButton::clicked, this, &LinkTestGroup::btnLinkTestClick);
    connect(btnUseClock, &QPushButton::clicked, this, [this] {
        if (last_ && last_->Recommended > 0)
            emit clockChosen(last_->Recommended - 1);
    });
}

void LinkTestGroup::btnLinkTestClick() {
    if (running_) {
        stopAsked_ = true;
        host_.Ask(Engine::StopLinkTest{});
    } else {
        running_ = true;
        Render(Engine::LinkTestProgress{1, 0});
        host_.Ask(Engine::RunLinkTest{Readings});
    }
    ShowState();
}

void LinkTestGroup::Render(const Engine::LinkTestProgress& r) {
    pbLinkTest->setValue((r.Clock - 1) * Readings + r.Readings);
    pbLinkTest->setFormat(QStringLiteral("clock %1 of %2").arg(r.Clock).arg(Monitor::SpiClocks));
}

void LinkTestGroup::Render(const Engine::LinkTestEnded& r) {
    running_ = false;
    stopAsked_ = false;
    // Refused: nothing was measured, and the log says why; what was shown stays.
    if (r.Outcome != Engine::LinkTestEnded::End::Refused) {
        shown_ = r;
        if (r.Outcome == Engine::LinkTestEnded::End::Finished)
            last_ = r.Result;
        const QLocale locale;
        for (int row = 0; row < Monitor::SpiClocks; ++row)
            for (int column = 1; column < 4; ++column)
                tblLinkTest->setItem(row, column, Cell({}, Qt::AlignRight));
        for (const Monitor::ClockTally& t : r.Result.Clocks) {
            if (t.Clock < 1 || t.Clock > Monitor::SpiClocks)
                continue;
            const int counts[] = {t.Readings, t.CrcFailed, t.Timeouts};
            for (int column = 1; column < 4; ++column)
                tblLinkTest->item(t.Clock - 1, column)
                    ->setText(locale.toString(counts[column - 1]));
        }
        lblLinkTestAdvice->setText(AdviceText(r));
    }
    ShowState();
}

void LinkTestGroup::ShowState() {
    btnLinkTest->setText(running_ ? QStringLiteral("Stop the test")
                                  : QStringLiteral("Test the link"));
    btnLinkTest->setEnabled(!stopAsked_);
    pbLinkTest->setVisible(running_);
    const bool result = !running_ && shown_.has_value();
    const bool measured = result && !shown_->Result.Clocks.empty();
    tblLinkTest->setVisible(measured);
    lblLinkTestAdvice->setVisible(result);
    // A recommendation needs all eight clocks, tested to the end.
    const bool finished = result && shown_->Outcome == Engine::LinkTestEnded::End::Finished;
    const int recommended = finished ? shown_->Result.Recommended : 0;
    btnUseClock->setVisible(recommended > 0);
    if (recommended > 0)
        btnUseClock->setText(QStringLiteral("Use ") + ClockText(recommended));
}
