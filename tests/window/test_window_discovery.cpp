// Finding the box, its handshake, and the supply and clock handlers.
#include "scripted_port.h"
#include "window_harness.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {
// A box that does everything right, as a script.
std::map<std::string, std::string> GoodBox() {
    return {{"v", "K730-6W  V2.03 USB-SPI\r"},
            {"o", "17\r"},
            {"r", "SN0042\r"},
            {"Cp", "OK\r"},
            {"G0:1", "OK\r"},
            {"D055", "OK\r"},
            {"M5", "OK\r"},
            {"M8", "OK\r"},
            {"m", "12 MHz\r"},
            {"V5", "V5 OK\r"},
            {"n", "ON\r"},
            {"f", "OFF\r"},
            {"e", "5 V ON 42 mA\r"}};
}
} // namespace

class TestWindowDiscovery : public QObject {
    Q_OBJECT
private slots:
    void probesInOrderSkipsOtherDevicesAndRunsTheHandshake() {
        WindowHarness h;
        h.AddBox("/dev/ttyACM9");
        h.scripted["/dev/ttyACM2"] = {{"v", "ACME modem v1\r"}}; // wrong identity
        h.scripted["/dev/ttyACM5"] = {};                         // silent
        h.scripted["/dev/ttyACM11"] = GoodBox();                 // after the box: never probed
        h.denied = {"/dev/ttyACM1"};
        h.ports = std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM5",
                                           "/dev/ttyACM9", "/dev/ttyACM11"};
        TMainForm& f = h.Start();
        h.SearchInterface();

        QCOMPARE(*h.scriptedLog["/dev/ttyACM2"], std::vector<std::string>{"v"});
        QCOMPARE(*h.scriptedLog["/dev/ttyACM5"], std::vector<std::string>{"v"});
        QVERIFY(!h.scriptedLog.count("/dev/ttyACM11"));
        const QStringList log = h.LogLines();
        QCOMPARE(log.size(), 6);
        QVERIFY(log[0].startsWith(QStringLiteral("No permission to open /dev/ttyACM1")));
        QVERIFY(log[0].contains(QStringLiteral("dialout")));
        QCOMPARE(log[1], QStringLiteral("Interface found on /dev/ttyACM9"));
        QVERIFY(log[2].startsWith(QStringLiteral("Protocol settings: ")));
        QVERIFY(log[3].startsWith(QStringLiteral("SPI settings: ")));
        QVERIFY(log[4].startsWith(QStringLiteral("SPI settings: ")));
        QVERIFY(log[5].startsWith(QStringLiteral("SPI frequency: ")));
        QVERIFY(h.boxes->shown.empty());

        QCOMPARE(f.lblComPort->text(), QStringLiteral("/dev/ttyACM9"));
        QCOMPARE(f.lblInterfaceSerial->text(), QStringLiteral("Serial: 0420317"));
        QCOMPARE(f.lblInterfaceVer->text(), QStringLiteral("K730-6W  V2.03 USB-SPI interface.17"));
        QCOMPARE(QString::fromStdString(f.K730verzija), QStringLiteral("V2.03.17"));
        QVERIFY(f.windowTitle().contains(QStringLiteral("IF sn: 0420317, fw: V2.03.17;")));
        QCOMPARE(f.cmbFreqSPI->currentIndex(), 4);
        QCOMPARE(h.sim->Box("/dev/ttyACM9")->ClockIndex(), 5); // "M5"
        QVERIFY(h.sim->Box("/dev/ttyACM9")->SupplyOn());
        QCOMPARE(h.sleeps, std::vector<int>{200});
        QCOMPARE(f.lblPosUnit->text(), QStringLiteral("Searching for encoder..."));
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder"));
        QVERIFY(f.K730_H);

