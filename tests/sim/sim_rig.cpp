#include "sim_rig.h"

#include "control_commands.h"

void SimRig::Control(std::string_view line) {
    const K730Sim::ControlOutcome outcome = K730Sim::RunControlCommand(*box, line);
    EXPECT_TRUE(outcome.Ok) << line << ": " << outcome.Message;
}
