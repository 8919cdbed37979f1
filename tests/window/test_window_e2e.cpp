// The real program (its engine on its own thread, the port listing, the tty
// opener, the event loop) against a k730-sim process on a pseudo-terminal:
// found, read, unplugged, found again.
#include "window_harness.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestWindowEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void findsReadsLosesAndFindsTheBoxAgain() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath(QStringLiteral("k730"));
        QProcess sim;
        sim.start(QStringLiteral(K730_SIM_PATH),
                  {QStringLiteral("--link"), link, QStringLiteral("--speed"), QStringLiteral("3"),
                   QStringLiteral("--multiturn")});
        QVERIFY(sim.waitForStarted());
        QVERIFY(sim.waitForReadyRead(5000));
        QVERIFY(sim.readLine().startsWith("/dev/pts/"));
        QTRY_VERIFY(QFileInfo(link).isSymLink());

        qputenv("TESSORAN_PORTS", link.toLocal8Bit());
        MainFormEnvironment env = MainFormEnvironment::System();
        auto boxes = std::make_shared<RecordingBoxes>();
        env.Boxes = boxes;
        TMainForm form(env);
        Engine::EngineThread engine(Engine::Environment::System(), env.Channel);
        auto log = [&] { return form.tabSysCfg->mmLog->toPlainText(); };

        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("Encoder found.")), 15000);
        QVERIFY(log().contains(QStringLiteral("Interface found on ") + link));
        QTRY_VERIFY_WITH_TIMEOUT(form.band->lblPosUnit->text().endsWith(QStringLiteral(" °")),
                                 5000);
        QTRY_VERIFY(form.tabEncIdent->lblEncAdditional->text() ==
                    QStringLiteral("Multiturn: True"));
        QVERIFY(boxes->shown.empty());

        sim.write("unplug\n");
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("Interface disconnected!")), 5000);
        QVERIFY(!log().contains(QStringLiteral("Encoder disconnected!")));
        QTRY_COMPARE_WITH_TIMEOUT(form.band->lblPosUnit->text(),
                                  QStringLiteral("Searching for interface..."), 5000);

        sim.write("plug\n");
        QTRY_VERIFY_WITH_TIMEOUT(log().count(QStringLiteral("Encoder found.")) == 2, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(form.band->lblPosUnit->text().endsWith(QStringLiteral(" °")),
                                 5000);

        sim.write("quit\n");
        QVERIFY(sim.waitForFinished(5000));
    }
};

QTEST_MAIN(TestWindowEndToEnd)
#include "test_window_e2e.moc"