        // With that box gone the next one is found; the permission hint is
        // given once per run, not once per tick.
        h.sim->Box("/dev/ttyACM9")->Unplug();
        h.SearchInterface();
        QCOMPARE(h.LogLines().filter(QStringLiteral("No permission")).size(), 1);
        QVERIFY(h.LogLines().contains(QStringLiteral("Interface found on /dev/ttyACM11")));
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder"));
    }

    void theWrongPortsAreReleasedForOthers() {
        WindowHarness h;
        h.AddBox("/dev/ttyACM0")->Identity().IdentLine = "K730-5W other box";
        h.Start();
        h.SearchInterface();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("interface"));
        Serial_driver::OpenError error{};
        QVERIFY(h.sim->Open("/dev/ttyACM0", error) != nullptr);
    }

    void setupRefusalsAndSilenceShowTheirBoxes() {
        WindowHarness h;
        auto script = GoodBox();
        script["Cp"] = "Error: unknown\r"; // mixed case still refuses
        script.erase("G0:1");              // no answer at all
        h.scripted["/dev/ttyACM0"] = script;
        h.ports = std::vector<std::string>{"/dev/ttyACM0"};
        h.Start();
        h.SearchInterface();
        QCOMPARE(h.boxes->Texts(), (QStringList{"Interface error: Cp -> Error: unknown",
                                                "Interface error: G0:1 -> "}));
        const QStringList log = h.LogLines();
        QVERIFY(log.contains(QStringLiteral("Protocol settings: Error: unknown")));
        QVERIFY(log.contains(QStringLiteral("SPI settings: ")));
        QVERIFY(log.contains(QStringLiteral("SPI settings: OK")));
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder")); // no error stops the handshake
        QCOMPARE(*h.scriptedLog["/dev/ttyACM0"],
                 (std::vector<std::string>{"v", "o", "r", "Cp", "G0:1", "D055", "M5", "m", "V5",
                                           "n", "e"}));
    }

    void aSimulatedBoxThatRefusesSetupIsStillUsed() {
        WindowHarness h;
        h.AddBox()->Faults().SetupError = true;
        h.Start();
        h.SearchInterface();
        QCOMPARE(h.boxes->shown.size(), 3u);
        for (const auto& shown : h.boxes->shown)
            QVERIFY(shown.Text.startsWith(QStringLiteral("Interface error: ")));
        QCOMPARE(h.EnabledTimers(), QStringLiteral("encoder"));
    }

    void shortIdentificationGivesAnEmptyVersionText() {
        WindowHarness h;
        auto script = GoodBox();
        script["v"] = "K730-6W\r";
        script["o"] = "x9\r"; // not a number
        h.scripted["/dev/ttyACM0"] = script;
        h.ports = std::vector<std::string>{"/dev/ttyACM0"};
        TMainForm& f = h.Start();
        h.SearchInterface();
        QCOMPARE(QString::fromStdString(f.K730verzija), QStringLiteral(".0"));
    }

    void supplyRepliesAreJudgedAsReceived() {
        struct Case {
            const char* v5;
            const char* on;
            int boxes;
        } cases[] = {{"V5\r", "ON\r", 0},
                     {"v5\r", "ON\r", 1},
                     {" V5\r", "ON\r", 1},
                     {"V5\r", " ON\r", 1},
                     {"", "", 2}};
        for (const Case& c : cases) {
            WindowHarness h;
            TMainForm& f = h.Start();
            f.K730_H = std::make_unique<ScriptedPort>(
                std::map<std::string, std::string>{{"V5", c.v5}, {"n", c.on}});
            f.rbPwr5vClick();
            QCOMPARE(static_cast<int>(h.boxes->shown.size()), c.boxes);
            QCOMPARE(h.sleeps, std::vector<int>{200});
        }
        for (const char* off : {"OFF\r", " OFF\r", "off\r"}) {
            WindowHarness h;
            TMainForm& f = h.Start();
            f.K730_H =
                std::make_unique<ScriptedPort>(std::map<std::string, std::string>{{"f", off}});
            f.rbPwrOffClick();
            QCOMPARE(h.boxes->shown.size(), std::string_view(off) == "OFF\r" ? 0u : 1u);
            QCOMPARE(h.sleeps, std::vector<int>{200});
        }
        WindowHarness h;
        TMainForm& f = h.Start();
        f.K730_H = std::make_unique<ScriptedPort>(
            std::map<std::string, std::string>{{"V5", "x\x01y\r"}, {"n", "OFF\r"}});
        f.rbPwr5vClick();
        QCOMPARE(h.boxes->Texts(), (QStringList{"Error setting power supply! (V5) -> (xy)",
                                                "Error setting power supply! (n) -> (OFF)"}));
    }

    void withoutABoxEveryHandlerSaysSoAndWaits() {
        WindowHarness h;
        TMainForm& f = h.Start();
        f.lblEncPwrStatus->setText(QStringLiteral("old"));
        f.rbPwrOff->click();
        f.rbPwr5v->click();
        QCOMPARE(h.boxes->Texts(), (QStringList{"Error setting power supply! (f) -> ()",
                                                "Error setting power supply! (V5) -> ()",
                                                "Error setting power supply! (n) -> ()"}));
        QCOMPARE(h.sleeps, (std::vector<int>{200, 200}));
        QVERIFY(f.rbPwr5v->isChecked());
        f.cmbFreqSPI->setCurrentIndex(7);
        f.cmbFreqSPIChange();
        QCOMPARE(h.boxes->Texts().last(), QStringLiteral("SPI Frequency setting 8 failed!"));
        f.UpdateSupplyStatus();
        QVERIFY(f.lblEncPwrStatus->text().isEmpty());
    }

    void clockChoiceIsSentAndReadBack() {
        WindowHarness h;
        TMainForm& f = h.Start();
        auto port = std::make_unique<ScriptedPort>(GoodBox());
        auto sent = port->Log();
        f.K730_H = std::move(port);
        f.cmbFreqSPI->setCurrentIndex(7);
        f.cmbFreqSPIChange();
        QCOMPARE(*sent, (std::vector<std::string>{"M8", "m"}));
        QCOMPARE(h.LogLines(), QStringList{"SPI frequency: 12 MHz"});
        QVERIFY(h.boxes->shown.empty());

        // A read-back that trims to nothing is logged and still reported.
        auto script = GoodBox();
        script["m"] = "\r";
        f.K730_H = std::make_unique<ScriptedPort>(script);
        f.cmbFreqSPIChange();
        QCOMPARE(h.LogLines().last(), QStringLiteral("SPI frequency: "));
        QCOMPARE(h.boxes->Texts(), QStringList{"SPI Frequency setting 8 failed!"});
    }

    void supplyStatusOnlyFromTheSystemPage() {
        WindowHarness h;
        TMainForm& f = h.Start();
        auto port = std::make_unique<ScriptedPort>(GoodBox());
        auto sent = port->Log();
        f.K730_H = std::move(port);
        f.UpdateSupplyStatus();
        QCOMPARE(f.lblEncPwrStatus->text(), QStringLiteral("5 V ON 42 mA"));
        f.Pages->setCurrentWidget(f.tabEncPos);
        f.lblEncPwrStatus->setText(QStringLiteral("kept"));
        f.UpdateSupplyStatus();
        QCOMPARE(f.lblEncPwrStatus->text(), QStringLiteral("kept"));
        QCOMPARE(sent->size(), 1u);
    }

    void rediscoveryRestoresClockAndSupplyWhateverWasChosen() {
        WindowHarness h;
        auto box = h.AddBox();
        TMainForm& f = h.Start();
        QVERIFY(h.Connect());
        f.rbPwrOff->click();
        QVERIFY(!box->SupplyOn());
        f.cmbFreqSPI->setCurrentIndex(7);
        f.cmbFreqSPIChange();
        QCOMPARE(box->ClockIndex(), 8);
        box->Unplug();
        h.Read();
        QCOMPARE(h.EnabledTimers(), QStringLiteral("interface"));
        box->Plug();
        h.SearchInterface();
        QCOMPARE(box->ClockIndex(), 5);
        QVERIFY(box->SupplyOn());
        QVERIFY2(f.rbPwrOff->isChecked(), "the radio buttons keep the user's choice");
        QCOMPARE(f.cmbFreqSPI->currentIndex(), 4);
    }
};

QTEST_MAIN(TestWindowDiscovery)
#include "test_window_discovery.moc"
