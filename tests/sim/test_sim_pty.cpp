// k730-sim as the program meets it: a process serving a pseudo-terminal.

#include "encoder/Enkoderji_splosno.h"
#include "encoder/Velor_konstante.h"
#include "encoder/encoder_transfer.h"
#include "serial/Serial_driver.h"
#include "sim_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Serial_driver::StatusOk;

class SimPty : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k730-sim-test-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        link_ = (dir_ / "box").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{K730_SIM_PATH, "--link", link_};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(sim_.Start(args));
        const std::string path = sim_.ReadLine();
        ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << "first line: " << path;
        ASSERT_EQ(fs::read_symlink(link_).string(), path);
    }

    std::unique_ptr<Serial_driver::SerialPort> OpenLink() {
        Serial_driver::OpenError error{};
        auto port = opener_->Open(link_, error);
        EXPECT_NE(port, nullptr) << static_cast<int>(error);
        if (port) {
            EXPECT_TRUE(port->SaveSettings());
            EXPECT_TRUE(port->ApplySettings());
        }
        return port;
    }

    std::string Ask(Serial_driver::SerialPort* port, std::string_view command,
                    std::uint32_t expected = 0) {
        std::string reply;
        EXPECT_EQ(Serial_driver::InterfaceCommand(port, command, expected, reply), StatusOk)
            << command;
        return reply;
    }

    // A position request as the program frames it; the ErrCRC it leaves.
    bool PositionFails(Serial_driver::SerialPort* port, bool multiturn) {
        TEncoderSignature signature;
        TEncoderPosition position;
        TEncoderAuxData aux;
        signature.Multiturn = multiturn;
        position.STmaxCount = Velor_konstante::STmaxCountDefault;
        unsigned char c = Velor_konstante::Cmd::Position;
        (void)Velor::EncoderTransferCore(port, {signature, position, aux}, c);
        EXPECT_EQ(position.ErrComm, StatusOk);
        return position.ErrCRC;
    }

    fs::path dir_;
    std::string link_;
    SimProcess sim_;
    std::unique_ptr<Serial_driver::PortOpener> opener_ = Serial_driver::MakeSystemPortOpener();
};

