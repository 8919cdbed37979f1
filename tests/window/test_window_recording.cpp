// "Record position to file" against the simulated box: the file byte for byte,
// the duration rule, gaps while the encoder is lost, failures of the file, and
// closing the window during a recording.
#include "app/widgets/spin_edit.h"
#include "window_harness.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

const QByteArray Header = "Time(ms);RX;MT;ST;Error;Warning;\r\n";
const QByteArray Row4096 = ";0x4003AD;0;4096;0;0;\r\n"; // count 4096, no status bits

// A window reading a single-turn encoder at count 4096; recordings go to `dir`.
struct Rig {
    Rig() {
        box = h.AddBox();
        box->Encoder().SetShaftCount(4096, box->NowUs());
        h.recordingFolder = [this] { return dir.path(); };
        form = &h.Start();
        connected = h.Connect();
        form->seCasShranjevanja->setValue(0);
    }
    void ReadAfter(std::int64_t ms) {
        h.clock->AdvanceMs(ms);
        h.Read();
    }
    // The one recording and its bytes.
    QByteArray File(QString* name = nullptr) const {
        const QStringList files = QDir(dir.path()).entryList({QStringLiteral("*.csv")});
        if (files.size() != 1)
            return "recordings: " + QByteArray::number(files.size());
        if (name)
            *name = files.front();
        QFile file(QDir(dir.path()).filePath(files.front()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
    }
    QTemporaryDir dir;
    WindowHarness h;
    std::shared_ptr<K730Sim::K730Box> box;
    TMainForm* form = nullptr;
    bool connected = false;
};

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

class TestWindowRecording : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void nameHeaderAndRowsAreExact() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        rig.box->Encoder().Conditions().WarningBit = true;
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-999);
        f.cbShranjujMeritvePos->setChecked(true);
        QString name;
        QCOMPARE(rig.File(&name), Header);
        const auto stamp =
            QRegularExpression(QStringLiteral("^POSITION_VLR14SPIST16B050_V24017_(\\d{14})\\.csv$"))
                .match(name);
        QVERIFY2(stamp.hasMatch(), qPrintable(name));
        const QDateTime at = QDateTime::fromString(stamp.captured(1), "yyyyMMddHHmmss");
        QVERIFY(at >= before && at <= QDateTime::currentDateTime());
        QCOMPARE(f.mmShranjujIme->toPlainText(),
                 QDir::toNativeSeparators(QDir(rig.dir.path()).absoluteFilePath(name)));
        QCOMPARE(rig.h.EnabledTimers(), QStringLiteral("read"));

