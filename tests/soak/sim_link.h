#pragma once
// A k730-sim process on a pseudo-terminal reached through a symbolic link:
// started with the shaft turning, steered through its standard input, asked
// for its counters. It is stopped with SIGTERM when its parent dies, so a
// killed run leaves no simulator behind.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <string>

class SimLink {
public:
    SimLink() = default;
    ~SimLink();
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    /// Starts `program --link link` with `extraArgs`; false with `error` set
    /// when it does not come up and serve the link within a few seconds.
    bool Start(const QString& program, const QString& link, const QStringList& extraArgs,
               const QString& errorFile, QString& error);
    /// One control line, written before this returns.
    bool Command(const std::string& line);
    /// The counters of "stats" by name; empty when the simulator does not answer.
    [[nodiscard]] std::map<std::string, std::uint64_t> Stats();
    /// "quit", then SIGKILL if it has not stopped within a few seconds.
    void Stop();

private:
    QProcess process_;
};

/// Counters from a "stats: name=value ..." line; other words are skipped.
[[nodiscard]] std::map<std::string, std::uint64_t> ParseStatsLine(const std::string& line);
