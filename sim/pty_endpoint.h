#pragma once
// The simulated box's end of a pseudo-terminal: the program opens the slave as
// if it were the box's USB serial port.

#include <string>

namespace K730Sim {

class PtyEndpoint {
public:
    PtyEndpoint() = default;
    ~PtyEndpoint() { Close(); }
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    /// A new pty, raw at 115200 8N1, so a program that never sets raw mode still
    /// gets every byte unchanged. False with `error` set when it cannot.
    [[nodiscard]] bool Open(std::string& error);
    /// Closes the master: whoever holds the slave sees a hang-up, like a pulled cable.
    void Close();
    [[nodiscard]] bool IsOpen() const { return master_ >= 0; }
    [[nodiscard]] int Master() const { return master_; }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }

    /// Descriptor that turns readable when some program closes the slave.
    [[nodiscard]] int CloseWatch() const { return watch_; }
    /// Reads the close notices; true when a program closed the slave. Its unread
    /// replies are then thrown away, as a real port does.
    [[nodiscard]] bool TakeClientClosed();

private:
    int master_ = -1;
    int slave_ = -1; // kept open so the pty lives while no program holds it
    int watch_ = -1;
    std::string slavePath_;
};

/// Keeps a symbolic link pointing at the current pty slave.
class LinkKeeper {
public:
    explicit LinkKeeper(std::string path) : path_(std::move(path)) {}
    ~LinkKeeper() { Remove(); }
    LinkKeeper(const LinkKeeper&) = delete;
    LinkKeeper& operator=(const LinkKeeper&) = delete;

    /// Replaces the link in one step, so a reader never finds it missing.
    [[nodiscard]] bool PointAt(const std::string& target, std::string& error);
    void Remove();

private:
    std::string path_;
    bool made_ = false;
};

} // namespace K730Sim
