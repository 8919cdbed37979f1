// Configuration sequences sent the way the program sends them change the
// encoder the way its user expects.

#include "encoder/config_commands.h"
#include "sim_rig.h"

namespace {

namespace Cmd = Velor_konstante::Cmd;
using K730Sim::CalibrationOutcome;

// SendEncoderCommands without the window: one transfer per byte, 50 ms apart.
bool Send(SimRig& rig, const std::string& bytes) {
    return Velor::SendEncoderCommandBytes(
        bytes,
        [&rig](unsigned char c) {
            rig.Transfer(c);
            return rig.position.ErrComm != 0 || rig.position.ErrCRC;
        },
        [&rig](int ms) { rig.clock->AdvanceMs(ms); });
}

std::uint32_t ReadCount(SimRig& rig) {
    rig.Transfer(Cmd::Position);
    EXPECT_FALSE(rig.position.ErrCRC);
    return rig.position.ST_value;
}

TEST(SimConfig, ZeroOffsetShiftsTheSingleTurnCount) {
    SimRig rig;
    rig.Encoder().SetShaftCount(5000, rig.Now());
    // The value bytes 01 and 2C travel as position requests, each answered.
    ASSERT_TRUE(Send(rig, Velor::ConfigCommandWithValue('Z', 300)));
    EXPECT_EQ(ReadCount(rig), 4700u);
    // An offset past the shaft's angle wraps below zero into the turn.
    ASSERT_TRUE(Send(rig, Velor::ConfigCommandWithValue('Z', 6000)));
    EXPECT_EQ(ReadCount(rig), 16384u - 1000u);
    // A value byte that is a read command ('a' = 97) is answered as that read.
    ASSERT_TRUE(Send(rig, Velor::ConfigCommandWithValue('Z', 97)));
    EXPECT_EQ(ReadCount(rig), 5000u - 97u);
    ASSERT_TRUE(Send(rig, Velor::ConfigCommand('r')));
    EXPECT_EQ(ReadCount(rig), 5000u);
}

TEST(SimConfig, MultiturnPresetSetsTheTurnCount) {
    SimRig rig;
    rig.Control("kind multi");
    rig.signature.Multiturn = true;
    rig.Encoder().SetShaftCount(7 * 16384 + 100, rig.Now());
    ASSERT_TRUE(Send(rig, Velor::ConfigCommandWithValue('M', -1)));
    rig.Transfer(Cmd::Position);
    EXPECT_EQ(rig.position.MT_value, -1);
    EXPECT_EQ(rig.position.ST_value, 100u);

    // The count goes on from the preset as the shaft turns.
    rig.Encoder().SetShaftCount(9 * 16384 + 100, rig.Now());
    rig.Transfer(Cmd::Position);
    EXPECT_EQ(rig.position.MT_value, 1);

    ASSERT_TRUE(Send(rig, Velor::ConfigCommandWithValue('M', 32768)));
    rig.Transfer(Cmd::Position);
    EXPECT_EQ(rig.position.MT_value, -32768);

    ASSERT_TRUE(Send(rig, Velor::ConfigCommand('r')));
    rig.Transfer(Cmd::Position);
    EXPECT_EQ(rig.position.MT_value, 9);
}

TEST(SimConfig, OnlySavedSettingsSurviveAPowerCycle) {
    SimRig rig;
    rig.Encoder().SetShaftCount(5000, rig.Now());
    K730Sim::StoredSettings written;
    int saves = 0;
    rig.Encoder().OnSave = [&](const K730Sim::StoredSettings& s) {
        written = s;
        ++saves;
    };
    ASSERT_TRUE(Send(rig, Velor::ConfigCommandWithValue('Z', 300)));
    rig.Control("power-cycle");
    EXPECT_EQ(ReadCount(rig), 5000u);

    ASSERT_TRUE(Send(rig, Velor::ConfigCommandWithValue('Z', 300)));
    ASSERT_TRUE(Send(rig, Velor::ConfigCommand('c')));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(written.ZeroOffset, 300);
    // Switching the supply off and on through the box is a power cycle too.
    EXPECT_EQ(rig.Reply("f"), "OFF\r");
    EXPECT_EQ(rig.Reply("n"), "ON\r");
    EXPECT_EQ(ReadCount(rig), 4700u);

    // A reset is not saved until it is saved.
    ASSERT_TRUE(Send(rig, Velor::ConfigCommand('r')));
    EXPECT_EQ(ReadCount(rig), 5000u);
    rig.Control("power-cycle");
    EXPECT_EQ(ReadCount(rig), 4700u);
}

TEST(SimConfig, BrokenOrStaleSequencesDoNothing) {
    SimRig rig;
    rig.Encoder().SetShaftCount(5000, rig.Now());
    const std::string zero300 = Velor::ConfigCommandWithValue('Z', 300);

    // A position request in the middle of the prefix breaks it.
    ASSERT_TRUE(Send(rig, zero300.substr(0, 2)));
    rig.Transfer(Cmd::Position);
    ASSERT_TRUE(Send(rig, zero300.substr(2)));
    EXPECT_EQ(ReadCount(rig), 5000u);

    // Bytes more than a second apart do not make a command.
    ASSERT_TRUE(Send(rig, zero300.substr(0, 5)));
    rig.clock->AdvanceMs(1500);
    ASSERT_TRUE(Send(rig, zero300.substr(5)));
    EXPECT_EQ(ReadCount(rig), 5000u);

    // An unknown letter after the prefix, then a good sequence right after.
    ASSERT_TRUE(Send(rig, std::string(Velor_konstante::EncoderUnlockPrefix) + "x" + zero300));
    EXPECT_EQ(ReadCount(rig), 4700u);
    EXPECT_EQ(rig.Encoder().ConfigCommandsDone(), 1u);
}

TEST(SimConfig, SelfCalibrationCountsThenReportsItsOutcome) {
    struct Case {
        CalibrationOutcome outcome;
        std::uint32_t status;
    };
    for (Case c : {Case{CalibrationOutcome::Finished, 0x80}, Case{CalibrationOutcome::Failed, 0x8A},
                   Case{CalibrationOutcome::Timeout, 0x87}}) {
        SimRig rig;
        rig.Encoder().Conditions().Calibration = c.outcome;
        rig.Transfer(Cmd::CalibrationStatus);
        EXPECT_EQ(rig.aux.CalStatus, 0u);
        ASSERT_TRUE(Send(rig, Velor::ConfigCommand('A')));
        std::vector<std::uint32_t> counters;
        for (int i = 0; i < 12; ++i) {
            rig.Transfer(Cmd::CalibrationStatus);
            if (rig.aux.CalStatus & 0xFC)
                break;
            if (counters.empty() || counters.back() != rig.aux.CalStatus)
                counters.push_back(rig.aux.CalStatus);
            rig.clock->AdvanceMs(250);
        }
        EXPECT_EQ(rig.aux.CalStatus, c.status);
        const std::vector<std::uint32_t> expected = c.outcome == CalibrationOutcome::Failed
                                                        ? std::vector<std::uint32_t>{0, 1, 2}
                                                        : std::vector<std::uint32_t>{0, 1, 2, 3};
        EXPECT_EQ(counters, expected);
    }
}

} // namespace
