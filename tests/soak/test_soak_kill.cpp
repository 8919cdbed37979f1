// A recording killed with SIGKILL mid-run keeps every row the program had
// written: the window runs in a child process (soak_driver against a k730-sim
// this test owns) that reports each row as soon as the tick has written it.
#include "recording_audit.h"
#include "sim_link.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Reported {
    QString path;
    std::vector<Soak::ExpectedRow> rows;
};

// "recording PATH" and "row N RX MT ST E W" lines; anything else is ignored.
void TakeLines(QProcess& child, QByteArray& buffer, Reported& out) {
    buffer += child.readAllStandardOutput();
    qsizetype end;
    while ((end = buffer.indexOf('\n')) >= 0) {
        const QByteArray line = buffer.left(end);
        buffer.remove(0, end + 1);
        const QList<QByteArray> w = line.split(' ');
        if (w.size() == 2 && w[0] == "recording")
            out.path = QString::fromLocal8Bit(w[1]);
        if (w.size() == 7 && w[0] == "row") {
            QCOMPARE(w[1].toULongLong(),
                     static_cast<qulonglong>(out.rows.size() + 1)); // none skipped in the report
            out.rows.push_back(
                {w[2].toStdString(), w[3].toInt(), w[4].toUInt(), w[5] == "-1", w[6] == "-1"});
        }
    }
}

} // namespace

class TestSoakKill : public QObject {
    Q_OBJECT
private slots:
    void killedMidRecordingKeepsEveryReportedRow() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath(QStringLiteral("k730"));
        SimLink sim;
        QString error;
        QVERIFY2(sim.Start(QStringLiteral(K730_SIM_PATH), link,
                           {QStringLiteral("--speed"), QStringLiteral("30"),
                            QStringLiteral("--multiturn")},
                           dir.filePath(QStringLiteral("sim.err")), error),
                 qPrintable(error));

        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.setStandardErrorFile(dir.filePath(QStringLiteral("driver.err")));
        child.start(QStringLiteral(SOAK_DRIVER_PATH),
                    {QStringLiteral("--attach"), link, QStringLiteral("--folder"),
                     dir.filePath(QStringLiteral("rec")), QStringLiteral("--report-rows"),
                     QStringLiteral("--minutes"), QStringLiteral("10")});
        QVERIFY(child.waitForStarted());

        // A few seconds of rows, then the kill wherever the tick happens to be.
        Reported reported;
        QByteArray buffer;
        QElapsedTimer sinceFirstRow;
        QElapsedTimer total;
        total.start();
        while (total.elapsed() < 60000) {
            child.waitForReadyRead(200);
            TakeLines(child, buffer, reported);
            if (QTest::currentTestFailed())
                return;
            if (!reported.rows.empty() && !sinceFirstRow.isValid())
                sinceFirstRow.start();
            if (sinceFirstRow.isValid() && sinceFirstRow.elapsed() > 3000 &&
                reported.rows.size() >= 20)
                break;
            QVERIFY2(child.state() == QProcess::Running, "the window stopped by itself");
        }
        QVERIFY2(reported.rows.size() >= 20, "the window did not record within a minute");
        child.kill(); // SIGKILL: no handler, no flush, no close
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        TakeLines(child, buffer, reported); // rows reported just before the kill
        if (QTest::currentTestFailed())
            return;

        // Every reported row is in the file, whole, in order, with what was shown.
        const Soak::FileAudit audit =
            Soak::AuditRecordingFile(reported.path.toStdString(), true, true);
        QVERIFY2(audit.Ok, audit.Error.c_str());
        QVERIFY2(audit.Rows >= reported.rows.size(),
                 qPrintable(QStringLiteral("%1 rows in the file, %2 reported written")
                                .arg(audit.Rows)
                                .arg(reported.rows.size())));
        // At most the row of the tick that was cut off before it could report.
        QVERIFY(audit.Rows <= reported.rows.size() + 1);

        Soak::LineFollower follower(reported.path.toStdString());
        std::vector<std::string> lines;
        std::string readError;
        QVERIFY2(follower.Poll(lines, readError), readError.c_str());
        QVERIFY(lines.size() >= reported.rows.size() + 1);
        for (std::size_t i = 0; i < reported.rows.size(); ++i) {
            std::string line = lines[i + 1];
            line.pop_back(); // CR
            std::string why;
            const auto row = Soak::ParseCsvRow(line, why);
            QVERIFY2(row, why.c_str());
            const std::string diff = Soak::CompareRow(*row, reported.rows[i]);
            QVERIFY2(diff.empty(), ("row " + std::to_string(i + 1) + ": " + diff).c_str());
        }
        sim.Stop();
    }
};

QTEST_GUILESS_MAIN(TestSoakKill)
#include "test_soak_kill.moc"
