// Pictures of the Position page with a running trace, of its chart zoomed in
// with the tooltip of a warning point, of the Installation page with an
// air-gap curve and of System Config after a link test over a long cable, from
// the real window reading a k730-sim process. Run it under Xvfb from the build:
//   xvfb-run -a -s "-screen 0 1068x652x24" bench/screenshot_pages pos.png explore.png
//       inst.png link.png   (one line)
#include "app/Velor_SPI_Main.h"
#include "app/chart_color_series.h"
#include "app/limits_panel.h"
#include "app/pages/encoder_config_page.h"
#include "app/pages/encoder_identification_page.h"
#include "app/pages/installation_page.h"
#include "app/pages/link_test_group.h"
#include "app/pages/position_page.h"
#include "app/pages/status_page.h"
#include "app/pages/system_config_page.h"
#include "app/top_band.h"
#include "app/widgets/spin_edit.h"
#include "app/window_colors.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <qcustomplot.h>

namespace {
class LoggedBoxes final : public MessageBoxes {
public:
    void Show(QWidget*, Kind, const QString& text) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
};

void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Tell(QProcess& sim, const char* line) {
    sim.write(line);
    sim.write("\n");
    sim.waitForBytesWritten(1000);
}

bool Save(const QPixmap& picture, const QString& path) {
    const bool ok = picture.save(path, "PNG");
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

bool Save(QWidget& window, const QString& path) {
    return Save(window.grab(), path);
}

/// Zooms the position chart in about its first warning point and points at
/// it; the picture is of the screen, where the tooltip is a window of its own.
bool SaveExplored(TMainForm& form, const QString& path) {
    QCustomPlot& chart = *form.tabEncPos->chartPosition;
    const ColorPointSeries& angles = *form.tabEncPos->SeriesPosST;
    int warned = 0;
    while (warned < angles.Count() && angles.ColorAt(warned) != WindowColors::Orange)
        ++warned;
    if (warned + 4 >= angles.Count() || angles.ColorAt(warned + 4) != WindowColors::Orange)
        return false;
    const QCPGraphData point = *(angles.Points().constBegin() + warned + 4); // amid the run
    const auto pixel = [&] { return angles.Line()->coordsToPixels(point.key, point.value); };
    for (int notch = 0; notch < 3; ++notch) {
        const QPointF at = pixel();
        QWheelEvent wheel(at, chart.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &wheel);
    }
    Spin(300);
    QCursor::setPos(chart.mapToGlobal((pixel() + QPointF(2, 1)).toPoint()));
    Spin(2500); // readings go on meanwhile; the chart holds still
    return Save(form.screen()->grabWindow(0, form.x(), form.y(), form.width(), form.height()),
                path);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: screenshot_pages POSITION.png EXPLORE.png INSTALLATION.png "
                             "LINKTEST.png\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("k730"));
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(K730_SIM_PATH),
              {QStringLiteral("--link"), link, QStringLiteral("--multiturn"),
               QStringLiteral("--speed"), QStringLiteral("6"), QStringLiteral("--position"),
               QStringLiteral("10000")});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "k730-sim did not start\n");
        return 1;
    }
    qputenv("TESSORAN_PORTS", link.toLocal8Bit());

    MainFormEnvironment env = MainFormEnvironment::System();
    env.Boxes = std::make_shared<LoggedBoxes>();
    TMainForm form(env);
    Engine::EngineThread engine(Engine::Environment::System(), env.Channel);
    bool reading = false;
    QObject::connect(&form, &TMainForm::reportRendered, [&](const Engine::Report& r) {
        reading = reading || std::holds_alternative<Engine::Reading>(r);
    });
    form.move(0, 0);
    form.show();
    QElapsedTimer waited;
    waited.start();
    while (!reading && waited.elapsed() < 20000)
        Spin(100);
    if (!reading) {
        std::fprintf(stderr, "the encoder was not found\n");
        return 1;
    }

    // Position: a full window of samples, with a warning and an error on the way.
    form.Pages->setCurrentWidget(form.tabEncPos);
    form.tabEncPos->cbPosPlot->setChecked(true);
    Spin(6000);
    Tell(sim, "warning on");
    Spin(1500);
    Tell(sim, "warning off");
    Spin(4000);
    Tell(sim, "error on");
    Spin(800);
    Tell(sim, "error off");
    while (form.tabEncPos->ChartTime < 280 && waited.elapsed() < 90000)
        Spin(200);
    const bool position = Save(form, QString::fromLocal8Bit(argv[1]));
    const bool explored = SaveExplored(form, QString::fromLocal8Bit(argv[2]));

    // Installation: an eccentric magnet, read every 20 ms, over a little more
    // than a turn against limits it meets; a warning for a moment shows the
    // colours there too.
    Tell(sim, "gap 1.6");
    Tell(sim, "wobble 0.6");
    Tell(sim, "speed 4");
    form.tabSysCfg->seEncoderReadInterval->setValue(20);
    form.Pages->setCurrentWidget(form.tabInstCal);
    form.tabInstCal->grpLimits->edGapMinMm->setText(QStringLiteral("0.8"));
    form.tabInstCal->grpLimits->edGapMaxMm->setText(QStringLiteral("2.5"));
    form.tabInstCal->grpLimits->edSignalMin->setText(QStringLiteral("5000"));
    form.tabInstCal->grpLimits->edMaxErrors->setText(QStringLiteral("0"));
    form.tabInstCal->grpLimits->edRunoutMaxMm->setText(QStringLiteral("1.5"));
    form.tabInstCal->cbAirGap->setChecked(true);
    Spin(9000);
    Tell(sim, "warning on");
    Spin(1200);
    Tell(sim, "warning off");
    Spin(7000);
    const bool installation = Save(form, QString::fromLocal8Bit(argv[3]));

    // A 20 m cable: the fast clocks break replies.
    Tell(sim, "cable 20");
    form.Pages->setCurrentWidget(form.tabSysCfg);
    form.tabSysCfg->grpLinkTest->btnLinkTest->click();
    while (!form.tabSysCfg->LastLinkTest() && waited.elapsed() < 150000)
        Spin(200);
    Spin(300);
    const bool linkTest =
        form.tabSysCfg->LastLinkTest() && Save(form, QString::fromLocal8Bit(argv[4]));

    Tell(sim, "quit");
    sim.waitForFinished(3000);
    return position && explored && installation && linkTest ? 0 : 1;
}
