// Port listing over a fake sysfs tree.

#include "interface/port_list.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Interface;
namespace fs = std::filesystem;

namespace {

class FakeSysfs {
public:
    FakeSysfs() {
        char pattern[] = "/tmp/tessoran-sysfs-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) {
            root_ = pattern;
            fs::create_directories(Drivers());
        }
    }
    ~FakeSysfs() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    bool Ok() const { return !root_.empty(); }
    fs::path Tty() const { return root_ / "class" / "tty"; }
    fs::path Drivers() const { return root_ / "drivers"; }

    /// A tty entry whose device is bound to `driver` ("" for no device link).
    void AddTty(const std::string& name, const std::string& driver) {
        const fs::path device = root_ / "devices" / name;
        fs::create_directories(device);
        fs::create_directories(Tty() / name);
        if (!driver.empty()) {
            fs::create_directories(Drivers() / driver);
            fs::create_directory_symlink(fs::relative(Drivers() / driver, device),
                                         device / "driver");
            fs::create_directory_symlink(fs::relative(device, Tty() / name),
                                         Tty() / name / "device");
        }
    }

private:
    fs::path root_;
};

TEST(PortList, CdcAcmPortsAndExtraPortsInProbingOrder) {
    FakeSysfs sysfs;
    ASSERT_TRUE(sysfs.Ok());
    sysfs.AddTty("ttyACM10", "cdc_acm");
    sysfs.AddTty("ttyACM2", "cdc_acm");
    sysfs.AddTty("ttyACM0", "cdc_acm");
    sysfs.AddTty("ttyACM3", "option");  // a modem on another driver
    sysfs.AddTty("ttyACM4", "");        // no device behind it
    sysfs.AddTty("ttyUSB0", "cdc_acm"); // the name decides too
    sysfs.AddTty("ttyACMx", "cdc_acm");

    PortListSource source{sysfs.Tty(), "/dev", "/dev/pts/7::/dev/ttyACM2:/dev/pts/10:/dev/pts/7:"};
    const std::vector<std::string> expected = {"/dev/pts/7", "/dev/pts/10", "/dev/ttyACM0",
                                               "/dev/ttyACM2", "/dev/ttyACM10"};
    EXPECT_EQ(ListCandidatePorts(source), expected);

    source.ExtraPorts = "";
    EXPECT_EQ(ListCandidatePorts(source),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyACM2", "/dev/ttyACM10"}));

    // No sysfs at all (a container, another system): only the extra ports.
    source.SysfsRoot = sysfs.Tty() / "missing";
    source.ExtraPorts = ":/tmp/sim-pty:";
    EXPECT_EQ(ListCandidatePorts(source), (std::vector<std::string>{"/tmp/sim-pty"}));

    // The system's source takes the extra ports from TESSORAN_PORTS.
    ::setenv("TESSORAN_PORTS", "/tmp/sim-a:/tmp/sim-b", 1);
    const PortListSource system = SystemPortListSource();
    ::unsetenv("TESSORAN_PORTS");
    EXPECT_EQ(system.ExtraPorts, "/tmp/sim-a:/tmp/sim-b");
    EXPECT_EQ(SystemPortListSource().ExtraPorts, "");
}

TEST(PortList, SortsByPrefixThenNumberValue) {
    std::vector<std::string> ports = {
        "COM12", "COM3", "COM", "COM3", "COM003", "AUX2", "COM99999999999999999999"};
    SortPorts(ports);
    EXPECT_EQ(ports, (std::vector<std::string>{"AUX2", "COM", "COM003", "COM3", "COM12",
                                               "COM99999999999999999999"}));
}

} // namespace
