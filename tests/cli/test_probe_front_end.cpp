// tessoran-cli probe's front end against the in-process device model on a manual
// clock: what it prints of the engine's search, handshake and reading, and
// what it says when there is no box or no encoder.
#include "cli_session.h"
#include "exit_status.h"
#include "k730_box.h"
#include "manual_engine_clock.h"
#include "probe.h"
#include "sim_clock.h"
#include "sim_serial_port.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Printed {
    int Status = -1;
    std::string Text;

    [[nodiscard]] bool Has(const std::string& line) const {
        return ("\n" + Text).find("\n" + line + "\n") != std::string::npos;
    }
    [[nodiscard]] std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(Text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    /// Lines that show an exchange: one per command the box received.
    [[nodiscard]] std::size_t Exchanges() const {
        std::size_t n = 0;
        for (const std::string& line : Lines())
            n += line.find(" -> \"") != std::string::npos ? 1 : 0;
        return n;
    }
};

class ProbeOnModel : public ::testing::Test {
protected:
    std::shared_ptr<K730Sim::K730Box> AddBox(const std::string& name, bool multiturn,
                                             std::int64_t count) {
        auto box = sim->AddBox(name);
        box->Encoder().Identity().Kind =
            multiturn ? K730Sim::EncoderKind::Multiturn : K730Sim::EncoderKind::SingleTurn;
        box->Encoder().SetShaftCount(count, box->NowUs());
        return box;
    }

    Printed Probe(int rounds = 0) {
        Engine::Environment env;
        env.ListPorts = [this] { return ports; };
        env.Opener = sim;
        env.Clock = std::make_shared<ManualEngineClock>(clock);
        std::ostringstream out;
        Printed printed;
        printed.Status = TessoranCli::RunProbe(std::move(env), {rounds}, out);
        printed.Text = out.str();
        return printed;
    }

    std::shared_ptr<K730Sim::ManualClock> clock = std::make_shared<K730Sim::ManualClock>(1'000'000);
    std::shared_ptr<K730Sim::SimPortOpener> sim = std::make_shared<K730Sim::SimPortOpener>(clock);
    std::vector<std::string> ports{"/dev/ttyACM0"};
};

TEST_F(ProbeOnModel, FindsTheBoxRunsTheHandshakeAndReadsTheEncoder) {
    ports = {"/dev/ttyACM9", "/dev/ttyACM0"};
    const auto box = AddBox("/dev/ttyACM0", false, 5000);
    const Printed p = Probe(3);
    EXPECT_EQ(p.Status, TessoranCli::ExitOk) << p.Text;
    EXPECT_TRUE(p.Has("Candidate ports: /dev/ttyACM9 /dev/ttyACM0")) << p.Text;
    EXPECT_TRUE(p.Has("/dev/ttyACM9: not found")) << p.Text;
    EXPECT_TRUE(p.Has("/dev/ttyACM0: v -> \"K730-6W  V2.03 USB-SPI interface\\r\"  status 0"))
        << p.Text;
    EXPECT_TRUE(p.Has("Interface found on /dev/ttyACM0")) << p.Text;

    // The handshake as the engine runs it, every reply accepted.
    const std::vector<std::string> lines = p.Lines();
    const auto from = std::find(lines.begin(), lines.end(), "Handshake:");
    const auto to = std::find(lines.begin(), lines.end(), "Encoder:");
    ASSERT_LT(from, to) << p.Text;
    std::vector<std::string> sent;
    for (auto it = from + 1; it != to; ++it) {
        sent.push_back(it->substr(2, it->find(' ', 2) - 2));
        EXPECT_TRUE(it->ends_with("  status 0  ok")) << *it;
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"o", "r", "Cp", "G0:1", "D055", "M5", "m", "V5", "n",
                                              "e"}));

    EXPECT_TRUE(p.Has("  ?03:000 -> \"4E23D9\"  status 0  ok")) << p.Text;
    EXPECT_TRUE(p.Has("  single-turn encoder: count 5000")) << p.Text;
    EXPECT_NE(p.Text.find("\n3 position requests, 0 failed: round trip min "), std::string::npos)
        << p.Text;
    EXPECT_TRUE(p.Text.ends_with("\nHandshake ok\n")) << p.Text;
    // Every command the box got is printed, but for the timed ones.
    EXPECT_EQ(box->Stats().Commands, p.Exchanges() + 3) << p.Text;
}

TEST_F(ProbeOnModel, MultiturnEncoderWhoseCutReplyPassesItsCheckIsStillMultiturn) {
    // At angle 16330 of turn 0 the reply cut to the single-turn length reads
    // 00 00 FF, and FF is the check byte of 00 00.
    AddBox("/dev/ttyACM0", true, 16330);
    const Printed p = Probe();
    EXPECT_EQ(p.Status, TessoranCli::ExitOk) << p.Text;
    EXPECT_TRUE(p.Has("  ?03:000 -> \"0000FF\"  status 0  ok")) << p.Text;
    EXPECT_TRUE(p.Has("  multiturn encoder: count 16330, turns 0")) << p.Text;
    EXPECT_EQ(p.Text.find("single-turn encoder"), std::string::npos) << p.Text;
}

TEST_F(ProbeOnModel, RefusedSettingsAreReportedInTheEnginesWords) {
    const auto box = AddBox("/dev/ttyACM0", false, 0);
    box->Faults().SetupError = true;
    box->Encoder().Conditions().ErrorBit = true;
    const Printed p = Probe();
    EXPECT_EQ(p.Status, TessoranCli::ExitProblems) << p.Text;
    for (const std::string command : {"Cp", "G0:1", "D055"}) {
        const std::string pad(5 - command.size(), ' ');
        EXPECT_TRUE(p.Has("  " + command + pad + " -> \"ERROR\\r\"  status 0  PROBLEM: " +
                          "Interface error: " + command + " -> ERROR"))
            << p.Text;
    }
    EXPECT_TRUE(p.Has("  M5    -> \"OK\\r\"  status 0  ok")) << p.Text;
    EXPECT_TRUE(p.Has("  single-turn encoder: count 0, ERROR bit")) << p.Text;
    EXPECT_TRUE(p.Text.ends_with("\nHandshake had problems\n")) << p.Text;
}

TEST_F(ProbeOnModel, NoBoxAndNoEncoder) {
    AddBox("/dev/ttyACM0", false, 0)->Faults().Silent = true;
    const Printed none = Probe();
    EXPECT_EQ(none.Status, TessoranCli::ExitNoBox) << none.Text;
    EXPECT_TRUE(none.Has("/dev/ttyACM0: v -> \"\"  status -1")) << none.Text;
    EXPECT_TRUE(none.Text.ends_with("\nNo K730-6W found\n")) << none.Text;

    ports = {"/dev/ttyACM1"};
    AddBox("/dev/ttyACM1", false, 0)->SetEncoderAttached(false);
    const Printed noEncoder = Probe();
    EXPECT_EQ(noEncoder.Status, TessoranCli::ExitOk) << noEncoder.Text;
    EXPECT_TRUE(noEncoder.Has("  No encoder answered")) << noEncoder.Text;
    // Each search tick tried both kinds before the probe gave up.
    std::size_t tries = 0;
    for (const std::string& line : noEncoder.Lines())
        tries += line.ends_with("CRC mismatch") ? 1 : 0;
    EXPECT_EQ(tries, 2u * TessoranCli::EncoderSearchTicks) << noEncoder.Text;
}

} // namespace
