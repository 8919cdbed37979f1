// The History page: each saved installation report kept and shown, narrowed
// by its filter, exported, its report opened; a results file that is not one
// said so. The store answers from its own thread, so the checks wait for it.
#include "app/limits_panel.h"
#include "window_harness.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {
/// The window on a box, connected, the air gap plotted for a while, two
/// reports saved into `dir`.
TMainForm& StartWithTwoReports(WindowHarness& h, const QTemporaryDir& dir) {
    h.recordingFolder = [&dir] { return dir.path(); };
    h.AddBox();
    TMainForm& f = h.Start();
    if (!h.Connect())
        QTest::qFail("the encoder was not found", __FILE__, __LINE__);
    f.Pages->setCurrentWidget(f.tabInstCal);
    f.tabInstCal->grpLimits->edMaxErrors->setText(QStringLiteral("0"));
    f.tabInstCal->cbAirGap->setChecked(true);
    h.Read(30);
    f.tabInstCal->btnSaveReport->click();
    f.tabInstCal->btnSaveReport->click();
    return f;
}
} // namespace

class TestWindowHistory : public QObject {
    Q_OBJECT
private slots:
    void aSavedReportIsKeptShownNarrowedAndExported() {
        QTemporaryDir dir;
        WindowHarness h;
        TMainForm& f = StartWithTwoReports(h, dir);
        const QString saved =
            f.tabInstCal->lblReportPath->text().remove(QStringLiteral("Saved to "));

        HistoryModel& rows = *f.tabHistory->model;
        f.Pages->setCurrentWidget(f.tabHistory);
        QTRY_COMPARE(rows.rowCount(), 2);
        const Results::InstallationResult& newest = rows.At(0);
        QCOMPARE(newest.Source, "report");
        QCOMPARE(newest.ReportPath, saved.toStdString());
        QCOMPARE(newest.Verdict, "INCOMPLETE"); // a limit asks for a whole turn
        QCOMPARE(rows.Text(0, HistoryModel::Serial), QString::fromStdString(newest.EncoderSerial));
        QVERIFY(!newest.EncoderSerial.empty());
        QCOMPARE(newest.Gap.Points, f.tabInstCal->grpLimits->Verdict().Gaps().Count());
        QVERIFY(f.tabHistory->lblHistoryStore->text().endsWith(QStringLiteral(": 2 shown")));

        // The filter narrows to a serial or a part number, or to nothing.
        const QString part = rows.Text(0, HistoryModel::Part);
        for (const auto& [filter, shown] :
             {std::pair{part.left(5), 2}, std::pair{QStringLiteral("#none#"), 0},
              std::pair{QString(), 2}}) {
            f.tabHistory->edHistoryFilter->setText(filter);
            QTRY_COMPARE(rows.rowCount(), shown);
        }

        // A double-click opens the row's report.
        QTableView& table = *f.tabHistory->tblHistory;
        emit table.doubleClicked(rows.index(1, HistoryModel::Verdict));
        QCOMPARE(h.opened.size(), 1);
        QVERIFY(QFileInfo(h.opened[0]).exists());

        const QString csv = dir.filePath(QStringLiteral("history.csv"));
        h.saveAnswers << csv;
        f.tabHistory->btnExportCsv->click();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("Time;Part number;Serial;Verdict;Air gap min;Air gap "
                                          "max;Air gap mean;First reason"));
        QVERIFY(lines[1].contains(QStringLiteral(";INCOMPLETE;")));
    }

    void anotherDatabaseIsChosenKeptAndAPasswordRefused() {
        QTemporaryDir dir;
        WindowHarness h;
        TMainForm& f = StartWithTwoReports(h, dir);
        HistoryModel& rows = *f.tabHistory->model;
        QTRY_COMPARE(rows.rowCount(), 2);

        const QString other = dir.filePath(QStringLiteral("other.sqlite"));
        h.locationAnswers << QStringLiteral("postgresql://line:pw@db/results") << other;
        f.tabHistory->btnResultsDatabase->click(); // a password: refused, nothing changes
        QCOMPARE(h.boxes->Texts().size(), 1);
        QVERIFY(h.boxes->Texts()[0].contains(QStringLiteral(".pgpass")));
        f.tabHistory->btnResultsDatabase->click();
        QVERIFY(f.tabHistory->lblHistoryStore->text().contains(other));
        QTRY_COMPARE(rows.rowCount(), 0);
        f.tabInstCal->btnSaveReport->click();
        QTRY_COMPARE(rows.rowCount(), 1);

        // The choice is the next window's too.
        h.form.reset();
        h.Start();
        QTRY_COMPARE(h.form->tabHistory->model->rowCount(), 1);
        QVERIFY(h.form->tabHistory->lblHistoryStore->text().contains(other));
    }

    void aResultsFileThatIsNotOneIsSaidSoAndTheReportStands() {
        QTemporaryDir dir;
        const QString foreign = dir.filePath(QStringLiteral("results.sqlite"));
        QFile text(foreign);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a database, only text that is long enough to be read as one\n");
        text.close();
        WindowHarness h;
        h.resultsFile = foreign.toStdString();
        TMainForm& f = StartWithTwoReports(h, dir);
        QVERIFY(f.tabInstCal->lblReportPath->text().startsWith(QStringLiteral("Saved to ")));
        QTRY_VERIFY(h.LogLines().filter(QStringLiteral("Result not kept: ")).size() == 2);
        f.Pages->setCurrentWidget(f.tabHistory);
        QTRY_VERIFY(f.tabHistory->lblHistoryStore->text().contains(foreign));
        QTRY_VERIFY(
            f.tabHistory->lblHistoryStore->text().contains(QStringLiteral("could not be opened")));
        QCOMPARE(f.tabHistory->model->rowCount(), 0);
    }
};

QTEST_MAIN(TestWindowHistory)
#include "test_window_history.moc"
