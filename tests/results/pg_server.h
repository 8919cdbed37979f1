#pragma once
// A PostgreSQL server of the test's own: Debian's postgresql package, initdb
// into a temporary folder, on a free loopback port and a private socket
// folder, as the unprivileged postgres user when the test runs as root. The
// role "tessoran" logs in with the password "secret" over TCP.

#include <string>

class PgServer {
public:
    PgServer() = default;
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    /// False, with why, where no server can be started here.
    bool Start(std::string& why);
    void Stop();
    /// Starts it again on the same port, with the same data.
    bool Restart();

    /// postgresql://tessoran@127.0.0.1:PORT/postgres, without the password.
    [[nodiscard]] std::string Url() const;
    static constexpr const char* Password = "secret";

private:
    bool Run(const std::string& command) const;

    std::string bin_;
    std::string dir_;
    int port_ = 0;
    bool running_ = false;
};
