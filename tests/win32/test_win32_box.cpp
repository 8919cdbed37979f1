// The box through the Win32 port, as tessoran-cli and the window meet it: found
// by the engine among the listed ports, its handshake, and encoder frames of
// both kinds decoded by the core.

#include "encoder/Enkoderji_splosno.h"
#include "encoder/Velor_konstante.h"
#include "encoder/encoder_transfer.h"
#include "engine/engine_environment.h"
#include "exit_status.h"
#include "probe.h"
#include "sim_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class Win32Box : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Win32Fixture::ResetSim()); }
    void TearDown() override { EXPECT_TRUE(Win32Fixture::ResetSim()); }

    // One position request framed for the given kind; its records afterwards.
    struct Position {
        TEncoderPosition Record;
        std::string Frame;
    };
    static Position AskPosition(Serial_driver::SerialPort& port, bool multiturn) {
        TEncoderSignature signature;
        TEncoderAuxData aux;
        Position result;
        signature.Multiturn = multiturn;
        result.Record.STmaxCount = Velor_konstante::STmaxCountDefault;
        unsigned char c = Velor_konstante::Cmd::Position;
        result.Frame = Velor::EncoderTransferCore(&port, {signature, result.Record, aux}, c).Frame;
        return result;
    }

    // tessoran-cli probe's run on this machine's ports, in real time.
    struct Printed {
        int Status = -1;
        std::string Text;
        std::vector<std::string> Lines;
    };
    static Printed Probe() {
        std::ostringstream out;
        Printed p;
        p.Status = TessoranCli::RunProbe(Engine::Environment::System(), {}, out);
        p.Text = out.str();
        std::istringstream in(p.Text);
        for (std::string line; std::getline(in, line);)
            p.Lines.push_back(line);
        return p;
    }
};

TEST_F(Win32Box, FoundAmongTheListedPortsAndHandshakeAccepted) {
    const Printed p = Probe();
    EXPECT_EQ(p.Status, TessoranCli::ExitOk) << p.Text;
    EXPECT_NE(p.Text.find("\nInterface found on " + Win32Fixture::SimPort() + "\n"),
              std::string::npos)
        << p.Text;
    // Ports listed before the box's were tried and passed over.
    EXPECT_NE(p.Text.find("\n" + Win32Fixture::AbsentPort() + ": not found\n"), std::string::npos)
        << p.Text;

    std::vector<std::string> sent;
    bool handshake = false;
    for (const std::string& line : p.Lines) {
        if (line == "Handshake:" || line == "Encoder:") {
            handshake = line == "Handshake:";
        } else if (handshake) {
            sent.push_back(line.substr(2, line.find(' ', 2) - 2));
            EXPECT_TRUE(line.ends_with("\\r\"  status 0  ok")) << line;
        }
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"o", "r", "Cp", "G0:1", "D055", "M5", "m", "V5", "n",
                                              "e"}));
    EXPECT_NE(p.Text.find("\n  single-turn encoder: count 0\n"), std::string::npos) << p.Text;
}

TEST_F(Win32Box, RefusedSettingsAreReported) {
    ASSERT_TRUE(Win32Fixture::SimCommand("seterror on"));
    const Printed p = Probe();
    EXPECT_EQ(p.Status, TessoranCli::ExitProblems) << p.Text;
    std::vector<std::string> refused;
    for (const std::string& line : p.Lines) {
        if (line.find("  PROBLEM: ") != std::string::npos)
            refused.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    EXPECT_EQ(refused, (std::vector<std::string>{"Cp", "G0:1", "D055"})) << p.Text;
}

TEST_F(Win32Box, EncoderFramesOfBothKindsDecode) {
    ASSERT_TRUE(Win32Fixture::SimCommand("position 4096"));
    auto port = Win32Fixture::OpenSimPort();
    ASSERT_NE(port, nullptr);

    Position single = AskPosition(*port, false);
    EXPECT_EQ(single.Frame, "?03:000");
    EXPECT_EQ(single.Record.ErrComm, 0);
    EXPECT_FALSE(single.Record.ErrCRC);
    EXPECT_EQ(single.Record.ST_value, 4096u);
    // A single-turn encoder asked for a multiturn reply fails the check.
    EXPECT_TRUE(AskPosition(*port, true).Record.ErrCRC);

    ASSERT_TRUE(Win32Fixture::SimCommand("kind multi\nposition 20480"));
    Position multi = AskPosition(*port, true);
    EXPECT_EQ(multi.Frame, "?05:000");
    EXPECT_EQ(multi.Record.ErrComm, 0);
    EXPECT_FALSE(multi.Record.ErrCRC);
    EXPECT_EQ(multi.Record.MT_value, 1);
    EXPECT_EQ(multi.Record.ST_value, 4096u);
    EXPECT_TRUE(AskPosition(*port, false).Record.ErrCRC);

    port.reset();
    const Printed p = Probe();
    EXPECT_NE(p.Text.find("\n  multiturn encoder: count 4096, turns 1\n"), std::string::npos)
        << p.Text;
}

} // namespace
