// The window as it starts: controls, caption, service chords, log and spin edits.
#include "app/widgets/lamp_panel.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"
#include "window_harness.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

namespace {
// What a widget was asked to paint, and how often to lay itself out.
class PaintLog final : public QObject {
public:
    explicit PaintLog(QWidget* w) { w->installEventFilter(this); }
    QRegion painted;
    int layoutRequests = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        layoutRequests += e->type() == QEvent::LayoutRequest ? 1 : 0;
        return false;
    }
};

// Every level of a layout chain is posted by the level below it and handled
// one pass later; the widget tree is shallower than this.
void SettleLayouts() {
    for (int pass = 0; pass < 16; ++pass)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

QStringList VisibleTabs(const TMainForm& f) {
    QStringList tabs;
    for (int i = 0; i < f.Pages->count(); ++i)
        if (f.Pages->isTabVisible(i))
            tabs << f.Pages->tabText(i).trimmed();
    return tabs;
}
const QStringList ShownTabs = {"System Config", "Encoder Identification", "Position", "Status",
                               "Installation",  "Encoder Config",         "History"};
} // namespace

class TestWindowShell : public QObject {
    Q_OBJECT
private slots:
    void startsSearchingWithItsDefaults() {
        WindowHarness h;
        TMainForm& f = h.Start();
        QCOMPARE(f.size(), QSize(1068, 652));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        const QString caption = QStringLiteral(
            "Tessoran® for K730-6W and Velor SPI encoders (ver: 1.0.0.7; IF sn: , fw: ; "
            "Encoder sn: , pn: )");
        QCOMPARE(f.windowTitle(), caption);
        QCOMPARE(f.ApplicationTitle(), caption);
        QCOMPARE(VisibleTabs(f), ShownTabs);
        QCOMPARE(f.Pages->currentWidget(), f.tabSysCfg);
        QCOMPARE(h.rig.engine->EnabledCycle(), Engine::Cycle::SearchInterface);
        QCOMPARE(h.rig.DueMs(), std::optional<std::int64_t>(1000));
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QVERIFY(f.band->lblPosUnit->text().isEmpty());
        QCOMPARE(f.band->pnlCommActive->Color(), WindowColors::DarkGreen);
        QCOMPARE(f.tabSysCfg->cmbFreqSPI->currentIndex(), 5);
        QCOMPARE(f.tabSysCfg->cmbFreqSPI->currentText(), QStringLiteral("6 =  3 MHz"));
        QCOMPARE(f.tabSysCfg->seEncoderReadInterval->value(), 70);
        QVERIFY(f.tabSysCfg->rbPwr5v->isChecked());
        QVERIFY(!f.tabSysCfg->rbPwr33v->isEnabled());
        QVERIFY(f.tabSysCfg->grpSystemHidden->isHidden());
        QVERIFY(f.tabEncIdent->cbbMagnetSize->currentText().isEmpty());
        // Nothing to command before an encoder is there: the buttons say why.
        for (QPushButton* b : {f.tabEncConfig->btnFactoryReset, f.tabEncConfig->btnSaveParams,
                               f.tabInstCal->btnStartSelfCal, f.tabEncConfig->btnSetZeroOffset,
                               f.tabEncConfig->btnSetMultiturn, f.tabInstCal->btnTarvinSetZero}) {
            QVERIFY(!b->isEnabled());
            QVERIFY(b->toolTip().contains(QStringLiteral("encoder is connected")));
        }

        // The first search pass gives the arrow back, even with no port at all.
        h.rig.ports = std::vector<std::string>{};
        h.Tick();
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(f.band->lblPosUnit->text(), QStringLiteral("Searching for interface..."));
        h.Tick();
        QVERIFY(f.band->lblPosUnit->text().isEmpty()); // blinks, one state per tick
        QCOMPARE(h.rig.engine->EnabledCycle(), Engine::Cycle::SearchInterface);
        QVERIFY(h.LogLines().isEmpty());
    }

