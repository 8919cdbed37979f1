#pragma once
// A simulated box on an in-process port with a manual clock, and the encoder
// records the program would fill from it.

#include "encoder/Enkoderji_splosno.h"
#include "encoder/Velor_konstante.h"
#include "encoder/encoder_transfer.h"
#include "encoder/framing.h"
#include "k730_box.h"
#include "serial/Serial_driver.h"
#include "sim_serial_port.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

struct SimRig {
    std::shared_ptr<K730Sim::ManualClock> clock = std::make_shared<K730Sim::ManualClock>();
    K730Sim::SimPortOpener opener{clock};
    std::shared_ptr<K730Sim::K730Box> box = opener.AddBox("sim0");
    std::unique_ptr<Serial_driver::SerialPort> port = Open();
    TEncoderSignature signature;
    TEncoderPosition position;
    TEncoderAuxData aux;

    SimRig() {
        position.STmaxCount = Velor_konstante::STmaxCountDefault;
        position.MTmaxCount = Velor_konstante::MTmaxCountDefault;
        position.Resolution_unit = Velor_konstante::ResolutionUnitDefault;
        signature.RingMagnetSize = 16;
        box->Encoder().Conditions().TemperatureDriftTenths = 0;
    }

    std::unique_ptr<Serial_driver::SerialPort> Open() {
        Serial_driver::OpenError error{};
        return opener.Open("sim0", error);
    }

    K730Sim::VelorEncoder& Encoder() { return box->Encoder(); }
    [[nodiscard]] std::int64_t Now() const { return clock->NowUs(); }

    /// One box command; the status, and the reply in `reply`.
    int Ask(std::string_view command, std::string& reply, std::uint32_t expected = 0) {
        return Serial_driver::InterfaceCommand(port.get(), command, expected, reply);
    }
    /// The reply of a command that must succeed.
    std::string Reply(std::string_view command, std::uint32_t expected = 0) {
        std::string reply;
        EXPECT_EQ(Ask(command, reply, expected), Serial_driver::StatusOk) << command;
        return reply;
    }
    /// The cleaned hex reply to encoder command byte c, framed for `multiturn`.
    std::string EncoderHex(unsigned char c, bool multiturn) {
        return Velor::CleanReply(Reply(Velor::EncoderFrame(c, multiturn)));
    }
    /// One encoder transfer as the program makes it; returns c as it came back.
    unsigned char Transfer(unsigned char c) {
        (void)Velor::EncoderTransferCore(port.get(), {signature, position, aux}, c);
        return c;
    }
    void Control(std::string_view line);
};
