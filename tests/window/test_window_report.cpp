// "Save installation report…" against the simulated box: the PDF is read back
// with poppler's tools, so what a technician hands over is what is checked.
#include "app/chart_color_series.h"
#include "app/chart_explorer.h"
#include "app/limits_panel.h"
#include "app/pages/link_test_group.h"
#include "app/widgets/lamp_panel.h"
#include "window_harness.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <qcustomplot.h>

namespace {
/// What `tool` (poppler-utils) prints for `pdf`.
QString Poppler(const QString& tool, const QStringList& args) {
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty()) {
        qWarning("%s is missing: scripts/install-deps installs poppler-utils", qPrintable(tool));
        return {};
    }
    QProcess p;
    p.start(exe, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfText(const QString& pdf) {
    return Poppler(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

QStringList Reports(const QDir& folder) {
    return folder.entryList({QStringLiteral("INSTALLATION_*.pdf")}, QDir::Files, QDir::Name);
}

/// The clipboard's "Min: 0.771 mm" figure of `label`.
QString ClipboardFigure(const QString& label) {
    for (const QString& line : QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n")))
        if (line.startsWith(label + QStringLiteral(": ")))
            return line.mid(label.size() + 2);
    return {};
}

bool Has(const QString& text, const QString& pattern) {
    return QRegularExpression(pattern).match(text).hasMatch();
}
} // namespace

class TestWindowReport : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void reportHoldsIdentityStatisticsAndFlags() {
        QTemporaryDir dir;
        WindowHarness h;
        h.recordingFolder = [&] { return dir.path(); };
        auto box = h.AddBox();
        auto& cond = box->Encoder().Conditions();
        box->Encoder().SetSpeedRpm(6, box->NowUs()); // one turn in about 140 readings
        TMainForm& f = h.Start();
        QVERIFY(!f.tabInstCal->btnSaveReport->isEnabled());
        QVERIFY(f.tabInstCal->btnSaveReport->toolTip().contains(
            QStringLiteral("encoder is connected")));
        QVERIFY(h.Connect());
        QVERIFY(f.tabInstCal->btnSaveReport->isEnabled());

        // The report names the last link test.
        QPushButton& linkTest = *f.tabSysCfg->grpLinkTest->btnLinkTest;
        linkTest.click();
        for (int i = 0; i < 500 && linkTest.text() != QStringLiteral("Test the link"); ++i)
            h.Tick();
        QVERIFY(f.tabSysCfg->LastLinkTest());

        // The Status page reads the detailed status at every fifth tick.
        f.Pages->setCurrentWidget(f.tabEncStatus);
        cond.DetailedStatus = 0x40 | 0x10;
        h.Read(10);
        cond.DetailedStatus = 0;
        h.Read(5);

        f.Pages->setCurrentWidget(f.tabInstCal);
        // The magnet reaches 0.83 mm: the maximum and the warnings fail.
        LimitsPanel& limits = *f.tabInstCal->grpLimits;
        limits.edGapMinMm->setText(QStringLiteral("0.75"));
        limits.edGapMaxMm->setText(QStringLiteral("0.82"));
        limits.edMaxWarnings->setText(QStringLiteral("0"));
        limits.edMaxErrors->setText(QStringLiteral("0"));
        limits.edRunoutMaxMm->setText(QStringLiteral("0.05"));
        f.tabInstCal->cbAirGap->setChecked(true);
        f.tabEncPos->cbPosPlot->setChecked(true);
        h.Read(70);
        cond.WarningBit = true;
        h.Read(4);
        cond.WarningBit = false;
        h.Read(80);
        double lowest = 360, highest = 0;
        const QCPGraphDataContainer& points = f.tabInstCal->serSignal->Points();
        for (auto it = points.constBegin(); it != points.constEnd(); ++it) {
            lowest = std::min(lowest, it->key);
            highest = std::max(highest, it->key);
        }
        QVERIFY2(lowest < 10 && highest > 350, "the shaft went through a whole turn");
        std::size_t readings = 0;
        for (const Engine::Reading& r : h.rig.Reports<Engine::Reading>())
            readings += r.Command != 255;

        const std::vector<std::string> reasons = limits.Result().Reasons;
        QCOMPARE(reasons.size(), 3u);
        QVERIFY2(Has(QString::fromStdString(reasons[0]),
                     QStringLiteral("^air gap 0\\.83 mm above 0\\.82 mm at \\d+\\.\\d°$")),
                 reasons[0].c_str());
        // The simulated magnet's gap is 0.8 mm +- 0.03 mm, largest at 90 degrees.
        QVERIFY2(reasons[1].starts_with("runout 0.06 mm above 0.05 mm"), reasons[1].c_str());
        QCOMPARE(reasons[2], "4 readings with the warning bit");
        QCOMPARE(f.tabInstCal->lblRunout->text(),
                 QStringLiteral("Runout: 0.06 mm, largest gap at 90\u00B0"));
        QCOMPARE(limits.pnlVerdict->text(), QStringLiteral("FAIL: ") + reasons[0].c_str());

        // A detail looked at: the report draws the whole turn all the same.
        f.tabInstCal->ChartAirGap->xAxis->setRange(100, 140);
        f.tabInstCal->btnSaveReport->click();
        QCOMPARE(h.boxes->Texts(), QStringList{});
        // The page's scale and limit lines are gone from the live chart, and
        // the detail looked at is back, paused.
        QCOMPARE(f.tabInstCal->ChartAirGap->xAxis->range(), QCPRange(100, 140));
        QVERIFY(f.tabInstCal->AirGapExplorer->Paused());
        QCOMPARE(f.tabInstCal->ChartAirGap->yAxis->range(), QCPRange(0, 10));
        QCOMPARE(f.tabInstCal->ChartAirGap->itemCount(), 0);
        const QStringList saved = Reports(QDir(dir.path()));
        QCOMPARE(saved.size(), 1);
        QVERIFY2(
            Has(saved[0], QStringLiteral("^INSTALLATION_VLR14SPIST16B050_V24017_\\d{14}\\.pdf$")),
            qPrintable(saved[0]));
        const QString pdf = QDir(dir.path()).filePath(saved[0]);
        QVERIFY(f.tabInstCal->lblReportPath->text().endsWith(QDir::toNativeSeparators(pdf)));
        QVERIFY(h.LogLines().contains(QStringLiteral("Installation report saved to ") +
                                      QDir::toNativeSeparators(pdf)));
        const QByteArray copy = qgetenv("TESSORAN_REPORT_COPY"); // for the picture in docs/
        if (!copy.isEmpty()) {
            QFile::remove(QString::fromLocal8Bit(copy));
            QVERIFY(QFile::copy(pdf, QString::fromLocal8Bit(copy)));
        }

#ifdef Q_OS_WIN
        QSKIP("poppler's tools are Linux programs: a test under wine cannot wait for them");
#endif
        const QString text = PdfText(pdf);
        QVERIFY2(!text.isEmpty(), "pdftotext read nothing");
        for (const QString& pattern :
             {QStringLiteral("/dev/ttyACM0"),
              QStringLiteral("K730-6W\\s+V2\\.03\\s+USB-SPI interface"),
              QStringLiteral("Part number\\s+VLR14SPIST16B050"),
              QStringLiteral("Serial number\\s+V24017"),
              QStringLiteral("Firmware\\s+2\\.1\\.4\\.1187"), QStringLiteral("Kind\\s+Single-turn"),
              QStringLiteral("Magnet size\\s+16 mm"),
              QStringLiteral("Readings\\s+%1\\b").arg(readings),
              QStringLiteral("With error bit\\s+0\\b"), QStringLiteral("With warning bit\\s+4\\b"),
              QStringLiteral("Status readings\\s+3\\b"),
              QStringLiteral("Status flags seen\\s+Signal low \\(2\\), Speed \\(2\\)"),
              QStringLiteral("Temperature\\s+\\d+\\.\\d °C"),
              QStringLiteral("Air gap\\s+0\\.\\d\\d mm"),
              QStringLiteral("\\b0\\s+50\\s+100\\s+150\\s+200\\s+250\\s+300\\s+350\\b"),
              QStringLiteral("0\\.75 mm\\s+0\\.82 mm\\s+not checked\\s+0\\s+0\\s+0\\.05 mm\\n"),
              QStringLiteral("Verdict over the chart's readings\\s+FAIL\\n"),
              QStringLiteral("Coverage\\s+36 of 36 sectors of 10°"),
              QStringLiteral("Link test: replies that failed their check / timed out, of 200 at "
                             "each SPI clock\\s+1 = 94 kHz"),
              QStringLiteral("8 = 12 MHz\\s+(0 ?/ ?0\\s+){8}Recommended: 8 = 12 MHz"),
              QStringLiteral(
                  "Runout\\s+0\\.06 mm, largest gap at 90°, explains \\d+ % of the variance"),
              // The gap chart scaled to its points (ticks in hundredths), with the limits.
              QStringLiteral("\\n\\s+0\\.\\d\\d\\n"), QStringLiteral("\\bmin 0\\.75 mm\\b"),
              QStringLiteral("\\bmax 0\\.82 mm\\b")})
            QVERIFY2(Has(text, pattern), qPrintable(pattern + QStringLiteral("\n") + text));
        for (const std::string& reason : reasons)
            QVERIFY2(text.contains(QString::fromStdString(reason)), reason.c_str());
        const QString boxSerial =
            f.tabSysCfg->lblInterfaceSerial->text().section(QLatin1Char(' '), 1);
        QVERIFY(!boxSerial.isEmpty());
        QVERIFY2(Has(text, QStringLiteral("Serial number\\s+") + boxSerial), qPrintable(text));

        // The figures are those "Copy" gives for the same points.
        f.tabInstCal->btnACopyClipboard->click();
        const QRegularExpressionMatch figures =
            QRegularExpression(QStringLiteral("\\n\\s*(\\d+)\\s+(\\S+ mm)\\s+(\\S+ mm)\\s+(\\S+ mm)"
                                              "\\s+(\\S+) mm"))
                .match(text);
        QVERIFY2(figures.hasMatch(), qPrintable(text));
        QCOMPARE(figures.captured(1).toInt(), f.tabInstCal->serSignal->Count());
        QVERIFY(f.tabInstCal->serSignal->Count() >= 21);
        QCOMPARE(figures.captured(2), ClipboardFigure(QStringLiteral("Min")));
        QCOMPARE(figures.captured(3), ClipboardFigure(QStringLiteral("Max")));
        QCOMPARE(figures.captured(4), ClipboardFigure(QStringLiteral("Avg")));
        double sum = 0, squares = 0;
        for (auto it = points.constBegin(); it != points.constEnd(); ++it)
            sum += static_cast<float>(it->value);
        const double mean = sum / points.size();
        for (auto it = points.constBegin(); it != points.constEnd(); ++it)
            squares += std::pow(static_cast<float>(it->value) - mean, 2);
        QVERIFY(std::abs(figures.captured(5).toDouble() - std::sqrt(squares / points.size())) <
                0.0006);

        // One A4 page, the charts drawn as lines and text, not as pictures.
        const QString info = Poppler(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(Has(info, QStringLiteral("Pages:\\s+1\\n")) &&
                     info.contains(QStringLiteral("(A4)")),
                 qPrintable(info));
        const QString images = Poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
        QCOMPARE(images.trimmed().split(QLatin1Char('\n')).size(), 2); // the header lines only
    }

    void aReportNeverReplacesAFile() {
        QTemporaryDir dir;
        WindowHarness h;
        h.recordingFolder = [&] { return dir.path(); };
        h.localNow = [] { return QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)); };
        h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        const QString stem = QStringLiteral("INSTALLATION_VLR14SPIST16B050_V24017_20250304050607");
        QFile earlier(QDir(dir.path()).filePath(stem + QStringLiteral(".pdf")));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
        earlier.close();
        f.tabInstCal->btnSaveReport->click();
        f.tabInstCal->btnSaveReport->click();
        QCOMPARE(Reports(QDir(dir.path())),
                 (QStringList{stem + QStringLiteral(".pdf"), stem + QStringLiteral("_2.pdf"),
                              stem + QStringLiteral("_3.pdf")}));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
#ifdef Q_OS_WIN
        QSKIP("poppler's tools are Linux programs: a test under wine cannot wait for them");
#endif
        // Without points the statistics say so, as "Copy" does; a value never read is no 0.
        const QString text = PdfText(QDir(dir.path()).filePath(stem + QStringLiteral("_3.pdf")));
        QVERIFY2(Has(text, QStringLiteral("Temperature\\s+not read")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Not enough data points recorded")),
                 qPrintable(text));
    }

    void aFailedSaveNamesFileAndReasonAndReadingGoesOn() {
        QTemporaryDir dir;
        WindowHarness h;
        const QString missing = QDir(dir.path()).filePath(QStringLiteral("gone"));
        h.recordingFolder = [&] { return missing; };
        h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.tabInstCal->btnSaveReport->click();
        QCOMPARE(h.boxes->shown.size(), 1u);
        QCOMPARE(h.boxes->shown[0].BoxKind, MessageBoxes::Kind::Error);
        const QString message = h.boxes->shown[0].Text;
        QVERIFY2(message.contains(QDir::toNativeSeparators(missing) + QDir::separator() +
                                  QStringLiteral("INSTALLATION_VLR14SPIST16B050_V24017_")),
                 qPrintable(message));
        // The reason in the system's words ("No such file or directory" on Linux).
        QFile probe(QDir(missing).filePath(QStringLiteral("probe")));
        QVERIFY(!probe.open(QIODevice::WriteOnly));
        QVERIFY2(message.endsWith(QStringLiteral(": ") + probe.errorString()), qPrintable(message));
        QVERIFY(f.tabInstCal->lblReportPath->text().startsWith(QStringLiteral("Not saved")));
        QVERIFY(!QDir(missing).exists());
        const auto before = h.rig.Reports<Engine::Reading>().size();
        h.Read(3);
        QCOMPARE(h.rig.Reports<Engine::Reading>().size(), before + 3);
    }
};

QTEST_MAIN(TestWindowReport)
#include "test_window_report.moc"
