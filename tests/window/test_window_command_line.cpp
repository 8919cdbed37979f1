// The window program's command line, as a user or a desktop gives it.
#include "app/command_line.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestWindowCommandLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("tessoran")); }

    void aFileIsTheRecordingToReview() {
        const WindowCommandLine line = ParseWindowCommandLine(
            {QStringLiteral("tessoran"), QStringLiteral("/data/POSITION_1.csv")});
        QVERIFY(!line.ExitCode);
        QCOMPARE(line.Recording, QStringLiteral("/data/POSITION_1.csv"));
        QVERIFY(ParseWindowCommandLine({QStringLiteral("tessoran")}).Recording.isEmpty());
    }

    void answersAndRefusalsEndTheProgram_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("firstLine"); // of standard output for 0, else of standard error
        QTest::newRow("help") << QStringList{"--help"} << 0
                              << "Usage: tessoran [options] [FILE.csv]";
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "tessoran " TESSORAN_VERSION_TEXT;
        QTest::newRow("unknown") << QStringList{"--bogus", "a.csv"} << 64
                                 << "tessoran: Unknown option 'bogus'.";
        QTest::newRow("two files")
            << QStringList{"a.csv", "b.csv"} << 64 << "tessoran: one recording at a time";
    }
    void answersAndRefusalsEndTheProgram() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, firstLine);
        QProcess program;
        // Else the platform warns on standard error that there is none.
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TESSORAN_PATH), arguments);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), code);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        const QString& shown = code == 0 ? out : err;
        // The usage names the program as it was started.
        QCOMPARE(shown.section(QLatin1Char('\n'), 0, 0)
                     .replace(QStringLiteral(TESSORAN_PATH), QStringLiteral("tessoran")),
                 firstLine);
        QVERIFY((code == 0 ? err : out).isEmpty());
        // A refusal says how it is used.
        if (code != 0)
            QVERIFY(err.contains(QStringLiteral("Usage: " TESSORAN_PATH " [options] [FILE.csv]")));
    }
};

QTEST_MAIN(TestWindowCommandLine)
#include "test_window_command_line.moc"