TEST_F(SimPty, HandshakeAndPositionFramesOfBothKinds) {
    Start({"--position", "4096"});
    auto port = OpenLink();
    ASSERT_NE(port, nullptr);
    const std::string id = Ask(port.get(), "v", 7);
    EXPECT_EQ(id.substr(0, 7), "K730-6W");
    EXPECT_EQ(Ask(port.get(), "o"), "17\r");
    for (const char* setup : {"Cp", "G0:1", "D055"})
        EXPECT_EQ(Ask(port.get(), setup), "OK\r");
    EXPECT_EQ(Ask(port.get(), "M5"), "OK\r");
    EXPECT_EQ(Ask(port.get(), "m"), "1.5 MHz\r");
    EXPECT_EQ(Ask(port.get(), "V5").substr(0, 2), "V5");
    EXPECT_EQ(Ask(port.get(), "n"), "ON\r");

    EXPECT_EQ(Ask(port.get(), "?03:000"), "40 03 AD\r");
    EXPECT_FALSE(PositionFails(port.get(), false));
    EXPECT_TRUE(PositionFails(port.get(), true));

    sim_.Command("kind multi");
    sim_.Command("position 20480");
    ASSERT_FALSE(sim_.Sync().empty());
    EXPECT_TRUE(PositionFails(port.get(), false));
    EXPECT_FALSE(PositionFails(port.get(), true));
    EXPECT_EQ(Ask(port.get(), "?05:000"), "00 01 40 03 CA\r");

    const std::string stats = sim_.Sync();
    EXPECT_NE(stats.find("position_frames=6 good_position_replies=4"), std::string::npos) << stats;
    EXPECT_EQ(sim_.Terminate(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
}

TEST_F(SimPty, UnplugHangsUpThePortAndPlugMovesTheLink) {
    Start();
    auto port = OpenLink();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(Ask(port.get(), "?03:000").size(), 9u);
    const std::string before = fs::read_symlink(link_).string();

    sim_.Command("unplug");
    ASSERT_FALSE(sim_.Sync().empty());
    EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
    std::string reply;
    const auto start = std::chrono::steady_clock::now();
    const int status = Serial_driver::InterfaceCommand(port.get(), "?03:000", 0, reply);
    EXPECT_TRUE(status < 0) << status;
    // A hang-up ends the exchange without waiting for the time-out (generous bound).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    sim_.Command("plug");
    ASSERT_FALSE(sim_.Sync().empty());
    ASSERT_TRUE(fs::exists(link_));
    EXPECT_NE(fs::read_symlink(link_).string(), before) << "the old pty is still held";
    auto again = OpenLink();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Ask(again.get(), "v", 7).substr(0, 7), "K730-6W");
    EXPECT_LT(Serial_driver::InterfaceCommand(port.get(), "v", 7, reply), 0);
}

TEST_F(SimPty, RepliesNobodyReadDoNotReachTheNextProgram) {
    Start();
    {
        auto port = OpenLink();
        ASSERT_NE(port, nullptr);
        ASSERT_EQ(port->Write("v"), 0);
        // Let the reply land in the port's queue, then leave without reading it.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    sim_.Command("slow 300");
    ASSERT_FALSE(sim_.Sync().empty());
    {
        auto port = OpenLink();
        ASSERT_NE(port, nullptr);
        ASSERT_EQ(port->Write("r"), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sim_.Command("slow 0");
    ASSERT_FALSE(sim_.Sync().empty());
    auto port = OpenLink();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(Ask(port.get(), "o"), "17\r");
}

TEST_F(SimPty, KeepsServingAfterEndOfInputAndReportsBadCommands) {
    Start({"--stats"});
    EXPECT_EQ(sim_.ReadErrorLine().rfind("k730-sim: plugged in at /dev/pts/", 0), 0u);
    sim_.Command("warp 9");
    EXPECT_EQ(sim_.ReadErrorLine(), "k730-sim: unknown command: warp");
    sim_.Command("speed fast");
    EXPECT_EQ(sim_.ReadErrorLine(), "k730-sim: bad value for speed: fast");
    sim_.CloseInput();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto port = OpenLink();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(Ask(port.get(), "o"), "17\r");
    port.reset();
    EXPECT_EQ(sim_.Terminate(), 0);
    EXPECT_EQ(sim_.ReadLine().rfind("stats: ", 0), 0u);
}

TEST_F(SimPty, SavedSettingsOutliveTheProcessInTheNvramFile) {
    const std::string nvram = (dir_ / "nvram.txt").string();
    Start({"--position", "5000", "--nvram", nvram});
    {
        auto port = OpenLink();
        ASSERT_NE(port, nullptr);
        std::string prefix(Velor_konstante::EncoderUnlockPrefix);
        for (const std::string& seq : {prefix + "Z" + std::string("\0\0\x01\x2C", 4), prefix + "c"})
            for (char b : seq)
                (void)Ask(
                    port.get(),
                    "?03:" +
                        std::string(3 - std::to_string(static_cast<unsigned char>(b)).size(), '0') +
                        std::to_string(static_cast<unsigned char>(b)));
    }
    EXPECT_EQ(sim_.Terminate(), 0);
    SimProcess second;
    ASSERT_TRUE(
        second.Start({K730_SIM_PATH, "--link", link_, "--position", "5000", "--nvram", nvram}));
    ASSERT_FALSE(second.ReadLine().empty());
    auto port = OpenLink();
    ASSERT_NE(port, nullptr);
    // 4700 << 2 | 3 = 0x4973.
    EXPECT_EQ(Ask(port.get(), "?03:000").substr(0, 5), "49 73");
}

} // namespace
