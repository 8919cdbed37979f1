// The position and air-gap charts, "Save chart" and "Copy", drawn from the
// engine's readings of the simulated box.
#include "app/chart_color_series.h"
#include "app/chart_explorer.h"
#include "app/limits_panel.h"
#include "app/recording_review.h"
#include "app/review_band.h"
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"
#include "encoder/crc.h"
#include "serial/Serial_driver.h"
#include "window_harness.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QtTest>
#include <map>
#include <qcustomplot.h>

namespace {
constexpr std::int64_t Quarter = 4096; // counts of 90 degrees

/// Passes everything through, except that the reply to "a" reports a signal
/// level of 0 (with a valid check byte), which the simulated head never does.
class ZeroLevelPort final : public Serial_driver::SerialPort {
public:
    explicit ZeroLevelPort(std::unique_ptr<Serial_driver::SerialPort> inner)
        : inner_(std::move(inner)) {}

    int Write(std::string_view bytes) override {
        if (bytes != "?05:097")
            return inner_->Write(bytes);
        std::string reply;
        const int status = Serial_driver::InterfaceCommand(inner_.get(), bytes, 0, reply);
        if (status != Serial_driver::StatusOk)
            return status;
        std::string raw;
        for (const QString& pair : QString::fromLatin1(reply).trimmed().split(u' '))
            raw.push_back(static_cast<char>(pair.toInt(nullptr, 16)));
        raw[2] = raw[3] = '\0';
        raw[4] = static_cast<char>(Velor::ReplyCrc(std::string_view(raw).substr(0, 4)));
        queued_ =
            QByteArray(raw.data(), static_cast<int>(raw.size())).toHex(' ').toStdString() + "\r";
        return 0;
    }
    int BytesWaiting() override {
        return queued_.empty() ? inner_->BytesWaiting() : static_cast<int>(queued_.size());
    }
    int Read(std::size_t count, std::string& out) override {
        if (queued_.empty())
            return inner_->Read(count, out);
        const std::size_t n = std::min(count, queued_.size());
        out.append(queued_, 0, n);
        queued_.erase(0, n);
        return static_cast<int>(n);
    }
    Serial_driver::WaitResult WaitReadable(int timeoutMs) override {
        return queued_.empty() ? inner_->WaitReadable(timeoutMs)
                               : Serial_driver::WaitResult::Readable;
    }
    std::int64_t NowMs() override { return inner_->NowMs(); }
    bool SaveSettings() override { return inner_->SaveSettings(); }
    bool ApplySettings() override { return inner_->ApplySettings(); }
    bool RestoreSettings() override { return inner_->RestoreSettings(); }

private:
    std::unique_ptr<Serial_driver::SerialPort> inner_;
    std::string queued_;
};

QList<double> Keys(const QCPGraphDataContainer& data) {
    QList<double> keys;
    for (auto it = data.constBegin(); it != data.constEnd(); ++it)
        keys << it->key;
    return keys;
}

QList<double> Values(const QCPGraphDataContainer& data) {
    QList<double> values;
    for (auto it = data.constBegin(); it != data.constEnd(); ++it)
        values << it->value;
    return values;
}

QList<double> Range(double from, double to) {
    QList<double> out;
    for (double x = from; x <= to; ++x)
        out << x;
    return out;
}

/// The last reading the engine reported.
Engine::Reading LastReading(const WindowHarness& h) {
    const auto readings = h.rig.Reports<Engine::Reading>();
    return readings.empty() ? Engine::Reading{} : readings.back();
}

/// Reads until a tick has sent "a" (the Installation page must be open).
void ReadAirGap(WindowHarness& h) {
    for (int i = 0; i < 3; ++i) {
        h.Read();
        if (h.form->tabSysCfg->lblCmd->text().endsWith(QStringLiteral(":097")))
            return;
    }
    QFAIL("no signal-level tick within three ticks");
}

/// The bottom, left and right axes' ranges.
QList<QCPRange> Ranges(const QCustomPlot& chart) {
    return {chart.xAxis->range(), chart.yAxis->range(), chart.yAxis2->range()};
}

/// One notch of the wheel (away from the user) at `at`, as the chart gets it.
void Wheel(QCustomPlot& chart, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
    QWheelEvent wheel(at, chart.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &wheel);
}

void Drag(QCustomPlot& chart, QPoint from, QPoint to) {
    QTest::mousePress(&chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(&chart, to);
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, to);
}

/// The window shown, reading a turning multiturn encoder, the Position page
/// open with 40 readings plotted.
std::shared_ptr<K730Sim::K730Box> StartShown(WindowHarness& h) {
    auto box = h.AddBox("/dev/ttyACM0", true);
    box->Encoder().SetSpeedRpm(30, box->NowUs());
    TMainForm& f = h.Start();
    f.show();
    if (!QTest::qWaitForWindowExposed(&f) || !h.Connect())
        qFatal("the window did not come up reading");
    f.Pages->setCurrentWidget(f.tabEncPos);
    f.tabEncPos->cbPosPlot->setChecked(true);
    h.Read(40);
    f.tabEncPos->chartPosition->replot(); // laid out
    return box;
}

/// Types `texts` into the limits' fields, in their order, each over what was there.
void TypeLimits(LimitsPanel& limits, const QStringList& texts) {
    QLineEdit* const fields[] = {limits.edGapMinMm, limits.edGapMaxMm, limits.edSignalMin,
                                 limits.edMaxWarnings, limits.edMaxErrors};
    for (int i = 0; i < texts.size(); ++i) {
        fields[i]->clear();
        QTest::keyClicks(fields[i], texts[i]);
    }
}

/// Every channel as Qt widens a 5- or 6-bit one: the image went through RGB565.
bool Is565(const QImage& image) {
    const auto widened = [](int v, int bits) {
        const int top = v >> (8 - bits);
        return ((top << (8 - bits)) | (top >> (2 * bits - 8))) == v;
    };
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, y);
            if (!widened(qRed(p), 5) || !widened(qGreen(p), 6) || !widened(qBlue(p), 5))
                return false;
        }
    return true;
}
} // namespace

