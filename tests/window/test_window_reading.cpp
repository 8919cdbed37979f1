// The encoder search and the reading cycle against the simulated box.
#include "app/widgets/lamp_panel.h"
#include "app/window_colors.h"
#include "window_harness.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

class TestWindowReading : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void singleTurnEncoderIsFoundAndIdentified() {
        WindowHarness h;
        auto box = h.AddBox();
        box->Encoder().SetShaftCount(4096, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        QVERIFY(h.LogLines().contains(QStringLiteral("Encoder found.")));
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("Encoder found."));
        QCOMPARE(f.lblEncAdditional->text(), QStringLiteral("Multiturn: False"));
        QCOMPARE(f.lblEncSerial->text(), QStringLiteral("Serial number: V24017"));
        QCOMPARE(f.lblEncPartNumber->text(), QStringLiteral("Part number: VLR14SPIST16B050"));
        QCOMPARE(f.lblEncFirmware->text(), QStringLiteral("Firmware version: 2.1.4.1187"));
        QCOMPARE(f.cbbMagnetSize->currentText(), QStringLiteral("16"));
        QCOMPARE(EncoderSignature.RingMagnetSize, 16);
        QVERIFY(!f.grpAirGap->isHidden());
        QVERIFY(!f.grpSelfCalStatusLights->isHidden());
        QVERIFY(f.lblSelfCalNote->isHidden());
        QVERIFY(
            f.windowTitle().endsWith(QStringLiteral("Encoder sn: V24017, pn: VLR14SPIST16B050)")));
        QCOMPARE(h.EnabledTimers(), QStringLiteral("read"));

