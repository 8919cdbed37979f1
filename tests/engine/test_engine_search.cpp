// Finding the box and its encoder: the probe, the handshake and what it
// reports, the supply and clock requests, the encoder's kind and identity, and
// device text that is kept within bounds.
#include "engine_rig.h"
#include "interface/k730_commands.h"
#include "scripted_port.h"
#include "serial/Serial_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace Engine;
using Strings = std::vector<std::string>;
const std::string Acm0 = "/dev/ttyACM0";

bool Contains(const Strings& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A rig whose only port is a scripted box; its first search tick has run.
std::unique_ptr<EngineRig> ScriptedRig(std::map<std::string, std::string> script) {
    auto rig = std::make_unique<EngineRig>();
    rig->scripted[Acm0] = std::move(script);
    rig->ports = Strings{Acm0};
    rig->Start();
    rig->RunNextTick();
    return rig;
}

TEST(InterfaceSearch, ProbesInOrderAndPassesOverWhatIsNoFreeBox) {
    EngineRig rig;
    rig.AddBox("/dev/ttyACM9");
    rig.AddBox("/dev/ttyACM3");
    Serial_driver::OpenError error{};
    const auto otherProgram = rig.sim->Open("/dev/ttyACM3", error); // busy
    rig.denied = {"/dev/ttyACM1"};
    rig.scripted["/dev/ttyACM2"] = {{"v", "ACME modem v1\r"}};
    rig.scripted["/dev/ttyACM5"] = {}; // silent
    rig.scripted["/dev/ttyACM11"] = ScriptedBox();
    rig.ports = Strings{"/dev/ttyACM1", "/dev/ttyACM2", "/dev/ttyACM3",
                        "/dev/ttyACM5", "/dev/ttyACM9", "/dev/ttyACM11"};
    rig.Start();
    rig.RunNextTick();

    EXPECT_EQ(rig.Sent("/dev/ttyACM2"), Strings{"v"});
    EXPECT_EQ(rig.Sent("/dev/ttyACM5"), Strings{"v"});
    EXPECT_TRUE(rig.Sent("/dev/ttyACM3").empty());
    EXPECT_TRUE(rig.Sent("/dev/ttyACM11").empty());
    // The silent port costs its time-out and nothing more.
    ASSERT_GE(rig.writes.size(), 3u);
    ASSERT_EQ(rig.writes[2].Port, "/dev/ttyACM9");
    EXPECT_EQ(rig.writes[2].Ms - rig.writes[1].Ms, Serial_driver::ReplyTimeout + 1);
    // Other devices get their settings back before they are let go; the box's
    // port stays open.
    EXPECT_EQ(rig.portEvents, (Strings{"/dev/ttyACM2 restore", "/dev/ttyACM2 close",
                                       "/dev/ttyACM5 restore", "/dev/ttyACM5 close"}));
    const Strings log = rig.LogLines();
    ASSERT_GE(log.size(), 2u);
    EXPECT_TRUE(log[0].starts_with("No permission to open /dev/ttyACM1")) << log[0];
    EXPECT_NE(log[0].find("dialout"), std::string::npos);
    EXPECT_EQ(log[1], "Interface found on /dev/ttyACM9");
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchEncoder);

    // The box lost during the encoder search: no second attempt, nothing
    // said, back to the interface search, which finds the next box. The
    // permission hint is given once per run.
    rig.sim->Box("/dev/ttyACM9")->Unplug();
    const std::int64_t searchMs = *rig.DueMs();
    rig.RunNextTick();
    EXPECT_EQ(rig.Sent("/dev/ttyACM9", searchMs), (Strings{"e", "?03:000"}));
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchInterface);
    rig.RunNextTick();
    const Strings after = rig.LogLines();
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const std::string& l) { return l.starts_with("No permission"); }),
              1);
    EXPECT_TRUE(Contains(after, "Interface found on /dev/ttyACM11"));
    EXPECT_FALSE(Contains(after, "Interface disconnected!"));
}

