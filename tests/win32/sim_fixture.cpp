#include "sim_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <windows.h>

namespace Win32Fixture {
namespace {

// Count of "stats:" lines the simulator has printed so far.
std::size_t StatsLines(const std::string& outputPath) {
    std::ifstream output(outputPath, std::ios::binary);
    std::size_t count = 0;
    for (std::string line; std::getline(output, line);) {
        count += line.starts_with("stats:") ? 1 : 0;
    }
    return count;
}

} // namespace

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string SimPort() {
    return Env("TESSORAN_WIN_SIM_PORT");
}

std::string AbsentPort() {
    return Env("TESSORAN_WIN_ABSENT_PORT");
}

bool SimCommand(const std::string& lines) {
    const std::string control = Env("TESSORAN_SIM_CONTROL");
    const std::string output = Env("TESSORAN_SIM_OUTPUT");
    if (control.empty() || output.empty()) {
        ADD_FAILURE() << "TESSORAN_SIM_CONTROL/OUTPUT not set: run scripts/test-windows";
        return false;
    }
    const std::size_t before = StatsLines(output);
    {
        // One write, so the lines reach the simulator together and in order.
        std::ofstream input(control, std::ios::app | std::ios::binary);
        input << lines << "\nstats\n" << std::flush;
        if (!input) {
            ADD_FAILURE() << "cannot write to " << control;
            return false;
        }
    }
    for (int waited = 0; waited < 10000; waited += 5) {
        if (StatsLines(output) > before) {
            return true;
        }
        Sleep(5);
    }
    ADD_FAILURE() << "k730-sim did not run: " << lines;
    return false;
}

bool ResetSim() {
    return SimCommand("plug\nsilent off\nslow 0\nsplit 1\nextra off\nseterror off\n"
                      "encoder on\nsupply on\nkind single\nspeed 0\nposition 0");
}

std::unique_ptr<Serial_driver::SerialPort> OpenSimPort() {
    const std::string name = SimPort();
    if (name.empty()) {
        ADD_FAILURE() << "TESSORAN_WIN_SIM_PORT not set: run scripts/test-windows";
        return nullptr;
    }
    Serial_driver::OpenError error = Serial_driver::OpenError::Other;
    auto port = Serial_driver::MakeSystemPortOpener()->Open(name, error);
    if (!port || !port->SaveSettings() || !port->ApplySettings()) {
        ADD_FAILURE() << "cannot open and set up " << name << " (error " << static_cast<int>(error)
                      << ")";
        return nullptr;
    }
    // A pty keeps what the last test left unread (a Windows driver starts each
    // open empty): read until the line has been quiet for a while.
    while (port->WaitReadable(50) == Serial_driver::WaitResult::Readable) {
        std::string stale;
        const int waiting = port->BytesWaiting();
        if (waiting <= 0 || port->Read(static_cast<std::size_t>(waiting), stale) < 0) {
            break;
        }
    }
    return port;
}

} // namespace Win32Fixture
