#include "pg_server.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
/// A port nobody listens on now.
int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}
} // namespace

PgServer::~PgServer() {
    Stop();
    if (!dir_.empty())
        fs::remove_all(dir_);
}

bool PgServer::Run(const std::string& command) const {
    // The server refuses to run as root.
    const std::string as = geteuid() == 0 ? "runuser -u postgres -- " : "";
    return std::system((as + command + " >>" + dir_ + "/server.log 2>&1").c_str()) == 0;
}

bool PgServer::Start(std::string& why) {
    std::error_code none; // no such folder: no server
    for (const auto& version : fs::directory_iterator("/usr/lib/postgresql", none))
        if (fs::exists(version.path() / "bin/initdb"))
            bin_ = (version.path() / "bin").string();
    if (bin_.empty()) {
        why = "no PostgreSQL server installed (Debian's postgresql package)";
        return false;
    }
    char folder[] = "/tmp/tessoran-pg-XXXXXX";
    if (!mkdtemp(folder)) {
        why = "no temporary folder";
        return false;
    }
    dir_ = folder;
    fs::create_directories(dir_ + "/socket");
    std::ofstream(dir_ + "/password") << Password << '\n';
    if (geteuid() == 0 &&
        std::system(("chown -R postgres " + dir_ + " && chmod 755 " + dir_).c_str()) != 0) {
        why = "no postgres user to run the server as";
        return false;
    }
    port_ = FreePort();
    if (!Run(bin_ + "/initdb -D " + dir_ + "/data -U tessoran --auth-local=trust " +
             "--auth-host=scram-sha-256 --pwfile=" + dir_ + "/password")) {
        why = "initdb failed: see " + dir_ + "/server.log";
        return false;
    }
    if (!Restart()) {
        why = "the server did not start: see " + dir_ + "/server.log";
        return false;
    }
    return true;
}

bool PgServer::Restart() {
    running_ = Run(bin_ + "/pg_ctl -D " + dir_ + "/data -l " + dir_ + "/data/log -w -o \"-p " +
                   std::to_string(port_) + " -k " + dir_ +
                   "/socket -c listen_addresses=127.0.0.1\" start");
    return running_;
}

void PgServer::Stop() {
    if (running_)
        Run(bin_ + "/pg_ctl -D " + dir_ + "/data -m fast -w stop");
    running_ = false;
}

std::string PgServer::Url() const {
    return "postgresql://tessoran@127.0.0.1:" + std::to_string(port_) + "/postgres";
}