TEST(Handshake, ReportsTheBoxAndHandsOverToTheEncoderSearch) {
    EngineRig rig;
    auto box = rig.AddBox();
    rig.Start();
    rig.RunNextTick();

    const auto infos = rig.Reports<InterfaceInfo>();
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_TRUE(infos[0].Port.empty() && infos[0].Version.empty() && infos[0].Serial.empty());
    EXPECT_EQ(infos[1].Port, Acm0);
    EXPECT_EQ(infos[1].Version, "K730-6W  V2.03 USB-SPI interface.17");
    EXPECT_EQ(infos[1].Serial, "Serial: 0420317");
    const auto captions = rig.Reports<CaptionFields>();
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0].InterfaceSerial, "0420317");
    EXPECT_EQ(captions[0].InterfaceVersion, "V2.03.17");

    EXPECT_EQ(rig.LogLines(),
              (Strings{"Interface found on /dev/ttyACM0", "Protocol settings: OK",
                       "SPI settings: OK", "SPI settings: OK", "SPI frequency: 1.5 MHz"}));
    EXPECT_TRUE(rig.Messages().empty());

    EXPECT_EQ(rig.Reports<ClockSelected>().at(0).ItemIndex, 4);
    EXPECT_EQ(box->ClockIndex(), 5);
    EXPECT_TRUE(box->SupplyOn());
    ASSERT_EQ(rig.Reports<SupplyStatus>().size(), 1u);
    EXPECT_TRUE(rig.Reports<SupplyStatus>()[0].Text.starts_with("5.0V ON "));
    const Banner banner = rig.Reports<Banner>().back();
    EXPECT_EQ(banner.Text, "Searching for encoder...");
    EXPECT_EQ(banner.Font, Colour::Green);
    EXPECT_EQ(rig.engine->EnabledCycle(), Cycle::SearchEncoder);
    EXPECT_EQ(*rig.DueMs(), rig.NowMs() + MonitorEngine::SearchEncoderMs);
}

TEST(Handshake, SetupRefusalsAndSilenceAreShownAndTheHandshakeGoesOn) {
    auto script = ScriptedBox();
    script["v"] = "K730-6W\r"; // too short for a version
    script["o"] = "x9\r";      // not a number
    script["Cp"] = "Error: unknown\r";
    script.erase("G0:1");
    script["D055"] = "ERROR"; // refused and never completed: shown twice
    const auto rig = ScriptedRig(script);

    EXPECT_EQ(rig->Messages(),
              (Strings{"Interface error: Cp -> Error: unknown", "Interface error: G0:1 -> ",
                       "Interface error: D055 -> ERROR", "Interface error: D055 -> ERROR"}));
    const Strings log = rig->LogLines();
    EXPECT_TRUE(Contains(log, "Protocol settings: Error: unknown"));
    EXPECT_TRUE(Contains(log, "SPI settings: "));
    EXPECT_TRUE(Contains(log, "SPI settings: ERROR"));
    EXPECT_EQ(rig->Sent(Acm0),
              (Strings{"v", "o", "r", "Cp", "G0:1", "D055", "M5", "m", "V5", "n", "e"}));
    EXPECT_EQ(rig->Reports<CaptionFields>().back().InterfaceVersion, ".0");
    EXPECT_EQ(rig->engine->EnabledCycle(), Cycle::SearchEncoder);
}

TEST(Handshake, AnIdentificationInTwoPiecesIsReadToItsEnd) {
    // The line in two writes 5 ms apart: the probe is complete at its 7th byte
    // long before the rest arrives.
    static_assert(ScriptedPort::PauseMs == 5);
    auto script = ScriptedBox();
    script["v"] = "K730-6W  V2." + std::string(ScriptedPort::Pause) + "03 USB-SPI\r";
    const auto rig = ScriptedRig(script);
    // "o" got its own reply, and the version is whole.
    EXPECT_EQ(rig->Reports<InterfaceInfo>().back().Version, "K730-6W  V2.03 USB-SPI.17");
    EXPECT_EQ(rig->Reports<CaptionFields>().back().InterfaceVersion, "V2.03.17");
    EXPECT_EQ(rig->Reports<CaptionFields>().back().InterfaceSerial, "SN0042");
    EXPECT_EQ(rig->Sent(Acm0).size(), 11u); // the rest of the line needed no command
}

TEST(SupplyAndClock, RepliesAreJudgedAsReceived) {
    struct Case {
        const char* V5;
        const char* On;
        std::size_t Messages;
    };
    for (const Case& c : {Case{"V5\r", "ON\r", 0}, Case{"v5\r", "ON\r", 1},
                          Case{" V5\r", "ON\r", 1}, Case{"V5\r", " ON\r", 1}}) {
        auto script = ScriptedBox();
        script["V5"] = c.V5;
        script["n"] = c.On;
        EXPECT_EQ(ScriptedRig(script)->Messages().size(), c.Messages) << c.V5 << c.On;
    }
    for (const char* off : {"OFF\r", " OFF\r", "off\r"}) {
        auto script = ScriptedBox();
        script["f"] = off;
        const auto rig = ScriptedRig(script);
        rig->Post(SetSupply{false});
        EXPECT_EQ(rig->Messages().size(), std::string_view(off) == "OFF\r" ? 0u : 1u) << off;
    }
    auto script = ScriptedBox();
    script["V5"] = "x\x01y\r";
    script["n"] = "OFF\r";
    EXPECT_EQ(ScriptedRig(script)->Messages(),
              (Strings{"Error setting power supply! (V5) -> (xy)",
                       "Error setting power supply! (n) -> (OFF)"}));
}

