// The candidate ports on Windows: the registry's serial-port map, read with the
// Win32 registry API (under wine).

#include "interface/port_list.h"
#include "interface/win32/serialcomm_ports.h"
#include "sim_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Interface::ListSerialCommPorts;
using Ports = std::vector<std::string>;

// A key of its own under HKCU, so the rules can be tried on any values.
class SerialCommKey : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = L"Software\\Tessoran-test\\serialcomm-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }

    // `bytes` as stored; by default the text with its terminating NUL.
    void Set(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ,
             std::size_t bytes = SIZE_MAX) {
        if (bytes == SIZE_MAX) {
            bytes = (text.size() + 1) * sizeof(wchar_t);
        }
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(bytes)),
                  ERROR_SUCCESS);
    }

    Ports List() const { return ListSerialCommPorts(HKEY_CURRENT_USER, path_.c_str()); }

    std::wstring path_;
    HKEY key_ = nullptr;
};

TEST_F(SerialCommKey, OnlyUsbSerialValuesWithComDataInAscendingOrder) {
    Set(L"\\Device\\USBSER000", L"COM12");
    Set(L"\\Device\\USBSER001", L"COM3");
    Set(L"\\Device\\Serial0", L"COM1");   // a built-in port, not USB
    Set(L"\\Device\\usbser002", L"COM4"); // the name's case matters
    Set(L"\\Device\\USBSER003", L"com7"); // and the data's
    Set(L"\\Device\\USBSER004", L" COM8");
    EXPECT_EQ(List(), (Ports{"COM3", "COM12"}));
}

TEST_F(SerialCommKey, NumbersAreDecimalAnythingElseIsPortOneAndRepeatsCollapse) {
    Set(L"USBSER-a", L"COMx");
    Set(L"USBSER-b", L"COM");
    Set(L"USBSER-c", L"COM05");
    Set(L"USBSER-d", L"COM5");
    Set(L"USBSER-e", L"COM1000"); // by number, not by text: after COM5
    Set(L"USBSER-f", L"COM9 ");
    Set(L"USBSER-g", L"COM\x0661"); // a non-ASCII digit is no number either
    EXPECT_EQ(List(), (Ports{"COM1", "COM5", "COM1000"}));
}

TEST_F(SerialCommKey, ValuesThatAreNotTextAreSkipped) {
    const DWORD number = 6;
    ASSERT_EQ(RegSetValueExW(key_, L"USBSER-dword", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);
    Set(L"USBSER-binary", L"COM7", REG_BINARY);
    Set(L"USBSER-expand", L"COM8", REG_EXPAND_SZ);
    // Text stored without its terminator still reads as text.
    Set(L"USBSER-unterminated", L"COM9", REG_SZ, 4 * sizeof(wchar_t));
    Set(L"USBSER-empty", L"", REG_SZ);
    EXPECT_EQ(List(), (Ports{"COM8", "COM9"}));
}

TEST(SerialCommListing, MissingKeyListsNothing) {
    EXPECT_TRUE(ListSerialCommPorts(HKEY_CURRENT_USER, L"Software\\Tessoran-test\\none").empty());
}

TEST(SerialCommListing, SystemListingReadsTheMachinesKey) {
    // scripts/test-windows puts values into HKLM\HARDWARE\DEVICEMAP\SERIALCOMM with
    // "wine reg add" and names the ports they must yield, in order.
    std::istringstream expectedText(Win32Fixture::Env("TESSORAN_WIN_EXPECTED_PORTS"));
    Ports expected;
    for (std::string port; expectedText >> port;) {
        expected.push_back(port);
    }
    ASSERT_FALSE(expected.empty()) << "TESSORAN_WIN_EXPECTED_PORTS not set: run "
                                      "scripts/test-windows";
    EXPECT_EQ(Interface::ListCandidatePorts(Interface::SystemPortListSource()), expected);
}

} // namespace
