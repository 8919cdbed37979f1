// The window draws what the engine reports and asks what the user chose: the
// reports are fed to it directly, the requests read off the channel.
#include "app/pages/link_test_group.h"
#include "app/widgets/lamp_panel.h"
#include "app/widgets/path_label.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"
#include "window_harness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void Show(WindowHarness& h, std::initializer_list<Engine::Report> reports) {
    for (const Engine::Report& r : reports)
        h.channel->Deliver(r);
    h.form->DrainReports();
}

template <class T> std::vector<T> Asked(WindowHarness& h) {
    std::vector<T> out;
    for (const Engine::Request& r : h.channel->TakeRequests())
        if (const T* t = std::get_if<T>(&r))
            out.push_back(*t);
    return out;
}

Engine::Reading ReadingOf(unsigned char command) {
    Engine::Reading r;
    r.Command = command;
    r.Position.Position_unit = 123.4564;
    r.Position.Resolution_unit = 360.0 / 16384;
    return r;
}

} // namespace

class TestWindowReports : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void readingsAndTransfersAreDrawn() {
        WindowHarness h;
        TMainForm& f = h.Start();
        Engine::Transfer transfer;
        transfer.Frame = "?03:000";
        transfer.Exchanged = true;
        transfer.Reply = "40023A";
        transfer.Texts.Touched = true;
        transfer.Texts.RawHex = "40023A";
        transfer.Texts.RawBin = "bits";
        Engine::Transfer failed;
        failed.Frame = "?05:097";
        Show(h, {transfer});
        QCOMPARE(f.band->pnlCommActive->Color(), WindowColors::Lime);
        Show(h, {failed}); // every transfer blinks, a failed one too
        QCOMPARE(f.band->pnlCommActive->Color(), WindowColors::Green);
        QCOMPARE(f.tabSysCfg->lblCmd->text(), QStringLiteral("?05:097"));
        QCOMPARE(f.tabSysCfg->lblData->text(),
                 QStringLiteral("40023A")); // a failed one keeps the last
        QCOMPARE(f.tabEncPos->lblEncPosRawHex->text(), QStringLiteral("40023A"));

        Engine::Reading temp = ReadingOf('t');
        temp.Aux.Temperature_value = 235;
        temp.Status = Monitor::StatusColor::Warning;
        Engine::Reading stamp = ReadingOf('T');
        stamp.Position.Timestamp = 1000;
        Show(h, {temp, stamp});
        QCOMPARE(f.band->lblPosUnit->text(), QStringLiteral("123.456 °"));
        QCOMPARE(f.tabEncStatus->lblEncTemp->text(), QStringLiteral("23.5 °C"));
        QCOMPARE(f.tabEncStatus->lblEncTimestamp->text(), QStringLiteral("0x03E8"));
        QCOMPARE(f.tabEncPos->pnlCrcValid->Color(), WindowColors::Green);