    void chordsRevealServicePagesWithExactModifiers() {
        WindowHarness h;
        TMainForm& f = h.Start();
        QTest::keyClick(&f, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(&f, Qt::Key_K, Qt::ControlModifier | Qt::MetaModifier);
        QTest::keyClick(&f, Qt::Key_K);
        QCOMPARE(VisibleTabs(f), ShownTabs);
        QVERIFY(f.tabSysCfg->grpSystemHidden->isHidden());

        // A held mouse button makes the set different too.
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::mousePress(f.windowHandle(), Qt::LeftButton, {}, QPoint(500, 300));
        QTest::keyClick(&f, Qt::Key_K, Qt::ControlModifier);
        QTest::mouseRelease(f.windowHandle(), Qt::LeftButton, {}, QPoint(500, 300));
        QCOMPARE(VisibleTabs(f), ShownTabs);

        QTest::keyClick(f.tabSysCfg->mmLog, Qt::Key_K, Qt::ControlModifier); // from any control
        QCOMPARE(VisibleTabs(f),
                 (ShownTabs + QStringList{"User Memory", "Diagnostics", "Error Map"}));
        QVERIFY(!f.tabSysCfg->grpSystemHidden->isHidden());
        QTest::keyClick(&f, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(VisibleTabs(f).size(), 12);

        WindowHarness h2;
        TMainForm& g = h2.Start();
        QTest::keyClick(&g, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(VisibleTabs(g).size(), 12);
    }

    void debugUnlockHidesAndTheChordShowsIt() {
        WindowHarness h;
        TMainForm& f = h.Start();
        QVERIFY(!f.btnDebugUnlock->isHidden());
        f.btnDebugUnlock->click();
        QVERIFY(f.btnDebugUnlock->isHidden());
        QTest::keyClick(&f, Qt::Key_Q, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(f.btnDebugUnlock->isHidden());
        QTest::keyClick(&f, Qt::Key_Q, Qt::ShiftModifier | Qt::AltModifier);
        QVERIFY(!f.btnDebugUnlock->isHidden());
        QTest::keyClick(&f, Qt::Key_Q, Qt::ShiftModifier | Qt::AltModifier);
        QVERIFY(!f.btnDebugUnlock->isHidden());
        QVERIFY(!f.Pages->isTabVisible(f.Pages->indexOf(f.tabDebug)));
    }

    void newValuesRepaintTheirLabelsNotThePageOrWindowButAGrowingTabBarIsLaidOut() {
        WindowHarness h;
        TMainForm& f = h.Start();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        SettleLayouts();
        PaintLog log(f.Pages);
        f.tabSysCfg->lblEncPwrStatus->setText(QStringLiteral("5.0V ON 36mA"));
        SettleLayouts();
        QTRY_VERIFY(!log.painted.isEmpty());
        const QRect label(f.tabSysCfg->lblEncPwrStatus->mapTo(f.Pages, QPoint(0, 0)),
                          f.tabSysCfg->lblEncPwrStatus->size());
        QCOMPARE(log.painted.boundingRect() | label, label);

        // The position's text, new at every reading, lays out its band only.
        PaintLog window(&f);
        f.band->lblPosUnit->setText(QStringLiteral("123.456 °"));
        SettleLayouts();
        QCOMPARE(window.layoutRequests, 0);

        // A tab bar that grows by itself is still given its room.
        QTabBar* bar = f.Pages->tabBar();
        QFont font = bar->font();
        font.setPixelSize(font.pixelSize() * 2);
        bar->setFont(font);
        SettleLayouts();
        QCOMPARE(bar->height(), bar->sizeHint().height());
    }

    void keysStillReachTheFocusedControl() {
        WindowHarness h;
        TMainForm& f = h.Start();
        f.tabSysCfg->mmLog->setFocus();
        QTest::keyClicks(f.tabSysCfg->mmLog, QStringLiteral("ok"));
        QCOMPARE(f.tabSysCfg->mmLog->toPlainText(), QStringLiteral("ok"));
    }

    void clearLogEmptiesIt() {
        WindowHarness h;
        TMainForm& f = h.Start();
        f.Host().AddLog(QStringLiteral("one"));
        f.Host().AddLog(QStringLiteral("two"));
        QCOMPARE(h.LogLines(), (QStringList{"one", "two"}));
        f.tabSysCfg->Button1->click();
        QVERIFY(h.LogLines().isEmpty());
        f.Host().AddLog(QStringLiteral("three"));
        QCOMPARE(h.LogLines(), QStringList{"three"});
    }

    void spinEditsReadNonNumbersAsMinimumAndClamp() {
        WindowHarness h;
        TMainForm& f = h.Start();
        SpinEdit* se = f.tabEncConfig->seSetMultiturn;
        se->findChild<QLineEdit*>()->setText(QStringLiteral("abc"));
        QCOMPARE(se->Value(), -32768);
        se->findChild<QLineEdit*>()->setText(QStringLiteral("99999"));
        QCOMPARE(se->Value(), 32768);
        se->setValue(-40000);
        QCOMPARE(se->value(), -32768);

        f.tabSysCfg->seEncoderReadInterval->setValue(20000);
        QCOMPARE(f.tabSysCfg->seEncoderReadInterval->value(), 10000);
    }

    void closingWithAnOpenPortReleasesIt() {
        WindowHarness h;
        h.AddBox();
        h.Start();
        QVERIFY(h.Connect());
        h.form.reset();
        h.rig.engine.reset(); // the engine owns the port
        Serial_driver::OpenError error{};
        QVERIFY(h.rig.sim->Open("/dev/ttyACM0", error) != nullptr);
    }
};

QTEST_MAIN(TestWindowShell)
#include "test_window_shell.moc"
