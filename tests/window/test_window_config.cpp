// The configuration buttons against the simulated encoder: the frames that
// reach the box, what the encoder makes of them, and "Set zero here" end to end.
#include "app/widgets/spin_edit.h"
#include "window_harness.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QtTest>

namespace {

// Passes everything through to the box's port and keeps the frames written.
class TapPort final : public Serial_driver::SerialPort {
public:
    TapPort(std::unique_ptr<Serial_driver::SerialPort> inner, QStringList& frames)
        : inner_(std::move(inner)), frames_(frames) {}
    int Write(std::string_view bytes) override {
        frames_ << QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        return inner_->Write(bytes);
    }
    int BytesWaiting() override { return inner_->BytesWaiting(); }
    int Read(std::size_t count, std::string& out) override { return inner_->Read(count, out); }
    Serial_driver::WaitResult WaitReadable(int ms) override { return inner_->WaitReadable(ms); }
    std::int64_t NowMs() override { return inner_->NowMs(); }
    bool SaveSettings() override { return inner_->SaveSettings(); }
    bool ApplySettings() override { return inner_->ApplySettings(); }
    bool RestoreSettings() override { return inner_->RestoreSettings(); }

private:
    std::unique_ptr<Serial_driver::SerialPort> inner_;
    QStringList& frames_;
};

// A reading window whose port writes are tapped from here on.
struct Rig {
    explicit Rig(bool multiturn = false, std::int64_t shaft = 0) {
        box = h.AddBox("/dev/ttyACM0", multiturn);
        box->Encoder().SetShaftCount(shaft, box->NowUs());
        form = &h.Start();
        connected = h.Connect();
        form->K730_H = std::make_unique<TapPort>(std::move(form->K730_H), frames);
    }
    QStringList Take() {
        h.sleeps.clear();
        return std::exchange(frames, {});
    }
    WindowHarness h;
    std::shared_ptr<K730Sim::K730Box> box;
    TMainForm* form = nullptr;
    bool connected = false;
    QStringList frames;
};

// Each byte as a single-turn position request, after the unlock prefix.
QStringList Command(std::initializer_list<int> bytes) {
    QStringList out;
    for (int b : {0x5E, 0x1B, 0xA7, 0x62})
        out << QStringLiteral("?03:%1").arg(b, 3, 10, QLatin1Char('0'));
    for (int b : bytes)
        out << QStringLiteral("?03:%1").arg(b, 3, 10, QLatin1Char('0'));
    return out;
}

} // namespace

