#include "serial/win32/win32_serial_port.h"

#include <algorithm>
#include <climits>

#include <windows.h>

namespace Serial_driver {
namespace {

// Minus a Win32 error code as a status; never 0, which would read as success.
int MinusError(DWORD code) {
    if (code == ERROR_SUCCESS || code > static_cast<DWORD>(INT_MAX)) {
        code = ERROR_GEN_FAILURE;
    }
    return -static_cast<int>(code);
}

int MinusLastError() {
    return MinusError(GetLastError());
}

OpenError OpenErrorFromCode(DWORD code) {
    switch (code) {
    case ERROR_ACCESS_DENIED: // what Windows reports for a COM port that is in use
    case ERROR_SHARING_VIOLATION:
        return OpenError::Busy;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return OpenError::NotFound;
    default:
        return OpenError::Other;
    }
}

// COM10 and above open only through the device namespace, so every name gets it.
std::wstring DevicePath(const std::string& name) {
    std::wstring path;
    if (!name.starts_with("\\\\.\\")) {
        path = L"\\\\.\\";
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (length > 0) {
        const std::size_t at = path.size();
        path.resize(at + static_cast<std::size_t>(length));
        (void)MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                                  path.data() + at, length);
    }
    return path;
}

// Reads wait for the first byte at most `waitMs`, and return at once with what is
// queued once anything is; writes give up on a line stalled for Win32WriteStallMs.
COMMTIMEOUTS ExchangeTimeouts(DWORD waitMs) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = MAXDWORD;
    t.ReadTotalTimeoutConstant = waitMs;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = Win32WriteStallMs;
    return t;
}

class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}
    ~Win32SerialPort() override { CloseHandle(handle_); }
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    // Keeps the port's own time-outs for RestoreSettings and sets the exchange's.
    // Fails on a device that is not a serial port.
    bool Prepare() {
        haveOpenedTimeouts_ = GetCommTimeouts(handle_, &openedTimeouts_) != 0;
        return haveOpenedTimeouts_ && SetWait(1);
    }

    int Write(std::string_view bytes) override {
        if (bytes.empty()) {
            return 0;
        }
        if (bytes.size() > MAXDWORD) {
            return MinusError(ERROR_INVALID_PARAMETER);
        }
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr)) {
            return MinusLastError();
        }
        // A write time-out completes "successfully" with fewer bytes: the box got
        // a cut command, so this is a failure, not a success.
        if (written != bytes.size()) {
            return MinusError(ERROR_COUNTER_TIMEOUT);
        }
        return 0;
    }

    int BytesWaiting() override {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &errors, &status)) {
            return MinusLastError();
        }
        const std::size_t total = status.cbInQue + early_.size();
        return static_cast<int>(std::min<std::size_t>(total, INT_MAX));
    }

    int Read(std::size_t count, std::string& out) override {
        std::size_t done = std::min(count, early_.size());
        out.append(early_, 0, done);
        early_.erase(0, done);
        if (done == count) {
            return static_cast<int>(std::min<std::size_t>(done, INT_MAX));
        }
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &errors, &status)) {
            return done > 0 ? static_cast<int>(done) : MinusLastError();
        }
        // Only what is queued, so a read never waits.
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(
            {count - done, status.cbInQue, static_cast<std::size_t>(INT_MAX)}));
        if (want > 0) {
            const std::size_t old = out.size();
            out.resize(old + want);
            DWORD got = 0;
            // A failed read contributes nothing; a dead port shows in the next count.
            if (!ReadFile(handle_, out.data() + old, want, &got, nullptr)) {
                got = 0;
            }
            out.resize(old + got);
            done += got;
        }
        return static_cast<int>(std::min<std::size_t>(done, INT_MAX));
    }

    // The wait is a one-byte ReadFile with a total time-out: the driver wakes it
    // when the first byte arrives, so no CPU is spent and no latency added. The
    // byte it takes is kept and handed out first by the next Read.
    WaitResult WaitReadable(int timeoutMs) override {
        if (!early_.empty()) {
            return WaitResult::Readable;
        }
        const DWORD waitMs = static_cast<DWORD>(std::clamp(timeoutMs, 1, INT_MAX - 1));
        if (waitMs != waitMs_ && !SetWait(waitMs)) {
            return WaitResult::HungUp;
        }
        char byte = 0;
        DWORD got = 0;
        if (!ReadFile(handle_, &byte, 1, &got, nullptr)) {
            if (GetLastError() != ERROR_OPERATION_ABORTED) {
                return WaitResult::HungUp;
            }
            // A line error with fAbortOnError set stops reads until it is cleared.
            DWORD errors = 0;
            (void)ClearCommError(handle_, &errors, nullptr);
            return WaitResult::Readable;
        }
        if (got == 0) {
            return WaitResult::TimedOut;
        }
        early_.push_back(byte);
        return WaitResult::Readable;
    }

    bool SaveSettings() override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        haveSaved_ = GetCommState(handle_, &dcb) != 0;
        if (haveSaved_) {
            saved_ = dcb;
        }
        return haveSaved_;
    }

    // 115200 8N1; everything else stays as the driver reported it.
    bool ApplySettings() override {
        DCB dcb = saved_;
        if (!haveSaved_) {
            dcb = DCB{};
            dcb.DCBlength = sizeof dcb;
            if (!GetCommState(handle_, &dcb)) {
                return false;
            }
        }
        dcb.BaudRate = CBR_115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        return SetCommState(handle_, &dcb) != 0;
    }

    bool RestoreSettings() override {
        bool ok = haveSaved_ && SetCommState(handle_, &saved_) != 0;
        if (haveOpenedTimeouts_) {
            ok = SetCommTimeouts(handle_, &openedTimeouts_) != 0 && ok;
            waitMs_ = 0; // the next wait sets the exchange's time-outs again
        }
        return ok;
    }

private:
    bool SetWait(DWORD waitMs) {
        COMMTIMEOUTS t = ExchangeTimeouts(waitMs);
        if (!SetCommTimeouts(handle_, &t)) {
            return false;
        }
        waitMs_ = waitMs;
        return true;
    }

    HANDLE handle_;
    DCB saved_{};
    bool haveSaved_ = false;
    COMMTIMEOUTS openedTimeouts_{};
    bool haveOpenedTimeouts_ = false;
    DWORD waitMs_ = 0;  ///< read wait currently set on the port; 0: not ours
    std::string early_; ///< bytes the wait took, not yet handed out
};

} // namespace

std::unique_ptr<SerialPort> OpenWin32SerialPort(const std::string& name, OpenError& error) {
    const std::wstring path = DevicePath(name);
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = OpenErrorFromCode(GetLastError());
        return nullptr;
    }
    auto port = std::make_unique<Win32SerialPort>(handle);
    if (!port->Prepare()) {
        error = OpenError::Other;
        return nullptr;
    }
    error = OpenError::None;
    return port;
}

} // namespace Serial_driver
