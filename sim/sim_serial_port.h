#pragma once
// Simulated boxes reached in-process through the core's serial seam, so the whole
// program runs against the model without a tty. With a ManualClock a wait moves
// time to the next reply (or through the whole time-out when none is coming),
// so a silent box costs no real time.

#include "k730_box.h"
#include "serial/serial_port.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace K730Sim {

/// Opens simulated ports by name. Like a real port a box's port opens once at a
/// time; unplugging it hangs up the open port for good and makes the name
/// unknown until the box is plugged in again.
class SimPortOpener final : public Serial_driver::PortOpener {
public:
    explicit SimPortOpener(std::shared_ptr<Clock> clock);

    /// Adds a box under `name` (e.g. "/dev/ttyACM0"), or returns the one there.
    std::shared_ptr<K730Box> AddBox(const std::string& name, std::uint64_t seed = 1);
    [[nodiscard]] std::shared_ptr<K730Box> Box(const std::string& name) const;
    /// Names of the plugged-in boxes, sorted: what a port listing would find.
    [[nodiscard]] std::vector<std::string> PluggedNames() const;

    [[nodiscard]] std::unique_ptr<Serial_driver::SerialPort>
    Open(const std::string& name, Serial_driver::OpenError& error) override;

    /// Who holds a box's port: the generation of the box it was opened on.
    struct Line {
        std::shared_ptr<K730Box> Box;
        std::optional<std::uint64_t> OpenGeneration;
    };

private:
    std::shared_ptr<Clock> clock_;
    std::map<std::string, std::shared_ptr<Line>> lines_;
};

} // namespace K730Sim
