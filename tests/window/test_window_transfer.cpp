// EncoderTransfer and SendEncoderCommands as the window runs them: the lamp,
// the Comms labels, the communication log and the reading timer's state.
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"
#include "scripted_port.h"
#include "window_harness.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QtTest>

class TestWindowTransfer : public QObject {
    Q_OBJECT
private slots:
    void lampBlinksOnEveryTransferFailedOnesIncluded() {
        WindowHarness h;
        h.AddBox();
        TMainForm& f = h.Start();
        h.SearchInterface();
        QCOMPARE(f.pnlCommActive->Color(), WindowColors::DarkGreen);
        unsigned char c = 0;
        f.EncoderTransfer(c);
        QCOMPARE(f.pnlCommActive->Color(), WindowColors::Lime);
        f.EncoderTransfer(c);
        QCOMPARE(f.pnlCommActive->Color(), WindowColors::Green);
        f.K730_H.reset(); // no port: the exchange fails at once
        f.EncoderTransfer(c);
        QCOMPARE(f.pnlCommActive->Color(), WindowColors::Lime);
        QCOMPARE(EncoderPosition.ErrComm, -3);
    }

    void commsLabelsAndLogFollowTheExchange() {
        WindowHarness h;
        TMainForm& f = h.Start();
        f.K730_H = std::make_unique<ScriptedPort>(
            std::map<std::string, std::string>{{"?03:000", "40 03 ad\r\n"}});
        f.cbLogComm->setChecked(true);
        unsigned char c = 0;
        f.EncoderTransfer(c);
        QCOMPARE(f.lblCmd->text(), QStringLiteral("?03:000"));
        QCOMPARE(f.lblData->text(), QStringLiteral("4003AD"));
        QCOMPARE(f.lblEncPosRawHex->text(), QStringLiteral("4003AD"));
        QCOMPARE(f.lblEncPosRawDecoded->text(),
                 QStringLiteral("Singleturn: 4096\r\nError: False\r\nWarning: False"));
        QCOMPARE(h.LogLines(), QStringList{"CMD:\t?03:000\tRX:\t4003AD"});

        // A failed exchange updates lblCmd only, and logs nothing.
        c = 'd';
        f.EncoderTransfer(c);
        QCOMPARE(EncoderPosition.ErrComm, -1);
        QCOMPARE(f.lblCmd->text(), QStringLiteral("?04:100"));
        QCOMPARE(f.lblData->text(), QStringLiteral("4003AD"));
        QCOMPARE(h.LogLines().size(), 1);
    }

    void aFailedCheckKeepsTheDecodedTextButClearsTheBits() {
        WindowHarness h;
        TMainForm& f = h.Start();
        f.K730_H = std::make_unique<ScriptedPort>(
            std::map<std::string, std::string>{{"?03:000", "4003AD\r"}, {"?03:001", "4003AE\r"}});
        unsigned char c = 0;
        f.EncoderTransfer(c);
        const QString decoded = f.lblEncPosRawDecoded->text();
        c = 1;
        f.EncoderTransfer(c);
        QVERIFY(EncoderPosition.ErrCRC);
        QCOMPARE(f.lblEncPosRawHex->text(), QStringLiteral("4003AE"));
        QVERIFY(f.lblEncPosRawBin->text().isEmpty());
        QCOMPARE(f.lblEncPosRawDecoded->text(), decoded);
    }

    void sendingNothingChangesNothing() {
        WindowHarness h;
        TMainForm& f = h.Start();
        QVERIFY(f.SendEncoderCommands(""));
        QCOMPARE(f.lblCmd->text(), QStringLiteral("lblCmd"));
        QVERIFY(!f.tmrReadEncoder->isActive());
        f.tmrReadEncoder->start();
        QVERIFY(f.SendEncoderCommands(""));
        QVERIFY(f.tmrReadEncoder->isActive());
        QVERIFY(h.sleeps.empty());
    }

    void aSequenceStopsAtTheFirstFailureAndSaysSo() {
        WindowHarness h;
        auto box = h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        QVERIFY(f.SendEncoderCommands(std::string("\x01\x02", 2)));
        QCOMPARE(h.sleeps.size() >= 2, true);
        const std::size_t sleepsBefore = h.sleeps.size();
        box->SetEncoderAttached(false);
        QVERIFY(!f.SendEncoderCommands(std::string("\x01\x02\x03", 3)));
        QCOMPARE(h.sleeps.size(), sleepsBefore); // stopped at the first byte
        QCOMPARE(f.lblCmd->text(), QStringLiteral("?03:001"));
        QCOMPARE(h.boxes->Texts(), QStringList{"Error sending command to the encoder!"});
        QCOMPARE(h.LogLines().last(), QStringLiteral("Error sending command to the encoder!"));
        QVERIFY(f.tmrReadEncoder->isActive()); // left as it was found
    }
};

QTEST_MAIN(TestWindowTransfer)
#include "test_window_transfer.moc"