        Engine::Reading det = ReadingOf('d');
        det.DetailedStatusBits = "10000001";
        det.Lamps =
            Engine::StatusLamps{Engine::Colour::Orange, Engine::Colour::Grey, Engine::Colour::Grey,
                                Engine::Colour::Grey,   Engine::Colour::Grey, Engine::Colour::Grey,
                                Engine::Colour::Red};
        Engine::Reading cal = ReadingOf('i'); // unreadable: no lamp changes
        Show(h, {det, cal, Engine::Lost{false}});
        QCOMPARE(f.tabEncStatus->lblEncDetStatBin->text(), QStringLiteral("10000001"));
        QCOMPARE(f.tabEncStatus->pnlOSignalHigh->Color(), WindowColors::Orange);
        QCOMPARE(f.tabEncStatus->pnlOSafety->Color(), WindowColors::Red);
        QCOMPARE(f.tabInstCal->pnlCalFinish->Color(), WindowColors::Silver);
        QCOMPARE(f.tabInstCal->lblCalCounter->text(), QStringLiteral("..."));
        QCOMPARE(f.tabEncPos->pnlCrcValid->Color(), WindowColors::Red);
    }

    void deviceTextIsPlainAndTheLogIsBounded() {
        WindowHarness h;
        TMainForm& f = h.Start();
        Show(h, {Engine::SupplyStatus{"<b>5.0V</b>"}});
        QCOMPARE(f.tabSysCfg->lblEncPwrStatus->textFormat(), Qt::PlainText);
        QCOMPARE(f.tabSysCfg->lblEncPwrStatus->text(), QStringLiteral("<b>5.0V</b>"));

        for (int i = 1; i <= TMainForm::MaxLogLines + 50; ++i)
            h.channel->Deliver(Engine::LogLine{"line " + std::to_string(i), false});
        f.DrainReports();
        QCOMPARE(f.tabSysCfg->mmLog->document()->blockCount(), TMainForm::MaxLogLines);
        QCOMPARE(h.LogLines().first(), QStringLiteral("line 51"));
    }

    void controlsAskTheEngine() {
        WindowHarness h;
        TMainForm& f = h.Start();
        (void)h.channel->TakeRequests();
        f.Pages->setCurrentWidget(f.tabInstCal);
        QCOMPARE(Asked<Engine::ShowPage>(h).at(0).Page, Monitor::Page::Installation);
        f.tabSysCfg->rbPwrOff->click();
        QCOMPARE(Asked<Engine::SetSupply>(h).at(0).On, false);
        f.tabSysCfg->cmbFreqSPI->setCurrentIndex(7);
        QVERIFY(Asked<Engine::SetSpiClock>(h).empty()); // the program's choice is not a request
        emit f.tabSysCfg->cmbFreqSPI->activated(7);
        QCOMPARE(Asked<Engine::SetSpiClock>(h).at(0).ItemIndex, 7);

        Show(h, {Engine::EncoderConnection{true}});
        QVERIFY(f.tabEncConfig->btnSetMultiturn->isEnabled());
        QVERIFY(f.tabEncConfig->btnFactoryReset->toolTip().startsWith(QStringLiteral("Note:")));
        f.tabEncConfig->seSetMultiturn->setValue(-1);
        f.tabEncConfig->btnSetMultiturn->click();
        const auto config = Asked<Engine::SendConfig>(h);
        QCOMPARE(config.at(0).Command, Engine::ConfigCommand::MultiturnPreset);
        QCOMPARE(config.at(0).Value, -1);

        // Set zero here: one at a time, and the outcome fills the fields.
        f.tabInstCal->btnTarvinSetZero->click();
        QCOMPARE(Asked<Engine::SetZeroHere>(h).size(), 1u);
        Show(h,
             {Engine::SetZeroOutcome{
                 Engine::SetZeroOutcome::State::InProgress, "...Function in progress...", {}, {}}});
        QVERIFY(!f.tabInstCal->btnTarvinSetZero->isEnabled());
        Show(h, {Engine::SetZeroOutcome{Engine::SetZeroOutcome::State::Done,
                                        "Encoder pos: 5000 set as a zero position.", 5000, 0}});
        QVERIFY(f.tabInstCal->btnTarvinSetZero->isEnabled());
        QCOMPARE(f.tabEncConfig->seSetZero->value(), 5000);
        QCOMPARE(f.tabEncConfig->seSetMultiturn->value(), 0);
        QCOMPARE(f.tabInstCal->lblSetZeroStatus->text(),
                 QStringLiteral("Encoder pos: 5000 set as a zero position."));

        Show(h, {Engine::EncoderConnection{false}});
        QVERIFY(!f.tabInstCal->btnTarvinSetZero->isEnabled());
        QVERIFY(f.tabEncConfig->btnFactoryReset->toolTip().contains(
            QStringLiteral("encoder is connected")));
    }

    void recordingFollowsTheEngine() {
        WindowHarness h;
        QTemporaryDir dir;
        const QDir folder(dir.filePath(QStringLiteral("Meßdaten-ü")));
        h.recordingFolder = [&] { return folder.path(); };
        TMainForm& f = h.Start();
        (void)h.channel->TakeRequests();
        f.tabEncPos->seCasShranjevanja->setValue(5);
        f.tabEncPos->cbShranjujMeritvePos->setChecked(true);
        const auto start = Asked<Engine::StartRecording>(h);
        // Paths go to the engine and come back in UTF-8, whatever the system's code page.
        QCOMPARE(QByteArray::fromStdString(start.at(0).Folder), folder.path().toUtf8());
        QCOMPARE(start.at(0).DurationS, 5);

        QLocale::setDefault(QLocale(QLocale::English));
        const QString file = folder.filePath(QStringLiteral("POSITION___1.csv"));
        Show(h, {Engine::RecordingPath{file.toUtf8().toStdString()}, Engine::RecordingRow{1234500},
                 Engine::RecordingEnded{false}});
        QCOMPARE(f.tabEncPos->mmShranjujIme->toPlainText(), QDir::toNativeSeparators(file));
        QCOMPARE(f.tabEncPos->lblShraniElapsedTimeMs->text(),
                 QStringLiteral("1,234.50 seconds  FINISHED."));
        QVERIFY(!f.tabEncPos->cbShranjujMeritvePos->isChecked());
        QVERIFY2(Asked<Engine::StopRecording>(h).empty(), "the engine ended it already");

        f.tabEncPos->cbShranjujMeritvePos->setChecked(true);
        Show(h, {Engine::RecordingEnded{true}}); // failed: the message says why
        QVERIFY(!f.tabEncPos->cbShranjujMeritvePos->isChecked());
        QVERIFY(!f.tabEncPos->lblShraniElapsedTimeMs->text().endsWith(
            QStringLiteral("FINISHED.  FINISHED.")));
    }

    void theChosenFolderTakesEveryFileAndIsKept() {
        QTemporaryDir dir;
        const QString fallback = dir.filePath(QStringLiteral("default"));
        const QString chosen = dir.filePath(QStringLiteral("chosen"));
        QVERIFY(QDir().mkpath(fallback) && QDir().mkpath(chosen));
        const auto settings = std::make_shared<QSettings>(dir.filePath(QStringLiteral("t.ini")),
                                                          QSettings::IniFormat);
        // Started to choose; again, the choice kept; with the chosen folder gone.
        for (int run = 0; run < 3; ++run) {
            if (run == 2)
                QVERIFY(QDir(chosen).removeRecursively());
            WindowHarness h;
            h.settings = settings;
            h.recordingFolder = [&] { return fallback; };
            TMainForm& f = h.Start();
            const QString shown = QDir::toNativeSeparators(run == 1 ? chosen : fallback);
            QVERIFY(f.tabEncPos->lblFolder->text().endsWith(shown) &&
                    f.tabEncPos->btnFolder->toolTip().endsWith(shown));
            QCOMPARE(h.LogLines().filter(QDir::toNativeSeparators(chosen)).size(), run / 2);
            if (run > 0)
                continue;
            // Cancelled; refused (no file can be made there); taken.
            h.folderAnswers = {QString(), dir.filePath(QStringLiteral("missing")), chosen};
            for (int i = 0; i < 3; ++i)
                f.tabEncPos->btnFolder->click();
            QCOMPARE(h.boxes->shown.size(), 1u);
            QVERIFY(f.tabEncPos->lblFolder->text().endsWith(QDir::toNativeSeparators(chosen)));
            (void)h.channel->TakeRequests();
            f.tabEncPos->cbShranjujMeritvePos->setChecked(true);
            QCOMPARE(Asked<Engine::StartRecording>(h).at(0).Folder, chosen.toStdString());
            f.tabInstCal->btnSaveReportClick();
            QCOMPARE(QDir(chosen).entryList({QStringLiteral("INSTALLATION_*.pdf")}).size(), 1);
            f.tabEncPos->btnChartPosSave->click();
            QCOMPARE(h.saveFolders, QStringList{chosen});
        }
    }

    void theLinkTestRecommendsAClockTheUserMayTake() {
        WindowHarness h;
        auto box = h.AddBox();
        TMainForm& f = h.Start();
        SystemConfigPage& page = *f.tabSysCfg;
        LinkTestGroup& link = *page.grpLinkTest;
        const auto shown = [&](const QWidget* w) { return w->isVisibleTo(&page); };
        const auto run = [&](int ticks) {
            link.btnLinkTest->click();
            for (int i = 0; i < ticks; ++i) // 20 readings a tick
                h.Tick();
        };
        const auto runToEnd = [&] {
            for (int i = 0; i < 500 && link.btnLinkTest->text() != QStringLiteral("Test the link");
                 ++i)
                h.Tick();
        };
        const auto cell = [&](int clock, int column) {
            return link.tblLinkTest->item(clock - 1, column)->text();
        };

        run(0); // no encoder: refused, and the button is back
        h.Pump();
        QCOMPARE(link.btnLinkTest->text(), QStringLiteral("Test the link"));

        // A 20 m cable, the user at 12 MHz: the test says 1.5 MHz and leaves 12 MHz.
        QVERIFY(h.Connect());
        box->Faults().CableMetres = 20;
        page.cmbFreqSPI->setCurrentIndex(7);
        emit page.cmbFreqSPI->activated(7);
        run(30);
        QVERIFY(shown(link.pbLinkTest));
        QCOMPARE(link.pbLinkTest->text(), QStringLiteral("clock 3 of 8"));
        QCOMPARE(link.btnLinkTest->text(), QStringLiteral("Stop the test"));
        runToEnd();
        QVERIFY(!shown(link.pbLinkTest) && shown(link.tblLinkTest));
        QCOMPARE(cell(8, 1), QStringLiteral("200"));
        QCOMPARE(cell(5, 2), QStringLiteral("0"));
        QVERIFY(cell(6, 2).toInt() > 0);
        QCOMPARE(link.lblLinkTestAdvice->text().replace(QChar::Nbsp, QLatin1Char(' ')),
                 QStringLiteral("Recommended: 5 = 1.5 MHz"));
        QCOMPARE(link.btnUseClock->text(), QStringLiteral("Use 5 = 1.5 MHz"));
        QCOMPARE(page.cmbFreqSPI->currentText(), QStringLiteral("8 = 12 MHz"));
        QCOMPARE(box->ClockIndex(), 8);

        link.btnUseClock->click();
        h.Pump();
        QCOMPARE(page.cmbFreqSPI->currentText(), QStringLiteral("5 = 1.5 MHz"));
        QCOMPARE(box->ClockIndex(), 5);

        // Stopped at clock 2: its counts, no recommendation, the last finished one kept.
        run(15);
        link.btnLinkTest->click();
        QVERIFY(!link.btnLinkTest->isEnabled());
        runToEnd();
        QVERIFY(link.btnLinkTest->isEnabled());
        QCOMPARE(cell(1, 1), QStringLiteral("200"));
        QCOMPARE(cell(3, 1), QString());
        QVERIFY(!shown(link.btnUseClock));
        QCOMPARE(page.LastLinkTest()->Recommended, 5);
    }

    void theWholeWayToAZeroPosition() {
        WindowHarness h;
        auto box = h.AddBox();
        box->Encoder().SetShaftCount(5000, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        QVERIFY(f.tabInstCal->btnTarvinSetZero->isEnabled());
        f.Pages->setCurrentWidget(f.tabInstCal);
        f.tabInstCal->btnTarvinSetZero->click();
        h.Read(2);
        QCOMPARE(f.tabInstCal->lblSetZeroStatus->text(),
                 QStringLiteral("Encoder pos: 5000 set as a zero position."));
        QCOMPARE(f.tabEncConfig->seSetZero->value(), 5000);
        QVERIFY(h.boxes->shown.empty());
    }
};

QTEST_MAIN(TestWindowReports)
#include "test_window_reports.moc"
