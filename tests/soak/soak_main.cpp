// soak_driver: the window against k730-sim for a while, with faults, and a
// report. Exits 0 only when every check passed.
//
//   soak_driver [--minutes M] [--seed S] [--single-turn] [--folder DIR]
//               [--attach LINK] [--report-rows] [--sim PATH]
#include "soak_run.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

namespace {

bool ParseOptions(const QStringList& args, SoakOptions& options, QString& error) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& out) {
            if (i + 1 >= args.size()) {
                error = a + QStringLiteral(" needs a value");
                return false;
            }
            out = args[++i];
            return true;
        };
        QString v;
        bool ok = true;
        if (a == QStringLiteral("--minutes")) {
            ok = value(v);
            options.Minutes = ok ? v.toDouble(&ok) : 0;
            ok = ok && options.Minutes > 0;
        } else if (a == QStringLiteral("--seed")) {
            ok = value(v);
            options.Seed = ok ? v.toULongLong(&ok) : 0;
        } else if (a == QStringLiteral("--single-turn")) {
            options.Multiturn = false;
        } else if (a == QStringLiteral("--folder")) {
            ok = value(options.Folder);
        } else if (a == QStringLiteral("--attach")) {
            ok = value(options.AttachLink);
        } else if (a == QStringLiteral("--sim")) {
            ok = value(options.SimProgram);
        } else if (a == QStringLiteral("--report-rows")) {
            options.ReportRows = true;
        } else {
            error = QStringLiteral("unknown argument: ") + a;
            return false;
        }
        if (!ok) {
            if (error.isEmpty())
                error = QStringLiteral("bad value for ") + a;
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);

    SoakOptions options;
    options.SimProgram = QStringLiteral(K730_SIM_PATH);
    QString error;
    if (!ParseOptions(QCoreApplication::arguments(), options, error)) {
        std::fprintf(stderr, "soak_driver: %s\n", qPrintable(error));
        return 2;
    }
    SoakRun run(options);
    if (!run.Start(error)) {
        std::fprintf(stderr, "soak_driver: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&run, &SoakRun::Finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    app.exec();
    return run.Report() ? 0 : 1;
}