class TestWindowConfig : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void commandsWithoutAValue() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        const std::pair<QPushButton*, int> buttons[] = {
            {f.btnFactoryReset, 'r'}, {f.btnSaveParams, 'c'}, {f.btnStartSelfCal, 'A'}};
        for (auto [button, letter] : buttons) {
            rig.Take();
            button->click();
            QCOMPARE(rig.frames, Command({letter}));
            QCOMPARE(rig.h.sleeps, std::vector<int>(5, 50)); // after every byte, the last too
        }
        QCOMPARE(rig.box->Encoder().ConfigCommandsDone(), 3u);
        QVERIFY(rig.h.boxes->shown.empty());
        QCOMPARE(rig.h.EnabledTimers(), QStringLiteral("read")); // left as found
    }

    void valueFieldsCarryTheLowSixteenBits_data() {
        QTest::addColumn<bool>("preset"); // the multiturn field, else the zero offset
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("offset 300") << false << 300 << Command({0x5A, 0, 0, 0x01, 0x2C});
        QTest::newRow("turns -1") << true << -1 << Command({0x4D, 0, 0, 0xFF, 0xFF});
        QTest::newRow("turns 32768") << true << 32768 << Command({0x4D, 0, 0, 0x80, 0});
        QTest::newRow("turns -32768") << true << -32768 << Command({0x4D, 0, 0, 0x80, 0});
        // The last byte is the letter 'a': it travels as a signal-level read.
        QStringList a = Command({0x5A, 0, 0, 0});
        QTest::newRow("offset 97") << false << 97 << (a << QStringLiteral("?05:097"));
    }
    void valueFieldsCarryTheLowSixteenBits() {
        QFETCH(bool, preset);
        QFETCH(int, value);
        QFETCH(QStringList, frames);
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        (preset ? f.seSetMultiturn : f.seSetZero)->setValue(value);
        (preset ? f.btnSetMultiturn : f.btnSetZeroOffset)->click();
        QCOMPARE(rig.frames, frames);
        QVERIFY(rig.h.boxes->shown.empty()); // every reply, the longer one too, passed
        if (!preset)
            QCOMPARE(rig.box->Encoder().ZeroOffset(), value);
    }

    void textThatIsNoNumberSendsTheMinimum() {
        Rig rig;
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        f.seSetZero->setValue(300);
        f.seSetZero->findChild<QLineEdit*>()->setText(QStringLiteral("abc"));
        f.btnSetZeroOffset->click();
        f.seSetMultiturn->findChild<QLineEdit*>()->setText(QStringLiteral("-"));
        f.btnSetMultiturn->click();
        QCOMPARE(rig.frames, Command({0x5A, 0, 0, 0, 0}) + Command({0x4D, 0, 0, 0x80, 0}));
    }

    void setZeroHereOnASingleTurnEncoder() {
        Rig rig(false, 16384 + 5000);
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        f.seSetZero->setValue(1234); // an old offset, to be cleared before the read
        f.btnSetZeroOffset->click();
        f.seSetMultiturn->setValue(9);
        rig.Take();
        SetTimerEnabled(f.tmrReadEncoder, false);

        f.btnTarvinSetZero->click();
        QCOMPARE(f.lblSetZeroStatus->text(),
                 QStringLiteral("Encoder pos: 5000 set as a zero position."));
        QCOMPARE(f.seSetZero->value(), 5000);
        QCOMPARE(f.seSetMultiturn->value(), 0);
        // Offset 0, one reading, offset 5000 (0x1388), save; no 'M' on a single-turn.
        QCOMPARE(rig.frames, Command({0x5A, 0, 0, 0, 0}) + QStringList{"?03:000"} +
                                 Command({0x5A, 0, 0, 0x13, 0x88}) + Command({'c'}));
        std::vector<int> waits(9, 50);
        waits.push_back(100);
        waits.insert(waits.end(), 9, 50);
        waits.push_back(100);
        waits.insert(waits.end(), 5, 50);
        waits.push_back(300);
        QCOMPARE(rig.h.sleeps, waits);
        QCOMPARE(rig.h.EnabledTimers(), QStringLiteral("read"));

        rig.h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("0.000 °"));
        rig.box->PowerCycleEncoder(); // the saved zero comes back with the power
        rig.h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("0.000 °"));
    }

    void setZeroHereOnAMultiturnEncoder() {
        Rig rig(true, 3 * 16384 + 5000);
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        f.btnTarvinSetZero->click();
        QCOMPARE(f.lblSetZeroStatus->text(),
                 QStringLiteral("Encoder pos: 5000 set as a zero position."));
        // M 0, Z 0, the read, Z 5000, save, M 0 again after the save.
        QStringList letters;
        for (int i : {4, 13, 18, 23, 32, 37})
            letters << rig.frames.value(i);
        QCOMPARE(rig.frames.size(), 42);
        QCOMPARE(letters,
                 (QStringList{"?05:077", "?05:090", "?05:000", "?05:090", "?05:099", "?05:077"}));
        rig.h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("0.000 °"));
        rig.box->PowerCycleEncoder();
        rig.h.Read();
        QCOMPARE(EncoderPosition.MT_value, 0);
        QCOMPARE(EncoderPosition.ST_value, 0u);
    }

    void setZeroHereRefusesWhileTheErrorBitIsSet() {
        Rig rig(false, 5000);
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        rig.box->Encoder().Conditions().ErrorBit = true;
        rig.h.Read();
        f.seSetZero->setValue(123);
        f.seSetMultiturn->setValue(7);
        rig.Take();
        f.btnTarvinSetZero->click();
        QCOMPARE(rig.h.boxes->Texts(),
                 QStringList{QStringLiteral("Unable to set zero position. Error bit is set.")});
        QVERIFY(rig.frames.isEmpty());
        QCOMPARE(f.seSetZero->value(), 123);
        QCOMPARE(f.seSetMultiturn->value(), 7);
        QCOMPARE(f.lblSetZeroStatus->text(), QStringLiteral("...Function in progress..."));
    }

    void aMissingEncoderStopsACommandAndSetZeroHere() {
        Rig rig(false, 5000);
        QVERIFY(rig.connected);
        TMainForm& f = *rig.form;
        rig.box->SetEncoderAttached(false);
        SetTimerEnabled(f.tmrReadEncoder, false);
        f.btnSaveParams->click();
        QCOMPARE(rig.Take().size(), 1); // the rest of the command is not sent
        const QString error = QStringLiteral("Error sending command to the encoder!");
        QCOMPARE(rig.h.boxes->Texts(), QStringList{error});
        QCOMPARE(rig.h.LogLines().last(), error);
        QCOMPARE(rig.h.EnabledTimers(), QString()); // as it was found

        // A zero taken under the old offset must not be set and saved.
        f.btnTarvinSetZero->click();
        QCOMPARE(rig.Take().size(), 1);
        QCOMPARE(rig.h.boxes->Texts(), (QStringList{error, error}));
        QVERIFY(!f.lblSetZeroStatus->text().contains(QStringLiteral("set as a zero")));
        QCOMPARE(rig.h.EnabledTimers(), QStringLiteral("read"));
        QCOMPARE(rig.box->Encoder().Stored(), K730Sim::StoredSettings{});
    }
};

QTEST_MAIN(TestWindowConfig)
#include "test_window_config.moc"
