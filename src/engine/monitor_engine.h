#pragma once
// The monitor engine: owns the port to the K730-6W and everything known about
// the box and its encoder, and runs the whole cycle: the interface search
// (probe, handshake), the encoder search (kind, identification), the reading
// schedule of the open page, loss and recovery, and the user's requests.
//
// It keeps the program's one timer model: at most one of the three cycles is
// enabled, a tick disables its own cycle and ends by enabling exactly one, and
// the next tick is due one interval after the enabling tick ended. It is
// driven from outside: requests through Handle, ticks through RunDue when
// DueMs has come. EngineThread does that on its own thread; tests do it with a
// manual clock.

#include "engine/engine_environment.h"
#include "engine/engine_requests.h"
#include "monitor/recording_file.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Engine {

/// LinkTest stands in for Read while a link test runs: its ticks are due at once.
enum class Cycle { None, SearchInterface, SearchEncoder, Read, LinkTest };

class MonitorEngine {
public:
    /// Start-up: nothing open, empty records, the interface search enabled.
    explicit MonitorEngine(Environment env);
    /// Closes a running recording and the port.
    ~MonitorEngine();
    MonitorEngine(const MonitorEngine&) = delete;
    MonitorEngine& operator=(const MonitorEngine&) = delete;

    /// Runs one request, between exchanges.
    void Handle(const Request& request);
    /// Runs the tick of the enabled cycle if it is due; returns whether it ran.
    bool RunDue();
    /// When the enabled cycle's next tick is due (ms of the engine's clock).
    [[nodiscard]] std::optional<std::int64_t> DueMs() const;
    [[nodiscard]] Cycle EnabledCycle() const { return enabled_; }

    /// Asks a running probe to end early (safe from any thread): the program
    /// is closing.
    void Stop() { stopping_ = true; }

    [[nodiscard]] const TEncoderSignature& Signature() const { return EncoderSignature; }
    [[nodiscard]] const TEncoderPosition& Position() const { return EncoderPosition; }

    /// Interval of each cycle's timer.
    static constexpr int SearchInterfaceMs = 1000;
    static constexpr int SearchEncoderMs = 850;
    /// Longest device text shown in a label or log line.
    static constexpr std::size_t MaxDeviceText = 120;

private:
    // Cycles (interface_search.cpp, encoder_search.cpp, reading_tick.cpp).
    void SearchInterfaceTick();
    bool ProbePorts(std::string& foundPort);
    void Handshake(const std::string& port);
    void SearchEncoderTick();
    /// What a reading tick came to: box or encoder lost, a valid tick that
    /// skipped its failed auxiliary reply (the position is the last good
    /// one), or a reply that passed its check.
    enum class Tick { Lost, Skipped, Fresh };
    Tick ReadTick();
    void ReportReading(unsigned char c);

    // The box's supply and clock (interface_search.cpp).
    void Supply5V();
    void SupplyOff();
    void SpiClock(int itemIndex);
    void UpdateSupplyStatus();
    /// "M<d>" then "m", no log line and no message; whether the box answered both.
    bool SelectClockQuietly(int clock);

    // The link test (link_test.cpp).
    void StartLinkTest(const RunLinkTest& request);
    void LinkTestTick();
    void EndLinkTest(LinkTestEnded::End outcome);
    /// Whether `request` must wait for a running link test; logs that it was not run.
    bool RefusedDuringLinkTest(const Request& request);

    // Configuration commands (config_commands.cpp).
    bool SendEncoderCommands(std::string_view commands);
    void SendConfig(const Engine::SendConfig& request);
    void SetZeroHere();

    // Recording (recording.cpp).
    void StartRecording(const Engine::StartRecording& request);
    void StopRecording();
    void RecordingStep();
    void AbandonRecording(std::string_view failedAction, const Monitor::FileStatus& status);

    // Shared steps (monitor_engine.cpp).
    void EncoderTransfer(unsigned char& c);
    /// Every exchange the engine makes goes through here.
    int Exchange(std::string_view command, std::string& reply, std::uint32_t expectedLength = 0);
    /// The reading cycle has lost the box: the interface search takes over.
    void LoseInterface();
    void Enable(Cycle cycle);
    void Restart(Cycle cycle);
    void Disable() { enabled_ = Cycle::None; }
    [[nodiscard]] int IntervalOf(Cycle cycle) const;
    void SetBanner(std::string text, std::optional<Colour> font = std::nullopt,
                   std::optional<Colour> panel = std::nullopt);
    void Log(std::string text, bool scroll = true);
    void ShowError(std::string text);
    void ReportCaption();
    void SetConnected(bool connected);
    void Emit(Report report) const;
    /// Lets `ms` pass, the reports made so far published first.
    void Sleep(int ms);
    void Publish() const;
    [[nodiscard]] std::int64_t Now() const { return env_.Clock->NowMs(); }

    Environment env_;
    std::atomic<bool> stopping_ = false;

    // The cycle's timer.
    Cycle enabled_ = Cycle::None;
    std::int64_t dueMs_ = 0;

    // The box.
    std::unique_ptr<Serial_driver::SerialPort> K730_H; ///< null: no port open
    std::string portName_;                             ///< the name K730_H was opened under
    bool overlongReplies_ = false; ///< the last exchange's reply was cut at the byte bound
    std::string K730identifikacija;
    std::int32_t K730RevizijaFW = 0;
    std::string K730verzija;
    std::string K730Serijska;
    bool permissionReported_ = false;

    // The encoder.
    TEncoderSignature EncoderSignature;
    TEncoderPosition EncoderPosition;
    TEncoderAuxData EncoderAuxData;
    bool connected_ = false;

    // The reading cycle.
    Monitor::Page page_ = Monitor::Page::SystemConfig;
    int readIntervalMs_ = 70;
    bool logComm_ = false;
    std::uint8_t LastCmd = 0;
    std::uint8_t Encoder_Status_delay = 0;
    std::uint16_t CycleCounterStatus = 0;
    std::uint16_t CycleCounterPower = 0;
    bool bannerEmpty_ = true; ///< the position label shows nothing (it blinks)
    std::string lastRawHex_;  ///< the reply of the last transfer, as recorded

    // Recording.
    Monitor::RecordingWriter ShraniFajl;
    std::uint32_t ShraniStartTick = 0;
    int recordingDurationS_ = 20;

    // The box's SPI clock: the item index last selected, restored after a link test.
    int clockItemIndex_ = 4;
    struct LinkTestRun {
        int Readings = 200;             ///< at each clock
        Monitor::LinkTestResult Result; ///< the clock being tested is the last
        int TimeoutsInRow = 0;
        bool StopAsked = false;
    };
    std::optional<LinkTestRun> linkTest_;
};

/// Device text as a label may show it: printable bytes only, cut to `max`.
[[nodiscard]] std::string DeviceText(std::string_view bytes, std::size_t max);

} // namespace Engine