TEST(SupplyAndClock, WithoutABoxEveryRequestSaysSoAndStillWaits) {
    EngineRig rig;
    rig.Start();
    const std::int64_t before = rig.NowMs();
    rig.Post(SetSupply{false});
    rig.Post(SetSupply{true});
    rig.Post(SetSpiClock{7});
    EXPECT_EQ(
        rig.Messages(),
        (Strings{"Error setting power supply! (f) -> ()", "Error setting power supply! (V5) -> ()",
                 "Error setting power supply! (n) -> ()", "SPI Frequency setting 8 failed!"}));
    EXPECT_EQ(rig.NowMs() - before, 2 * K730::SupplySettleMs);
}

TEST(SupplyAndClock, TheClockIsSentAndReadBack) {
    const auto rig = ScriptedRig(ScriptedBox());
    rig->ClearReports();
    rig->clock->AdvanceMs(1); // past the handshake's last command
    const std::int64_t from = rig->NowMs();
    rig->Post(SetSpiClock{7});
    EXPECT_EQ(rig->Sent(Acm0, from), (Strings{"M8", "m"}));
    EXPECT_EQ(rig->LogLines(), Strings{"SPI frequency: 12 MHz"});
    EXPECT_TRUE(rig->Messages().empty());

    // A read-back that trims to nothing is logged and still a failure.
    auto script = ScriptedBox();
    script["m"] = "\r";
    const auto blank = ScriptedRig(script);
    EXPECT_TRUE(Contains(blank->LogLines(), "SPI frequency: "));
    EXPECT_EQ(blank->Messages(), Strings{"SPI Frequency setting 5 failed!"});
}

