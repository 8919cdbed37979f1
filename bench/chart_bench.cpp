// What the charts cost: one reading tick with the position chart full and
// plotting on (against the in-process box), and one air-gap point plus a
// repaint with 10,000 and 100,000 points on the chart, beside a bare line graph
// of the same size, and a wheel step on that chart. Prints its figures; run it
// from the build.
#include "app/chart_color_series.h"
#include "app/window_colors.h"
#include "bench_row.h"
#include "window_harness.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTabWidget>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <qcustomplot.h>
#include <random>
#include <string>
#include <vector>

namespace {
struct Stats {
    double median;
    double p95;
    double mean;
};

Stats Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    return {ms[ms.size() / 2], ms[ms.size() * 95 / 100], sum / static_cast<double>(ms.size())};
}

double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void Print(const char* what, const Stats& s, const char* goal = "") {
    std::printf("  %-47s median %7.3f ms  p95 %7.3f ms  mean %7.3f ms %s\n", what, s.median, s.p95,
                s.mean, goal);
}

/// Ticks with the window on the Position page: the tick alone, and the tick
/// together with the chart's redraw and the repaint it queues.
void PositionTicks(bool plotting) {
    WindowHarness h;
    auto box = h.AddBox("/dev/ttyACM0", true);
    box->Encoder().SetSpeedRpm(6, box->NowUs());
    TMainForm& f = h.Start();
    f.show();
    if (!h.Connect()) {
        std::fprintf(stderr, "the simulated encoder was not found\n");
        std::exit(1);
    }
    f.Pages->setCurrentWidget(f.tabEncPos);
    f.tabEncPos->cbPosPlot->setChecked(plotting);
    h.Read(300); // the chart is full: every further tick also drops a point
    QApplication::processEvents();

    constexpr int Ticks = 2000;
    std::vector<double> tick;
    std::vector<double> withPaint;
    for (int i = 0; i < Ticks; ++i) {
        QElapsedTimer t;
        t.start();
        h.Read();
        tick.push_back(Ms(t));
        QApplication::processEvents(); // the queued replot and the window's repaint
        withPaint.push_back(Ms(t));
    }
    std::printf("Position page, multiturn, plotting %s (%d points per series):\n",
                plotting ? "on" : "off", f.tabEncPos->SeriesPosST->Count());
    const Stats tickStats = Summarise(tick);
    const Stats paintStats = Summarise(withPaint);
    Print("reading tick", tickStats, plotting ? "(goal < 1 ms)" : "");
    Print("reading tick + redraw + repaint", paintStats);
    if (plotting) {
        BenchRow("chart_bench", "reading tick, position chart full (median)", tickStats.median, 3,
                 "ms", "< 1");
        BenchRow("chart_bench", "  the same + redraw + repaint (median)", paintStats.median, 3,
                 "ms");
    }
}

/// Fills `add` with `count` points spread over a turn like a shaft turning
/// back and forth would leave them: gaps around 0.8 mm, mostly good status.
void Fill(int count, const std::function<void(double, double, const QColor&)>& add) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> angle(0, 16383);
    std::normal_distribution<double> noise(0.0, 0.005);
    std::uniform_int_distribution<int> status(0, 99);
    for (int i = 0; i < count; ++i) {
        const double deg = angle(rng) * 360.0 / 16384.0;
        const double gap = 0.8 + 0.03 * std::sin(deg * 3.14159265 / 180.0) + noise(rng);
        const int s = status(rng);
        add(deg, gap,
            s < 90   ? WindowColors::Navy
            : s < 97 ? WindowColors::Orange
                     : WindowColors::LightRed);
    }
}

struct RepaintFigures {
    Stats insert;
    Stats replot;
    Stats total;
};

/// One point added, then replot() and grab() of the chart, `rounds` times.
RepaintFigures Repaint(QCustomPlot& chart, const std::function<void(double, double)>& addOne,
                       int rounds) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> angle(0, 16383);
    std::vector<double> insert;
    std::vector<double> replot;
    std::vector<double> total;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        addOne(angle(rng) * 360.0 / 16384.0, 0.8);
        const double inserted = Ms(t);
        chart.replot();
        const QPixmap picture = chart.grab();
        const double all = Ms(t);
        insert.push_back(inserted);
        replot.push_back(all - inserted);
        total.push_back(all);
        if (picture.isNull())
            std::exit(1);
    }
    return {Summarise(insert), Summarise(replot), Summarise(total)};
}

/// Wheel notches at the chart's centre, in and out in turn, each with the
/// redraw QCustomPlot makes at every notch and a grab() of the chart.
Stats WheelSteps(QCustomPlot& chart, int rounds) {
    const QPoint at = chart.axisRect()->center();
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QWheelEvent wheel(at, chart.mapToGlobal(at), QPoint(), QPoint(0, i % 2 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(&chart, &wheel);
        const QPixmap picture = chart.grab();
        ms.push_back(Ms(t));
        if (picture.isNull())
            std::exit(1);
    }
    return Summarise(ms);
}

void AirGap(int points) {
    WindowHarness h;
    h.AddBox();
    TMainForm& f = h.Start();
    f.show();
    if (!h.Connect()) {
        std::fprintf(stderr, "the simulated encoder was not found\n");
        std::exit(1);
    }
    f.Pages->setCurrentWidget(f.tabInstCal);
    f.tabInstCal->cbAirGap->setChecked(true); // fixed axes, as while plotting
    QApplication::processEvents();
    Fill(points,
         [&](double x, double y, const QColor& c) { f.tabInstCal->serSignal->Add(x, y, c); });
    const QSize size = f.tabInstCal->ChartAirGap->size();
    const RepaintFigures coloured = Repaint(
        *f.tabInstCal->ChartAirGap,
        [&](double x, double y) { f.tabInstCal->serSignal->Add(x, y, WindowColors::Navy); }, 100);
    const Stats wheel = WheelSteps(*f.tabInstCal->ChartAirGap, 100);

    // The reference: one bare line graph of the same points, QCustomPlot's
    // defaults (1 px pen, polyline drawing), on a chart of the same size.
    QCustomPlot bare;
    bare.resize(size);
    bare.xAxis->setRange(0, 360);
    bare.yAxis->setRange(0, 10);
    QCPGraph* line = bare.addGraph();
    line->setPen(QPen(Qt::blue));
    Fill(points, [&](double x, double y, const QColor&) { line->addData(x, y); });
    const RepaintFigures plain = Repaint(
        bare, [&](double x, double y) { line->addData(x, y); }, 100);

    std::printf("Air-gap chart, %d points, %dx%d px:\n", points, size.width(), size.height());
    Print("insert (coloured series)", coloured.insert);
    Print("replot + grab (coloured series)", coloured.replot);
    Print("insert + replot + grab (coloured series)", coloured.total, "(goal < 16 ms)");
    Print("insert + replot + grab (bare 1 px line graph)", plain.total);
    Print("wheel step + replot + grab (coloured series)", wheel, "(goal < 16 ms)");
    const std::string count = std::to_string(points);
    BenchRow("chart_bench", ("air-gap point + repaint, " + count + " points (median)").c_str(),
             coloured.total.median, 2, "ms", "< 16");
    BenchRow("chart_bench", ("  anchor: bare line graph, " + count + " points").c_str(),
             plain.total.median, 2, "ms");
    BenchRow("chart_bench", ("wheel step + repaint, " + count + " points (median)").c_str(),
             wheel.median, 2, "ms", "< 16");
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PositionTicks(false);
    PositionTicks(true);
    AirGap(10'000);
    AirGap(100'000);
    return 0;
}
