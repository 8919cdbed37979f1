// The box through the Win32 port, as k730-probe and the window meet it: found
// among the listed ports, its handshake, and encoder frames of both kinds
// decoded by the core.

#include "box_probe.h"
#include "encoder/Enkoderji_splosno.h"
#include "encoder/Velor_konstante.h"
#include "encoder/encoder_transfer.h"
#include "interface/port_list.h"
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
};

TEST_F(Win32Box, FoundAmongTheListedPortsAndHandshakeAccepted) {
    const auto opener = Serial_driver::MakeSystemPortOpener();
    const std::vector<std::string> ports =
        Interface::ListCandidatePorts(Interface::SystemPortListSource());
    std::ostringstream log;
    K730Probe::FoundBox box = K730Probe::FindBox(*opener, ports, log);
    ASSERT_NE(box.Port, nullptr) << log.str();
    EXPECT_EQ(box.PortName, Win32Fixture::SimPort());
    EXPECT_EQ(box.Identification.substr(0, 7), "K730-6W");
    EXPECT_NE(log.str().find("Interface found on " + Win32Fixture::SimPort() + "\n"),
              std::string::npos)
        << log.str();
    // Ports listed before the box's were tried and passed over.
    EXPECT_NE(log.str().find(Win32Fixture::AbsentPort() + ": not found\n"), std::string::npos)
        << log.str();

    std::ostringstream out;
    const auto exchanges = K730Probe::RunHandshake(
        *box.Port, [](int) {}, out);
    std::vector<std::string> sent;
    for (const auto& exchange : exchanges) {
        sent.push_back(exchange.Command);
        EXPECT_EQ(exchange.Status, 0) << exchange.Command;
        EXPECT_EQ(exchange.Problem, "") << exchange.Command << " -> " << exchange.Reply;
        EXPECT_TRUE(exchange.Reply.ends_with('\r')) << exchange.Command;
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"o", "r", "Cp", "G0:1", "D055", "M5", "m", "V5", "n",
                                              "e"}));
}

TEST_F(Win32Box, RefusedSettingsAreReported) {
    ASSERT_TRUE(Win32Fixture::SimCommand("seterror on"));
    auto port = Win32Fixture::OpenSimPort();
    ASSERT_NE(port, nullptr);
    std::ostringstream out;
    std::vector<std::string> refused;
    for (const auto& exchange : K730Probe::RunHandshake(
             *port, [](int) {}, out)) {
        if (!exchange.Problem.empty()) {
            refused.push_back(exchange.Command);
        }
    }
    EXPECT_EQ(refused, (std::vector<std::string>{"Cp", "G0:1", "D055"})) << out.str();
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

    std::ostringstream out;
    const K730Probe::EncoderReading reading = K730Probe::ReadEncoderPosition(*port, out);
    EXPECT_TRUE(reading.Found && reading.Multiturn) << out.str();
}

} // namespace