TEST(EncoderSearch, KindAndIdentity) {
    struct Case {
        const char* Name;
        bool Multiturn;
        std::int64_t Shaft;
        std::string PartNumber;
        bool Extended;      // firmware asked for, extended command set
        const char* Magnet; // the size text chosen, or none
        int RingMagnetSize; // 22 unless chosen: the user's choice before
    };
    const Case cases[] = {
        {"single-turn", false, 4096, "VLR14SPIST16B050", true, "16", 16},
        {"multiturn", true, 16384 + 4096, "VLR14SPIST16B050", true, "16", 16},
        // Turn 0 at 16330: cut to the single-turn length the reply reads
        // 00 00 FF, and FF is the check byte of 00 00.
        {"multiturn, cut reply passes", true, 16330, "VLR14SPIST16B050", true, "16", 16},
        {"short part number", false, 0, "VLR14", false, nullptr, 22},
        {"part number of 6", false, 0, "VLR14S", false, nullptr, 22},
        {"part number of 7, no magnet size", false, 0, "VLR14SP", true, "", 0},
        {"part number of 11", false, 0, "VLR14SPIST3", true, "3", 3},
        {"magnet size no number", false, 0, "VLR14SPISTABB050", true, "AB", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EngineRig rig;
        auto box = rig.AddBox(Acm0, c.Multiturn);
        box->Encoder().SetShaftCount(c.Shaft, box->NowUs());
        box->Encoder().Identity().PartNumber = c.PartNumber;
        rig.Start();
        rig.Post(SetMagnetSize{"22"});
        rig.RunNextTick();
        const std::int64_t searchMs = *rig.DueMs();
        rig.RunNextTick(); // both attempts, if needed, in this one tick
        ASSERT_EQ(rig.engine->EnabledCycle(), Cycle::Read);

        EXPECT_EQ(rig.engine->Signature().Multiturn, c.Multiturn);
        const EncoderLabels labels = rig.Reports<EncoderLabels>().back();
        EXPECT_EQ(labels.Additional, c.Multiturn ? "Multiturn: True" : "Multiturn: False");
        EXPECT_EQ(labels.Serial, "Serial number: V24017");
        EXPECT_EQ(labels.PartNumber,
                  c.PartNumber.size() > 6 ? "Part number: " + c.PartNumber : "Part number: /");
        EXPECT_EQ(labels.Firmware,
                  c.Extended ? "Firmware version: 2.1.4.1187" : "Firmware version: /");
        const Strings sent = rig.Sent(Acm0, searchMs);
        EXPECT_EQ(Contains(sent, "?07:102"), c.Extended);
        ASSERT_EQ(rig.Reports<ExtendedCommandSet>().size(), 1u);
        EXPECT_EQ(rig.Reports<ExtendedCommandSet>()[0].Present, c.Extended);
        const auto magnet = rig.Reports<MagnetSizeChosen>();
        EXPECT_EQ(magnet.empty() ? "none" : magnet[0].Text, c.Magnet ? c.Magnet : "none");
        EXPECT_EQ(rig.engine->Signature().RingMagnetSize, c.RingMagnetSize);

        EXPECT_EQ(rig.LogLines().back(), "Encoder found.");
        EXPECT_EQ(rig.Reports<CaptionFields>().back().EncoderPart, c.PartNumber);
        ASSERT_EQ(rig.Reports<EncoderConnection>().size(), 1u);
        EXPECT_TRUE(rig.Reports<EncoderConnection>()[0].Connected);

        rig.RunNextTick();
        const Reading reading = rig.Reports<Reading>().back();
        EXPECT_EQ(reading.Position.ST_value, static_cast<std::uint32_t>(c.Shaft % 16384));
        EXPECT_EQ(reading.Position.MT_value, c.Shaft / 16384);
    }
}

TEST(EncoderSearch, WithoutAnEncoderItRepeatsSilentlyEvery850Ms) {
    EngineRig rig;
    rig.AddBox()->SetEncoderAttached(false);
    rig.Start();
    rig.RunNextTick();
    rig.ClearReports();
    const std::int64_t from = *rig.DueMs();
    for (int tick = 0; tick < 3; ++tick) {
        rig.RunNextTick();
        ASSERT_EQ(rig.engine->EnabledCycle(), Cycle::SearchEncoder);
        EXPECT_EQ(*rig.DueMs(), rig.NowMs() + MonitorEngine::SearchEncoderMs);
    }
    Strings expected;
    for (int tick = 0; tick < 3; ++tick) // both lengths tried every time
        expected.insert(expected.end(), {"e", "?03:000", "?05:000"});
    EXPECT_EQ(rig.Sent(Acm0, from), expected);
    Strings banners;
    for (const Banner& b : rig.Reports<Banner>())
        banners.push_back(b.Text);
    EXPECT_EQ(banners, (Strings{"", "Searching for encoder...", ""}));
    EXPECT_TRUE(rig.LogLines().empty());
    EXPECT_TRUE(rig.Messages().empty());
    EXPECT_TRUE(rig.Reports<EncoderConnection>().empty());
}

TEST(DeviceText, AFloodWithoutCrStaysBounded) {
    auto script = ScriptedBox();
    script["e"] = std::string(1 << 20, 'x');
    const auto rig = ScriptedRig(script);
    // The supply status exchange ended at its bound at once, instead of
    // taking in the flood and then waiting for a CR.
    EXPECT_EQ(rig->NowMs(), MonitorEngine::SearchInterfaceMs + K730::SupplySettleMs);
    ASSERT_EQ(rig->Reports<SupplyStatus>().size(), 1u);
    EXPECT_EQ(rig->Reports<SupplyStatus>()[0].Text, std::string(MonitorEngine::MaxDeviceText, 'x'));

    // The flood goes on for every "e": whatever the engine says stays short.
    rig->RunUntil(20'000);
    EXPECT_GT(std::count_if(rig->writes.begin(), rig->writes.end(),
                            [](const Written& w) { return w.Bytes == "v"; }),
              3);
    std::size_t longest = 0;
    for (const auto& t : rig->Reports<Transfer>())
        longest = std::max({longest, t.Reply.size(), t.Texts.RawHex.size()});
    for (const std::string& line : rig->LogLines())
        longest = std::max(longest, line.size());
    EXPECT_LE(longest, MonitorEngine::MaxDeviceText + 40);
}

TEST(DeviceText, AnOverlongReplyIsDroppedSoTheNextCommandReadsItsOwn) {
    EngineRig rig;
    auto box = rig.AddBox();
    box->Faults().LongSerialBytes = 40'000;
    rig.Start();
    ASSERT_TRUE(rig.Connect());
    // The setup after the serial number got its own replies: no interface
    // error, the encoder was found, and the drop was said once.
    const Strings log = rig.LogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "Reply longer than 512 bytes from /dev/ttyACM0: dropped to its end"),
              1);
    EXPECT_TRUE(Contains(log, "Encoder found."));
    EXPECT_TRUE(rig.Messages().empty());
    ASSERT_FALSE(rig.Reports<InterfaceInfo>().empty());
    EXPECT_TRUE(rig.Reports<InterfaceInfo>().back().Serial.starts_with("Serial: 0420317000"));
}

} // namespace