class TestWindowCharts : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void startUpLeavesBothChartsEmpty() {
        WindowHarness h;
        TMainForm& f = h.Start();
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 0);
        QCOMPARE(f.tabEncPos->SeriesPosMT->dataCount(), 0);
        QCOMPARE(f.tabInstCal->serSignal->Count(), 0);
        QCOMPARE(f.tabEncPos->ChartTime, 0u);
        QCOMPARE(f.tabEncPos->chartPosition->yAxis2->range(), QCPRange(-5, 365));
        QCOMPARE(f.tabInstCal->ChartAirGap->xAxis->label(), QStringLiteral("Position (deg)"));
        QCOMPARE(f.tabInstCal->ChartAirGap->yAxis->label(), QStringLiteral("Air gap (mm)"));
    }

    void positionChartKeepsTheLast250Samples() {
        WindowHarness h;
        auto box = h.AddBox();
        box->Encoder().SetSpeedRpm(30, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabEncPos);
        h.Read(3);
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 0); // not ticked: nothing plotted
        f.tabEncPos->cbPosPlot->setChecked(true);
        for (int i = 0; i < 251; ++i) {
            h.Read();
            const QCPGraphData last = *(f.tabEncPos->SeriesPosST->Points().constEnd() - 1);
            QCOMPARE(last.key, double(i));
            const TEncoderPosition pos = LastReading(h).Position;
            QCOMPARE(last.value, pos.ST_value * pos.Resolution_unit);
        }
        QCOMPARE(f.tabEncPos->ChartTime, 251u);
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 250);
        QCOMPARE(Keys(f.tabEncPos->SeriesPosST->Points()), Range(1, 250));
        QCOMPARE(f.tabEncPos->SeriesPosMT->dataCount(), 0); // a single-turn encoder has no turns
        QCOMPARE(f.tabEncPos->chartPosition->xAxis->range(), QCPRange(1, 250));
        QCOMPARE(f.tabEncPos->chartPosition->yAxis2->range(), QCPRange(-5, 365));

        f.tabEncPos->cbPosPlot->setChecked(false); // unticked: the points stay, none come
        h.Read(2);
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 250);
        QCOMPARE(f.tabEncPos->ChartTime, 251u);
        f.tabEncPos->cbPosPlot->setChecked(true); // ticked again: a fresh plot from sample 0
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 0);
        QCOMPARE(f.tabEncPos->ChartTime, 0u);
        h.Read(2);
        QCOMPARE(Keys(f.tabEncPos->SeriesPosST->Points()), Range(0, 1));
        f.tabEncPos->btnChartPosClear->click();
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 0);
        QCOMPARE(f.tabEncPos->ChartTime, 0u);
    }

    void pointColoursFollowTheirPointsAcrossTheSlide() {
        WindowHarness h;
        auto box = h.AddBox();
        auto& cond = box->Encoder().Conditions();
        box->Encoder().SetSpeedRpm(12, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabEncPos);
        f.tabEncPos->cbPosPlot->setChecked(true);
        std::map<double, QColor> wanted;
        for (int i = 0; i < 280; ++i) {
            // Runs of different lengths, so a colour shifted by any index shows.
            cond.ErrorBit = i % 7 == 3;
            cond.WarningBit = i % 5 == 1;
            wanted[f.tabEncPos->ChartTime] = cond.ErrorBit     ? WindowColors::LightRed
                                             : cond.WarningBit ? WindowColors::Orange
                                                               : WindowColors::Navy;
            h.Read();
        }
        ColorPointSeries& st = *f.tabEncPos->SeriesPosST;
        QCOMPARE(st.Count(), 250);
        for (int i = 0; i < st.Count(); ++i) {
            const double key = (st.Points().constBegin() + i)->key;
            QCOMPARE(st.ColorAt(i).value_or(Qt::transparent), wanted.at(key));
        }
        // The dots drawn are exactly the points on the line: none left behind.
        int dots = 0;
        for (QCPGraph* graph : st.PointGraphs()) {
            dots += graph->dataCount();
            QVERIFY(graph->data()->isEmpty() || graph->data()->constBegin()->key >= 30);
        }
        QCOMPARE(dots, 250);
        QCOMPARE(int(st.PointGraphs().size()), 3);
    }

    void multiturnEncodersPlotTheTurnCountToo() {
        WindowHarness h;
        auto box = h.AddBox("/dev/ttyACM0", true);
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabEncPos);
        f.tabEncPos->cbPosPlot->setChecked(true);
        QList<double> turns;
        for (int i = 0; i < 251; ++i) {
            // From turn -2 on, about six turns over the run.
            box->Encoder().SetShaftCount(-2 * 16384 + 100 + i * 400, box->NowUs());
            h.Read();
            turns << LastReading(h).Position.MT_value;
        }
        QCOMPARE(f.tabEncPos->SeriesPosMT->dataCount(), 250);
        QCOMPARE(Keys(*f.tabEncPos->SeriesPosMT->data()), Range(1, 250));
        QCOMPARE(Values(*f.tabEncPos->SeriesPosMT->data()), turns.mid(1));
        QCOMPARE(turns.first(), -2.0);
        QCOMPARE(turns.last(), 4.0);
        // The turn axis follows the counts.
        QVERIFY(f.tabEncPos->chartPosition->yAxis->range().contains(turns.first() + 0.0));
        QVERIFY(f.tabEncPos->chartPosition->yAxis->range().contains(turns.last() + 0.0));
    }

    void airGapPointsStayInAngleOrder() {
        WindowHarness h;
        auto box = h.AddBox();
        auto& enc = box->Encoder();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabInstCal);
        f.tabInstCal->cbAirGap->setChecked(true);
        struct Step {
            std::int64_t count;
            double gapMm;
            bool warning;
        };
        // 90, 180, 90 again, 0 (turned back), 90 a third time.
        const Step steps[] = {{Quarter, 0.7, false},
                              {2 * Quarter, 0.8, false},
                              {Quarter, 0.9, true},
                              {0, 1.0, false},
                              {Quarter, 1.1, false}};
        QList<double> gaps;
        for (const Step& s : steps) {
            enc.SetShaftCount(s.count, box->NowUs());
            enc.Conditions().GapMm = s.gapMm;
            enc.Conditions().WarningBit = s.warning;
            ReadAirGap(h);
            gaps << LastReading(h).Aux.AirGap;
        }
        const ColorPointSeries& gap = *f.tabInstCal->serSignal;
        QCOMPARE(Keys(gap.Points()), (QList<double>{0, 90, 90, 90, 180}));
        // Equal angles in the order they came: the newest after the others.
        QCOMPARE(Values(gap.Points()),
                 (QList<double>{gaps[3], gaps[0], gaps[2], gaps[4], gaps[1]}));
        QCOMPARE(gap.ColorAt(2).value_or(QColor()), WindowColors::Orange);
        QCOMPARE(gap.ColorAt(1).value_or(QColor()), WindowColors::Navy);
        QCOMPARE(gap.ColorAt(3).value_or(QColor()), WindowColors::Navy);

        f.tabInstCal->cbAirGap->setChecked(false);
        ReadAirGap(h);
        QCOMPARE(gap.Count(), 5); // unticked: no more points
        f.tabInstCal->btnChartGapClear->click();
        QCOMPARE(gap.Count(), 0);
    }

    void airGapAxesAreFixedByTheBox() {
        WindowHarness h;
        auto box = h.AddBox();
        box->Encoder().SetSpeedRpm(20, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabInstCal);
        f.tabInstCal->cbAirGap->setChecked(true);
        QCOMPARE(f.tabInstCal->ChartAirGap->xAxis->range(), QCPRange(0, 360));
        QCOMPARE(f.tabInstCal->ChartAirGap->yAxis->range(), QCPRange(0, 10));
        for (int i = 0; i < 4; ++i)
            ReadAirGap(h);
        QCOMPARE(f.tabInstCal->ChartAirGap->xAxis->range(),
                 QCPRange(0, 360)); // points do not rescale
        f.tabInstCal->ChartAirGap->xAxis->setRange(10, 20);
        f.tabInstCal->cbAirGap->setChecked(false); // unticking fixes them as well
        QCOMPARE(f.tabInstCal->ChartAirGap->xAxis->range(), QCPRange(0, 360));
        QCOMPARE(f.tabInstCal->ChartAirGap->yAxis->range(), QCPRange(0, 10));
        QCOMPARE(f.tabInstCal->serSignal->Count(), 4);
    }

    void airGapWithoutValueAddsNoPoint() {
        WindowHarness h;
        h.AddBox();
        h.rig.wrapPort = [](const std::string&, std::unique_ptr<Serial_driver::SerialPort> port) {
            return std::make_unique<ZeroLevelPort>(std::move(port));
        };
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.tabEncIdent->cbbMagnetSize->setEditText(QStringLiteral("22")); // ln(0): no gap
        f.tabEncIdent->cbbMagnetSizeChange();
        f.Pages->setCurrentWidget(f.tabInstCal);
        f.tabInstCal->cbAirGap->setChecked(true);
        ReadAirGap(h);
        ReadAirGap(h);
        QVERIFY(std::isnan(LastReading(h).Aux.AirGap));
        QCOMPARE(f.tabInstCal->lblAirGap1->text(), QStringLiteral("Air gap: --- mm"));
        QCOMPARE(f.tabInstCal->serSignal->Count(), 0);
        QCOMPARE(h.rig.engine->EnabledCycle(), Engine::Cycle::Read);
        f.tabEncIdent->cbbMagnetSize->setEditText(
            QStringLiteral("16")); // the polynomial has a value at 0
        f.tabEncIdent->cbbMagnetSizeChange();
        ReadAirGap(h);
        QCOMPARE(f.tabInstCal->serSignal->Count(), 1);
    }

    void verdictLineJudgesThePlottedReadingsAgainstTheLimits() {
        WindowHarness h;
        auto box = h.AddBox();
        auto& enc = box->Encoder();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabInstCal);
        LimitsPanel& limits = *f.tabInstCal->grpLimits;
        QVERIFY(!limits.isHidden());
        const auto line = [&] { return limits.pnlVerdict->text(); };
        // One air-gap point in the middle of each of the first `sectors` sectors.
        const auto turnThrough = [&](int sectors) {
            for (int s = 0; s < sectors; ++s) {
                enc.SetShaftCount(16384 * (2 * s + 1) / 72, box->NowUs());
                ReadAirGap(h);
            }
        };
        QCOMPARE(line(), QString()); // no limit, no verdict
        TypeLimits(limits, {QString(), QStringLiteral("5")});
        turnThrough(24); // not plotted: not judged
        QCOMPARE(limits.Verdict().Readings(), 0u);
        f.tabInstCal->cbAirGap->setChecked(true);
        turnThrough(24);
        QCOMPARE(line(), QStringLiteral("Turn the shaft: 24 of 36 sectors seen"));
        QCOMPARE(limits.pnlVerdict->Color(), WindowColors::Orange);
        turnThrough(36);
        QCOMPARE(line(), QStringLiteral("PASS"));
        QCOMPARE(limits.pnlVerdict->Color(), WindowColors::Green);
        QCOMPARE(static_cast<int>(limits.Verdict().Gaps().Count()),
                 f.tabInstCal->serSignal->Count());

        // Judged again as typed: the line gives the first reason.
        TypeLimits(limits, {QString(), QStringLiteral("0.8")});
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^FAIL: air gap 0\\.8\\d mm above 0\\.80 mm at \\d+\\.\\d°$"))
                     .match(line())
                     .hasMatch(),
                 qPrintable(line()));
        QCOMPARE(limits.pnlVerdict->Color(), WindowColors::LightRed);
        // Beyond 20 mm is half-typed: shown red, not checked until it is a limit.
        TypeLimits(limits, {QStringLiteral("25"), QString()});
        QCOMPARE(limits.edGapMinMm->palette().color(QPalette::Text), WindowColors::Red);
        QCOMPARE(line(), QString());

        TypeLimits(limits, {QString(), QStringLiteral("5")});
        f.tabInstCal->btnChartGapClear->click(); // starts the verdict over
        QCOMPARE(line(), QStringLiteral("Turn the shaft: 0 of 36 sectors seen"));
        QCOMPARE(limits.Verdict().Readings(), 0u);
    }

    void limitsAreKeptForTheNextWindow() {
        QTemporaryDir dir;
        const auto kept = std::make_shared<QSettings>(dir.filePath(QStringLiteral("t.ini")),
                                                      QSettings::IniFormat);
        {
            WindowHarness h;
            h.settings = kept;
            TypeLimits(*h.Start().tabInstCal->grpLimits,
                       {QStringLiteral("0.75"), QStringLiteral("25"), QStringLiteral("1200"),
                        QString(), QStringLiteral("0")});
        }
        kept->sync();
        WindowHarness h;
        h.settings = std::make_shared<QSettings>(kept->fileName(), QSettings::IniFormat);
        const LimitsPanel& limits = *h.Start().tabInstCal->grpLimits;
        // What was kept is what was checked: the half-typed value is not.
        const QStringList shown{limits.edGapMinMm->text(), limits.edGapMaxMm->text(),
                                limits.edSignalMin->text(), limits.edMaxWarnings->text(),
                                limits.edMaxErrors->text()};
        QCOMPARE(shown, (QStringList{QStringLiteral("0.75"), QString(), QStringLiteral("1200"),
                                     QString(), QStringLiteral("0")}));
        QCOMPARE(limits.Limits().SignalMin, std::optional(1200.0));
    }

    void copyNeedsMoreThanTwentyPoints() {
        WindowHarness h;
        auto box = h.AddBox();
        box->Encoder().SetSpeedRpm(20, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabInstCal);
        f.tabInstCal->cbAirGap->setChecked(true);
        QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
        for (int i = 0; i < 20; ++i)
            ReadAirGap(h);
        QCOMPARE(f.tabInstCal->serSignal->Count(), 20);
        const QString identity = QStringLiteral("Part number: VLR14SPIST16B050\r\n"
                                                "Serial number: V24017\r\n"
                                                "FW version: 2.1.4.1187\r\n");
        f.tabInstCal->btnACopyClipboard->click();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 identity + QStringLiteral("Not enough data points recorded!\r\n"));
        ReadAirGap(h);
        f.tabInstCal->btnACopyClipboard->click();
        const QStringList lines =
            QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 7); // six lines, each ended by CR LF
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(identity));
        const QRegularExpression figure(QStringLiteral("^(Min|Max|Avg): 0\\.[6-9]\\d\\d mm$"));
        for (int i = 3; i < 6; ++i)
            QVERIFY2(figure.match(lines[i]).hasMatch(), qPrintable(lines[i]));
    }

    void copyGivesTheFiguresInTheLocaleFormat() {
        WindowHarness h;
        h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        // 20 gaps of 0.8 mm and one of 12.3456 mm, above the chart's axis but counted.
        for (int i = 0; i < 20; ++i)
            f.tabInstCal->serSignal->Add(i * 10.0, 0.8, WindowColors::Navy);
        f.tabInstCal->serSignal->Add(45.0, 12.3456, WindowColors::Orange);
        f.tabInstCal->btnACopyClipboard->click();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Part number: VLR14SPIST16B050\r\n"
                                "Serial number: V24017\r\n"
                                "FW version: 2.1.4.1187\r\n"
                                "Min: 0,800 mm\r\n"
                                "Max: 12,346 mm\r\n"
                                "Avg: 1,350 mm\r\n"));
    }

    void saveWritesAPngOfTheChartAsShown() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        WindowHarness h;
        auto box = h.AddBox();
        box->Encoder().SetSpeedRpm(30, box->NowUs());
        TMainForm& f = h.Start();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabEncPos);
        f.tabEncPos->cbPosPlot->setChecked(true);
        h.Read(40);
        const QSize shown = f.tabEncPos->chartPosition->size();
        QVERIFY(shown.width() > 100 && shown.height() > 100);

        QFile old(dir.filePath(QStringLiteral("chart.png")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("not an image");
        old.close();
        const QString folderWithDot = dir.filePath(QStringLiteral("run.v2"));
        QVERIFY(QDir().mkpath(folderWithDot));
        h.saveAnswers = {
            dir.filePath(QStringLiteral("chart.bmp")), dir.filePath(QStringLiteral("chart")),
            dir.filePath(QStringLiteral("a.b.c")), folderWithDot + QStringLiteral("/plot")};
        for (int i = 0; i < 4; ++i)
            f.tabEncPos->btnChartPosSave->click();
        QCOMPARE(h.boxes->Texts(), QStringList{});
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("chart.bmp"))));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("chart"))));
        for (const QString& name : {QStringLiteral("chart.png"), QStringLiteral("a.b.png"),
                                    QStringLiteral("run.v2/plot.png")}) {
            QImage image(dir.filePath(name), "PNG");
            QVERIFY2(!image.isNull(), qPrintable(name)); // the old text file was replaced
            QCOMPARE(image.size(), shown);
            QVERIFY2(Is565(image), qPrintable(name));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("a.b.png"), QStringLiteral("chart.png")}));
        // The dialog opens on the last name chosen, without its folder.
        QCOMPARE(h.saveSuggestions,
                 (QStringList{QString(), QStringLiteral("chart.bmp"), QStringLiteral("chart"),
                              QStringLiteral("a.b.c")}));
        // The picture holds the trace (navy points) and the frame, in 16-bit colour.
        const QImage image(dir.filePath(QStringLiteral("chart.png")), "PNG");
        const QRgb navy565 = qRgb(0, 0, 0x84);
        bool navyFound = false;
        for (int y = 0; y < image.height() && !navyFound; ++y)
            for (int x = 0; x < image.width() && !navyFound; ++x)
                navyFound = image.pixel(x, y) == navy565;
        QVERIFY(navyFound);
        QCOMPARE(image.pixel(0, 0), qRgb(0xC6, 0xC3, 0xC6)); // the silver border, in 16-bit
        QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), qRgb(0xC6, 0xC3, 0xC6));
    }

    void wheelDragAndDoubleClickChangeAndRestoreTheView() {
        WindowHarness h;
        StartShown(h);
        TMainForm& f = *h.form;
        QCustomPlot& chart = *f.tabEncPos->chartPosition;
        const QList<QCPRange> live = Ranges(chart);
        const QRect plot = chart.axisRect()->rect();
        const QPoint at = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 3);
        const double keyAt = chart.xAxis->pixelToCoord(at.x());
        struct Gesture {
            const char* name;
            std::function<void()> move;
            bool keys;   ///< the bottom axis moves
            bool values; ///< the left and right axes move
            std::function<void()> back;
        };
        const auto doubleClick = [&] {
            QTest::mouseDClick(&chart, Qt::LeftButton, {}, at);
            QTest::mouseRelease(&chart, Qt::LeftButton, {}, at);
        };
        const Gesture gestures[] = {
            {"wheel", [&] { Wheel(chart, at); }, true, false, doubleClick},
            {"ctrl+wheel", [&] { Wheel(chart, at, Qt::ControlModifier); }, false, true,
             [&] { QTest::keyClick(&chart, Qt::Key_Home); }},
            {"drag", [&] { Drag(chart, at, at + QPoint(-80, 40)); }, true, true, doubleClick},
        };
        for (const Gesture& g : gestures) {
            g.move();
            const QList<QCPRange> moved = Ranges(chart);
            QVERIFY2(f.tabEncPos->PositionExplorer->Paused(), g.name);
            QVERIFY2((moved[0] != live[0]) == g.keys, g.name);
            QVERIFY2((moved[1] != live[1] && moved[2] != live[2]) == g.values, g.name);
            if (g.keys && !g.values) // zoomed in about the pointer
                QVERIFY(moved[0].size() < live[0].size() &&
                        qFuzzyCompare(chart.xAxis->pixelToCoord(at.x()), keyAt));
            g.back();
            QVERIFY2(!f.tabEncPos->PositionExplorer->Paused(), g.name);
            QCOMPARE(Ranges(chart), live);
        }
    }

    void aPausedChartHoldsStillAndCatchesUp() {
        WindowHarness h;
        StartShown(h);
        TMainForm& f = *h.form;
        QCustomPlot& position = *f.tabEncPos->chartPosition;
        Wheel(position, position.axisRect()->center());
        const QList<QCPRange> held = Ranges(position);
        h.Read(30);
        QCOMPARE(Ranges(position), held);
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 70);
        QTest::keyClick(&position, Qt::Key_Home);
        QCOMPARE(position.xAxis->range(), QCPRange(0, 69));
    }

    void theTooltipNamesTheNearestPoint() {
        WindowHarness h;
        auto& cond = StartShown(h)->Encoder().Conditions();
        TMainForm& f = *h.form;
        cond.WarningBit = true;
        h.Read();
        const Engine::Reading position = LastReading(h);
        cond.WarningBit = false;
        h.Read(10);
        f.tabEncPos->cbPosPlot->setChecked(false); // the one warning stays the only one
        f.Pages->setCurrentWidget(f.tabInstCal);
        f.tabInstCal->cbAirGap->setChecked(true);
        ReadAirGap(h);
        cond.WarningBit = true;
        ReadAirGap(h);
        const Engine::Reading gap = LastReading(h);

        const auto angle = [](const Engine::Reading& r) {
            return QString::number(r.Position.ST_value * r.Position.Resolution_unit, 'f', 3);
        };
        struct Case {
            QWidget* page;
            ColorPointSeries* series;
            ChartExplorer* explorer;
            QString text;
        };
        const Case cases[] = {
            {f.tabEncPos, f.tabEncPos->SeriesPosST, f.tabEncPos->PositionExplorer,
             QStringLiteral("Reading 40\nAngle %1 °\nTurns %2\nStatus: warning")
                 .arg(angle(position))
                 .arg(position.Position.MT_value)},
            {f.tabInstCal, f.tabInstCal->serSignal, f.tabInstCal->AirGapExplorer,
             QStringLiteral("Angle %1 °\nAir gap %2 mm\nStatus: warning")
                 .arg(angle(gap), QString::number(gap.Aux.AirGap, 'f', 3))},
        };
        for (const Case& c : cases) {
            f.Pages->setCurrentWidget(c.page);
            QCustomPlot& chart = *c.series->Line()->parentPlot();
            chart.replot();
            int warned = 0;
            while (c.series->ColorAt(warned).value_or(WindowColors::Orange) != WindowColors::Orange)
                ++warned;
            const QCPGraphData point = *(c.series->Points().constBegin() + warned);
            const QPointF dot = c.series->Line()->coordsToPixels(point.key, point.value);
            // Sent: the offscreen platform misplaces QTest::mouseMove's cursor when scaled.
            const QPointF near = dot + QPointF(3, -2);
            QMouseEvent move(QEvent::MouseMove, near, chart.mapToGlobal(near), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&chart, &move);
            QCOMPARE(QToolTip::text(), c.text);
            QCOMPARE(c.explorer->TipAt(dot + QPointF(0, ChartExplorer::Reach + 2)), QString());
        }
    }

    void aRecordingIsReviewedWhileReadingGoesOn() {
        QTemporaryDir dir;
        WindowHarness h;
        h.recordingFolder = [&dir] { return dir.path(); };
        StartShown(h);
        TMainForm& f = *h.form;
        const QString path = dir.filePath(QStringLiteral("POSITION_REVIEW.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Time(ms);RX;MT;ST;Error;Warning;\r\n0;0x01;1;0;0;0;\r\n70;0x02;1;4096;0;-1;"
                   "\r\n140;0x03;2;8192;-1;0;\r\n210;0x04;2\r\n");
        file.close();
        f.OpenRecording(path);
        QTRY_VERIFY(f.tabEncPos->review_->Active());
        QCOMPARE(f.tabEncPos->reviewBand->Text(),
                 QStringLiteral("Review of POSITION_REVIEW.csv: 3 rows, 0.140 s; 1 with the error "
                                "bit, 1 with the warning bit. 1 bad line left out. Line 5: "
                                "3 fields, 6 expected."));
        const QCPGraphData warned = *(f.tabEncPos->review_->AngleLine()->data()->constBegin() + 1);
        const QPointF dot =
            f.tabEncPos->review_->AngleLine()->coordsToPixels(warned.key, warned.value);
        QCOMPARE(f.tabEncPos->PositionExplorer->TipAt(dot),
                 QStringLiteral("Row 2 at 0.070 s\nAngle 90.000 °\nTurns 1\nStatus: warning"));

        // Readings go on behind the review, kept by the live chart, which
        // shows them all once the review ends.
        const QList<QCPRange> review = Ranges(*f.tabEncPos->chartPosition);
        h.Read(5);
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 45);
        QCOMPARE(Ranges(*f.tabEncPos->chartPosition), review);
        f.tabEncPos->reviewBand->findChild<QPushButton*>()->click();
        QVERIFY(!f.tabEncPos->review_->Active() && f.tabEncPos->reviewBand->isHidden());
        QCOMPARE(f.tabEncPos->chartPosition->xAxis->range().upper, 44.0);

        // Starting a recording ends a review; a file that is no recording is refused.
        f.OpenRecording(path);
        QTRY_VERIFY(f.tabEncPos->review_->Active());
        f.tabEncPos->cbShranjujMeritvePos->setChecked(true);
        QVERIFY(!f.tabEncPos->review_->Active());
        f.OpenRecording(path); // and so does the report, whose chart is the live one
        QTRY_VERIFY(f.tabEncPos->review_->Active());
        f.tabInstCal->btnSaveReport->click();
        QVERIFY(!f.tabEncPos->review_->Active());
        file.open(QIODevice::WriteOnly);
        file.write("date,value\n2024-01-01,3\n");
        file.close();
        f.OpenRecording(path);
        QTRY_COMPARE(h.boxes->Texts().size(), 1);
        QVERIFY(h.boxes->Texts()[0].startsWith(
            QStringLiteral("\"POSITION_REVIEW.csv\" is not a Tessoran recording: ")));
        QVERIFY(!f.tabEncPos->review_->Active() && f.tabEncPos->reviewBand->isHidden());
    }

    void failedSaveShowsBothErrorsAndReadingGoesOn() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        WindowHarness h;
        h.AddBox();
        TMainForm& f = h.Start();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(h.Connect());
        f.tabEncPos->cbPosPlot->setChecked(true);
        h.Read(5);
        const QStringList bothErrors{QStringLiteral("Shranjevanje PNG slike ni bilo uspešno!"),
                                     QStringLiteral("Error while saving chart image!")};

        h.saveAnswers = {dir.filePath(QStringLiteral("missing/chart.png"))};
        f.tabEncPos->btnChartPosSave->click();
        QCOMPARE(h.boxes->Texts(), bothErrors);
        QVERIFY(h.boxes->shown[0].BoxKind == MessageBoxes::Kind::Error);
        QVERIFY(h.boxes->shown[1].BoxKind == MessageBoxes::Kind::Error);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));

        // Something already under the name does not turn a failed write into a save.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.png")));
        h.boxes->shown.clear();
        h.saveAnswers = {dir.filePath(QStringLiteral("taken"))};
        f.tabEncPos->btnChartPosSave->click();
        QCOMPARE(h.boxes->Texts(), bothErrors);

        h.boxes->shown.clear();
        f.tabEncPos->btnChartPosSave->click(); // cancelled: nothing happens
        QCOMPARE(h.boxes->Texts(), QStringList{});
        QCOMPARE(h.rig.engine->EnabledCycle(), Engine::Cycle::Read);
        h.Read(2);
        QCOMPARE(f.tabEncPos->SeriesPosST->Count(), 7);
    }
};

QTEST_MAIN(TestWindowCharts)
#include "test_window_charts.moc"