        rig.ReadAfter(1540);
        rig.box->Encoder().Conditions() = {};
        rig.box->Encoder().Conditions().ErrorBit = true;
        f.Pages->setCurrentWidget(f.tabEncStatus); // a longer reply: 'd'
        rig.ReadAfter(70);
        const QByteArray rx = f.lblEncPosRawHex->text().toLatin1();
        QCOMPARE(rx.size(), 8);
        f.cbShranjujMeritvePos->setChecked(false);
        rig.ReadAfter(70); // stopped: no row
        QCOMPARE(rig.File(),
                 Header + "1540;0x40023A;0;4096;0;-1;\r\n1610;0x" + rx + ";0;4096;-1;0;\r\n");
        QCOMPARE(f.lblShraniElapsedTimeMs->text(), QStringLiteral("1.61 seconds  FINISHED."));
    }

    void theRowAboveTheDurationIsWrittenThenTheRecordingStops() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        f.cbShranjujMeritvePos->setChecked(true);
        rig.ReadAfter(3000);              // 0: no limit
        f.seCasShranjevanja->setValue(5); // read anew at every row
        rig.ReadAfter(2000);
        rig.ReadAfter(1);
        QVERIFY(!f.cbShranjujMeritvePos->isChecked());
        QCOMPARE(f.lblShraniElapsedTimeMs->text(), QStringLiteral("5.00 seconds  FINISHED."));
        QCOMPARE(rig.h.EnabledTimers(), QStringLiteral("read"));
        QCOMPARE(rig.File(), Header + "3000" + Row4096 + "5000" + Row4096 + "5001" + Row4096);
        QVERIFY(rig.h.boxes->shown.empty());
    }

    void elapsedTimeUsesTheLocaleAndTheCounterWraps() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        f.cbShranjujMeritvePos->setChecked(true);
        rig.ReadAfter(1'234'500);
        QCOMPARE(f.lblShraniElapsedTimeMs->text(), QStringLiteral("1,234.50 seconds"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        rig.ReadAfter(4'294'967'295LL - 1'234'500); // the largest time; 8 digits remain
        QCOMPARE(f.lblShraniElapsedTimeMs->text(), QStringLiteral("4.294.967,30 seconds"));
        rig.ReadAfter(2);
        QVERIFY(rig.File().endsWith("\r\n4294967295" + Row4096 + "1" + Row4096));
    }

    void rowsPauseWhileTheEncoderIsLostAndResumeWithLaterTimes() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        f.cbShranjujMeritvePos->setChecked(true);
        rig.ReadAfter(100);
        rig.box->SetEncoderAttached(false);
        rig.ReadAfter(100);
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("Encoder disconnected!"));
        QVERIFY(f.cbShranjujMeritvePos->isChecked());
        rig.box->SetEncoderAttached(true);
        rig.h.clock->AdvanceMs(5000);
        rig.h.SearchEncoder();
        const std::uint32_t resumed = rig.h.clock->NowUs() / 1000 - f.ShraniStartTick;
        rig.h.Read();
        QVERIFY(resumed >= 5200);
        QCOMPARE(rig.File(), Header + "100" + Row4096 + QByteArray::number(resumed) + Row4096);
    }

    void aStartThatCannotCreateTheFile() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        const QString gone = QDir(rig.dir.path()).filePath(QStringLiteral("gone"));
        rig.h.recordingFolder = [&] { return gone; };
        SetTimerEnabled(f.tmrReadEncoder, false); // the start turns it on regardless
        f.cbShranjujMeritvePos->setChecked(true);
        QCOMPARE(rig.h.boxes->Texts().size(), 1);
        const QString text = rig.h.boxes->Texts().front();
        QVERIFY2(text.contains(f.mmShranjujIme->toPlainText()) && text.contains(Reason(ENOENT)),
                 qPrintable(text));
        QVERIFY(rig.h.LogLines().contains(text));
        QVERIFY(!f.cbShranjujMeritvePos->isChecked());
        QCOMPARE(f.lblShraniElapsedTimeMs->text(), QStringLiteral("Elapsed Time")); // no FINISHED
        QCOMPARE(rig.h.EnabledTimers(), QStringLiteral("read"));

        // A full device: every name the file could get now points at /dev/full.
        if (QFile::exists(QStringLiteral("/dev/full"))) {
            rig.h.recordingFolder = [&] {
                for (int s : {-1, 0, 1})
                    QFile::link("/dev/full",
                                rig.dir.filePath("POSITION_VLR14SPIST16B050_V24017_" +
                                                 QDateTime::currentDateTime().addSecs(s).toString(
                                                     "yyyyMMddHHmmss") +
                                                 ".csv"));
                return rig.dir.path();
            };
            f.cbShranjujMeritvePos->setChecked(true);
            QCOMPARE(rig.h.boxes->Texts().size(), 2);
            QVERIFY(rig.h.boxes->Texts().back().contains(Reason(ENOSPC)));
            QVERIFY(!f.cbShranjujMeritvePos->isChecked());
        }
        rig.h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("90.000 °"));
    }

    void aFailedWriteEndsTheRecordingButNotTheReading() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        f.cbShranjujMeritvePos->setChecked(true);
        rig.ReadAfter(70);
        const QByteArray kept = rig.File();
        {
            // The disk is full from here on; SIGXFSZ would end the process.
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit full = saved;
            full.rlim_cur = static_cast<rlim_t>(kept.size());
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &full);
            rig.ReadAfter(70);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
        }
        QCOMPARE(rig.h.boxes->Texts().size(), 1);
        const QString text = rig.h.boxes->Texts().front();
        QVERIFY2(text.contains(f.mmShranjujIme->toPlainText()) && text.contains(Reason(EFBIG)),
                 qPrintable(text));
        QVERIFY(!f.cbShranjujMeritvePos->isChecked());
        QVERIFY(!f.ShraniFajl.IsOpen());
        QCOMPARE(f.lblShraniElapsedTimeMs->text(), QStringLiteral("0.14 seconds"));
        // The tick that could not record still re-enabled reading, and reads on.
        QCOMPARE(rig.h.EnabledTimers(), QStringLiteral("read"));
        rig.box->Encoder().SetShaftCount(8192, rig.box->NowUs());
        rig.ReadAfter(70);
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("180.000 °"));
        QCOMPARE(rig.File(), kept);
        QCOMPARE(rig.h.boxes->Texts().size(), 1);
    }

    void closingTheWindowLeavesAClosedCompleteFile() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        f.cbShranjujMeritvePos->setChecked(true);
        rig.ReadAfter(70);
        rig.ReadAfter(70);
        QVERIFY(f.close());
        QVERIFY(!f.ShraniFajl.IsOpen());
        QCOMPARE(f.lblShraniElapsedTimeMs->text(), QStringLiteral("0.14 seconds"));
        QCOMPARE(rig.File(), Header + "70" + Row4096 + "140" + Row4096);
    }
};

QTEST_MAIN(TestWindowRecording)
#include "test_window_recording.moc"
