#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMessageBox>
#include <cstdio>

namespace {
constexpr int ExitUsage = 64;
} // namespace

WindowCommandLine ParseWindowCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Diagnostics for Velor SPI encoders read through a K730-6W interface box."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A position recording to open for review."),
                                 QStringLiteral("[FILE.csv]"));
    WindowCommandLine line;
    const QString name = QCoreApplication::applicationName();
    if (!parser.parse(arguments)) {
        line.ExitCode = ExitUsage;
        line.Text = name + QStringLiteral(": ") + parser.errorText() + QLatin1Char('\n') +
                    parser.helpText();
    } else if (parser.isSet(help)) {
        line.ExitCode = 0;
        line.Text = parser.helpText();
    } else if (parser.isSet(version)) {
        line.ExitCode = 0;
        line.Text =
            name + QLatin1Char(' ') + QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else if (parser.positionalArguments().size() > 1) {
        line.ExitCode = ExitUsage;
        line.Text = name + QStringLiteral(": one recording at a time\n") + parser.helpText();
    } else if (!parser.positionalArguments().isEmpty()) {
        line.Recording = parser.positionalArguments().constFirst();
    }
    return line;
}

void ShowCommandLineText(const WindowCommandLine& line) {
    const bool failed = line.ExitCode.value_or(0) != 0;
#ifdef Q_OS_WIN
    QMessageBox box(failed ? QMessageBox::Warning : QMessageBox::Information,
                    QCoreApplication::applicationName(), line.Text.trimmed());
    box.exec();
#else
    std::fputs(line.Text.toLocal8Bit().constData(), failed ? stderr : stdout);
#endif
}
