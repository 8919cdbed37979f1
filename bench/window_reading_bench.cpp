// Readings per second of the real program (engine thread and window) against a
// k730-sim process over a pseudo-terminal, at the default 70 ms interval and
// at 1 ms, every one of them drawn by the window, and the program's CPU use;
// then at 1 ms again while every reading is recorded (rows pushed through to
// the disk once a second).
// Prints its figures; run it from the build.
#include "app/Velor_SPI_Main.h"
#include "app/pages/encoder_config_page.h"
#include "app/pages/encoder_identification_page.h"
#include "app/pages/installation_page.h"
#include "app/pages/position_page.h"
#include "app/pages/status_page.h"
#include "app/pages/system_config_page.h"
#include "app/top_band.h"
#include "app/widgets/spin_edit.h"
#include "bench_row.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {
class SilentBoxes final : public MessageBoxes {
public:
    void Show(QWidget*, Kind, const QString& text) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
};

double CpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `ms` without adding any work of its own.
void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    double readingsPerSecond;
    double cpuPercent;
};

Figures Measure(TMainForm& form, int& ticks, int intervalMs, int seconds) {
    form.tabSysCfg->seEncoderReadInterval->setValue(intervalMs);
    Spin(500); // settle at the new interval
    const int startTicks = ticks;
    const double startCpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Spin(seconds * 1000);
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    return {(ticks - startTicks) / elapsed, 100.0 * (CpuSeconds() - startCpu) / elapsed};
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("k730"));
    QProcess sim;
    sim.start(QStringLiteral(K730_SIM_PATH),
              {QStringLiteral("--link"), link, QStringLiteral("--speed"), QStringLiteral("6")});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "k730-sim did not start\n");
        return 1;
    }
    qputenv("TESSORAN_PORTS", link.toLocal8Bit());

    MainFormEnvironment env = MainFormEnvironment::System();
    env.Boxes = std::make_shared<SilentBoxes>();
    env.RecordingFolder = [&dir] { return dir.path(); };
    TMainForm form(env);
    Engine::EngineThread engine(Engine::Environment::System(), env.Channel);
    int ticks = 0;
    QObject::connect(&form, &TMainForm::reportRendered, [&](const Engine::Report& r) {
        ticks += std::holds_alternative<Engine::Reading>(r) ? 1 : 0;
    });

    QElapsedTimer found;
    found.start();
    while (ticks == 0 && found.elapsed() < 15000)
        Spin(50);
    if (ticks == 0) {
        std::fprintf(stderr, "the encoder was not found\n");
        return 1;
    }
    std::printf("encoder found and read after %lld ms\n", static_cast<long long>(found.elapsed()));

    const Figures at70 = Measure(form, ticks, 70, seconds);
    const Figures at1 = Measure(form, ticks, 1, seconds);
    form.tabEncPos->cbShranjujMeritvePos->setChecked(true);
    const Figures recording = Measure(form, ticks, 1, seconds);
    form.tabEncPos->cbShranjujMeritvePos->setChecked(false);
    std::printf("interval 70 ms: %.1f readings/s (goal >= 13), CPU %.2f %% of one core "
                "(goal <= 0.55 %%)\n",
                at70.readingsPerSecond, at70.cpuPercent);
    std::printf("interval  1 ms: %.1f readings/s (goal >= 900), period %.3f ms, CPU %.1f %%\n",
                at1.readingsPerSecond, 1000.0 / at1.readingsPerSecond, at1.cpuPercent);
    std::printf("interval  1 ms, recording: %.1f readings/s (goal >= 900), CPU %.1f %%\n",
                recording.readingsPerSecond, recording.cpuPercent);
    const char* bench = "window_reading_bench";
    BenchRow(bench, "readings drawn, interval 70 ms", at70.readingsPerSecond, 1, "/s", ">= 13");
    BenchRow(bench, "  program CPU, interval 70 ms", at70.cpuPercent, 2, "% core", "<= 0.55");
    BenchRow(bench, "readings drawn, interval 1 ms", at1.readingsPerSecond, 1, "/s", ">= 900");
    BenchRow(bench, "  program CPU, interval 1 ms", at1.cpuPercent, 1, "% core");
    BenchRow(bench, "readings drawn, 1 ms, recording", recording.readingsPerSecond, 1, "/s",
             ">= 900");
    sim.write("quit\n");
    sim.waitForFinished(3000);
    const bool ok = at70.readingsPerSecond >= 13 && at70.cpuPercent <= 0.55 &&
                    at1.readingsPerSecond >= 900 && recording.readingsPerSecond >= 900;
    return ok ? 0 : 2;
}