        h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("90.000 °"));
        QCOMPARE(f.pnlCrcValid->Color(), WindowColors::Green);
        QCOMPARE(f.lblEncPosRawHex->text(), QStringLiteral("4003AD"));
        QCOMPARE(f.lblEncPosRawBin->text(), QStringLiteral("01000000000000 11 10101101"));
        QCOMPARE(f.lblCmd->text(), QStringLiteral("?03:000"));
        QCOMPARE(h.EnabledTimers(), QStringLiteral("read"));
    }

    void multiturnEncoderNeedsTheSecondAttempt() {
        WindowHarness h;
        auto box = h.AddBox("/dev/ttyACM0", true);
        box->Encoder().SetShaftCount(16384 + 4096, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        QVERIFY(EncoderSignature.Multiturn);
        QCOMPARE(f.lblEncAdditional->text(), QStringLiteral("Multiturn: True"));
        h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("450.000 °"));
        QCOMPARE(f.lblCmd->text(), QStringLiteral("?05:000"));
    }

    void multiturnEncoderWhoseCutReplyPassesItsCheckIsStillMultiturn() {
        // Turn 0 at angle 16330: cut to the single-turn length the reply reads
        // 00 00 FF, and FF happens to be the check byte of 00 00. At a standstill
        // every such reply passes; only a reply that changes by itself (the
        // timestamp) tells the lengths apart.
        WindowHarness h;
        auto box = h.AddBox("/dev/ttyACM0", true);
        box->Encoder().SetShaftCount(16330, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        QVERIFY(EncoderSignature.Multiturn);
        QCOMPARE(f.lblEncAdditional->text(), QStringLiteral("Multiturn: True"));
        h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("358.813 °"));
        QCOMPARE(f.pnlCrcValid->Color(), WindowColors::Green);
    }

    void shortPartNumberMeansNoExtendedCommands() {
        WindowHarness h;
        auto box = h.AddBox();
        box->Encoder().Identity().PartNumber = "VLR14";
        TMainForm& f = h.Start();
        f.cbbMagnetSize->setEditText(QStringLiteral("22"));
        f.cbbMagnetSizeChange();
        QVERIFY(h.Connect());
        QCOMPARE(f.lblEncPartNumber->text(), QStringLiteral("Part number: /"));
        QCOMPARE(f.lblEncFirmware->text(), QStringLiteral("Firmware version: /"));
        QCOMPARE(f.cbbMagnetSize->currentText(), QStringLiteral("22"));
        QVERIFY(!f.lblSelfCalNote->isHidden());
        QVERIFY(f.grpAirGap->isHidden());
        QVERIFY(f.grpSelfCalStatusLights->isHidden());
        QVERIFY2(!f.lblCmd->text().endsWith(QStringLiteral(":102")), "no firmware request");
    }

    void magnetCharactersThatAreNoNumber() {
        WindowHarness h;
        h.AddBox()->Encoder().Identity().PartNumber = "VLR14SPISTABB050";
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        QCOMPARE(f.cbbMagnetSize->currentText(), QStringLiteral("AB"));
        QCOMPARE(EncoderSignature.RingMagnetSize, 0);
    }

    void withoutAnEncoderTheSearchRepeatsSilently() {
        WindowHarness h;
        h.AddBox()->SetEncoderAttached(false);
        TMainForm& f = h.Start();
        h.SearchInterface();
        const int logLines = h.LogLines().size();
        h.SearchEncoder();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder"));
        QCOMPARE(f.lblCmd->text(), QStringLiteral("?05:000")); // both framings were tried
        QVERIFY(f.lblPosUnit->text().isEmpty());               // blink: it showed the text before
        h.SearchEncoder();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("Searching for encoder..."));
        QCOMPARE(h.LogLines().size(), logLines);
    }

    void scheduleFollowsTheOpenPage() {
        WindowHarness h;
        h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        auto frames = [&](int ticks) {
            QStringList out;
            for (int i = 0; i < ticks; ++i) {
                h.Read();
                out << f.lblCmd->text();
            }
            return out;
        };
        f.Pages->setCurrentWidget(f.tabEncStatus);
        QCOMPARE(frames(6),
                 (QStringList{"?04:100", "?05:116", "?05:115", "?05:084", "?03:000", "?04:100"}));
        f.Pages->setCurrentWidget(f.tabInstCal); // the count carries over: 1 -> "a"
        QCOMPARE(frames(3), (QStringList{"?05:097", "?03:000", "?04:105"}));
        f.Pages->setCurrentWidget(f.tabEncIdent);
        QCOMPARE(frames(2), (QStringList{"?09:118", "?09:118"}));
        QCOMPARE(f.lblEncSerial->text(), QStringLiteral("Serial number: V24017"));
        f.Pages->setCurrentWidget(f.tabEncPos);
        QCOMPARE(frames(1), QStringList{"?03:000"});
        f.Pages->setCurrentWidget(f.tabEncStatus);
        QCOMPARE(frames(1), QStringList{"?05:116"});
    }

    void auxiliaryValuesAreShownOnTheirPages() {
        WindowHarness h;
        auto box = h.AddBox();
        auto& cond = box->Encoder().Conditions();
        cond.TemperatureTenths = 300;
        cond.TemperatureDriftTenths = 0;
        box->Encoder().SetSpeedRpm(-1.0, box->NowUs());
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabEncStatus);
        h.Read(4);
        QCOMPARE(f.lblEncDetStatBin->text(), QStringLiteral("00000000"));
        QCOMPARE(f.pnlOSafety->Color(), WindowColors::Grey);
        QCOMPARE(f.lblEncTemp->text(), QStringLiteral("30.0 °C"));
        QCOMPARE(f.lblEncSpeed->text(), QStringLiteral("-1.0 RPM"));
        QVERIFY(QRegularExpression(QStringLiteral("^0x[0-9A-F]{4}$"))
                    .match(f.lblEncTimestamp->text())
                    .hasMatch());

        f.Pages->setCurrentWidget(f.tabInstCal);
        h.Read(3); // LastCmd was 4: one position tick, then "i", "a"
        QCOMPARE(f.lblCalCounter->text(), QStringLiteral("Counter: 0"));
        QCOMPARE(f.pnlCalFinish->Color(), WindowColors::Grey);
        QVERIFY(f.lblSignalLevel->text().startsWith(QStringLiteral("Signal level: ")));
        const QString gap = f.lblAirGap1->text();
        QVERIFY2(
            QRegularExpression(QStringLiteral("^Air gap: 0\\.[6-9]\\d mm$")).match(gap).hasMatch(),
            qPrintable(gap));
    }

    void statusColourAndLatchedLamps() {
        WindowHarness h;
        auto box = h.AddBox();
        auto& cond = box->Encoder().Conditions();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabEncStatus);
        cond.WarningBit = true;
        cond.DetailedStatus = 0xC2; // signal high and low, acceleration
        h.Read();                   // "d"
        QCOMPARE(f.pnlPosition->palette().color(QPalette::Window), WindowColors::Orange);
        QCOMPARE(f.pnlOSignalHigh->Color(), WindowColors::Orange);
        QCOMPARE(f.pnlOAngleAccel->Color(), WindowColors::Red);
        QCOMPARE(f.pnlOSpeed->Color(), WindowColors::Grey);
        cond.DetailedStatus = 0;
        cond.WarningBit = false;
        // Ten more "d" replies keep the bits lit; the latch clears after the 11th.
        for (int d = 2; d <= 11; ++d) {
            h.Read(5);
            QCOMPARE(f.pnlOAngleAccel->Color(), WindowColors::Red);
            QCOMPARE(f.pnlOSignalHigh->Color(), WindowColors::Navy); // this tick's colour
        }
        h.Read(5);
        QCOMPARE(f.pnlOAngleAccel->Color(), WindowColors::Grey);
        cond.ErrorBit = true;
        h.Read();
        QCOMPARE(f.pnlPosition->palette().color(QPalette::Window), WindowColors::LightRed);
    }

    void failedSignalAndCalibrationRepliesAreSkippedNotLost() {
        WindowHarness h;
        auto box = h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.Pages->setCurrentWidget(f.tabInstCal);
        h.Read(3);
        const QString shown = f.lblAirGap1->text();
        box->SetEncoderAttached(false);
        h.Read(); // "i"
        QCOMPARE(h.EnabledTimers(), QStringLiteral("read"));
        QCOMPARE(EncoderAuxData.CalStatus, 0u);
        h.Read(); // "a"
        QCOMPARE(h.EnabledTimers(), QStringLiteral("read"));
        QCOMPARE(EncoderAuxData.SignalLevel, 0);
        QCOMPARE(f.lblAirGap1->text(), shown);
        h.Read(); // position: now the loss shows
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder"));
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("Encoder disconnected!"));
        QCOMPARE(f.pnlCrcValid->Color(), WindowColors::Red);
    }

    void lossesHandOverAndBothRecover() {
        WindowHarness h;
        auto box = h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        h.Read(2);

        box->SetEncoderAttached(false);
        h.Read();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder"));
        QCOMPARE(h.LogLines().last(), QStringLiteral("Encoder disconnected!"));
        h.SearchEncoder();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder"));
        box->SetEncoderAttached(true);
        h.SearchEncoder();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("read"));

        box->Unplug();
        h.Read();
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("Interface disconnected!"));
        QCOMPARE(h.LogLines().last(), QStringLiteral("Interface disconnected!"));
        QVERIFY(!h.LogLines().contains(QStringLiteral("Encoder disconnected!")) ||
                h.LogLines().lastIndexOf(QStringLiteral("Encoder disconnected!")) <
                    h.LogLines().lastIndexOf(QStringLiteral("Encoder found.")));
        QCOMPARE(h.EnabledTimers(), QStringLiteral("interface"));
        h.SearchInterface();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("interface"));
        box->Plug();
        QVERIFY(h.Connect());
        h.Read();
        QVERIFY(f.lblPosUnit->text().endsWith(QStringLiteral(" °")));
    }

    void aBoxLostDuringTheSearchGoesBackToTheInterfaceSearch() {
        WindowHarness h;
        auto box = h.AddBox();
        h.Start();
        h.SearchInterface();
        box->Unplug();
        h.SearchEncoder();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("interface"));
    }

    void supplyStatusEveryTwentyFirstTick() {
        WindowHarness h;
        auto box = h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.lblEncPwrStatus->setText(QStringLiteral("stale"));
        h.Read(20);
        QCOMPARE(f.lblEncPwrStatus->text(), QStringLiteral("stale"));
        h.Read();
        QVERIFY(f.lblEncPwrStatus->text() != QStringLiteral("stale"));
    }
};

QTEST_MAIN(TestWindowReading)
#include "test_window_reading.moc"
